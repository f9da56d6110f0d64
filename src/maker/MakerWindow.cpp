// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker/MakerWindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QVBoxLayout>
#include <QtConcurrent>
#include <algorithm>

#include "maker/CutGeometry.h"
#include "maker/CutView.h"
#include "maker/Internal.h"
#include "maker/PairList.h"
#include "platform/Platform.h"

namespace kavimo::maker {

namespace {

// The photo is kept only at this size for the screen; saving reads the file again.
constexpr int kPreviewSide = 1024;
// Work shorter than this shows no busy indicator, so quick steps do not flicker.
constexpr int kBusyDelayMs = 300;
// Edits that follow each other closely are checked once.
constexpr int kCheckDelayMs = 150;
// The sound the game plays for a pair without one, in its data folder.
constexpr char kFallbackSound[] = "/Data/puu002@22.wav";

QString titleFor(const QString& pictureOrFolder) {
    const QFileInfo info(pictureOrFolder);
    return info.isDir() ? QDir(info.absoluteFilePath()).dirName() : info.absoluteDir().dirName();
}

// What a pair's spoken name says: the name written, or when none is, its picture's name.
QString spokenName(const PairPlan& pair) {
    const QString& written = pair.sound.spokenText;
    return written.isEmpty() ? QFileInfo(pair.picture).completeBaseName() : written;
}

QString severityText(Finding::Severity severity) {
    return severity == Finding::Severity::Error ? MakerWindow::tr("Error") : MakerWindow::tr("Warning");
}

QString savedAs(const QString& dat) {
    return MakerWindow::tr("Saved as %1.").arg(QDir::toNativeSeparators(dat));
}

QString datPath(const SetPlan& plan) {
    return QDir(plan.dataDir).filePath(detail::safeName(plan.title) + ".dat");
}

// A set file is a few hundred bytes; more than this is not one the window wrote. Only a
// regular file is opened: a pipe would wait for a writer.
QByteArray setFileBytes(const QString& path) {
    constexpr qint64 kEnough = 1 << 20;
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.read(kEnough) : QByteArray();
}

}  // namespace

// A file name too long for its place keeps its start and its end, with the kind of sound
// ("IMG_20…01.m4a"); the whole name is its tooltip.
class ElidedLabel final : public QLabel {
public:
    using QLabel::QLabel;
    void setName(const QString& name) {
        name_ = name;
        setToolTip(name);
        elide();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() { setText(fontMetrics().elidedText(name_, Qt::ElideMiddle, contentsRect().width())); }
    QString name_;
};

// What a background load brings back: the pairs that decoded, the refusals, and how many
// pictures found no room.
struct MakerWindow::Loaded {
    std::vector<Pair> pairs;
    QStringList refused, refusedNames;  // why each file cannot be used, and its name
    int leftOut = 0;
    QString error;
    SetPlan plan;
};

MakerWindow::MakerWindow(Platform& platform, QWidget* parent)
    : QWidget(parent), platform_(platform), dataDir_(userDataDir()), picturesDir_(QDir::homePath()) {
    buildControls();
    retranslate();
    wire();
    checkTimer_.setSingleShot(true);
    checkTimer_.setInterval(kCheckDelayMs);
    busyDelay_.setSingleShot(true);
    busyDelay_.setInterval(kBusyDelayMs);
    setAcceptDrops(true);
    rebuildCards();
    showSelected();
    scheduleCheck();
    modified_ = false;
    confirm = [this](const QString& question) {
        // Return, pressed by habit, keeps what is there: losing pairs or a set takes a click.
        return QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
}

MakerWindow::~MakerWindow() = default;

bool MakerWindow::mayDiscard(const QString& question) {
    // Pictures still being added count as pairs made here.
    return (adding_ == 0 && (!modified_ || pairs_.empty())) || confirm(question);
}

void MakerWindow::closeEvent(QCloseEvent* event) {
    if (saving_) {  // the set being saved is finished first, then the window closes
        closeWhenSaved_ = true;
        say(tr("Saving… The window closes once the set is saved."));
        event->ignore();
    } else {
        // A save asked for while the set was being checked waits for the answer: it would
        // otherwise go ahead behind a question that says the pairs are not saved.
        asking_ = true;
        const bool close =
            ending_ || mayDiscard(tr("Close without saving? The pairs you made here are not saved yet."));
        asking_ = false;
        if (close) {
            saveWhenSettled_ = false;  // the parent said not to save
        } else {
            event->ignore();
            if (!busy() && std::exchange(saveWhenSettled_, false)) save();
        }
    }
}

void MakerWindow::endAtSignal() {
    ending_ = true;
    close();
}

void MakerWindow::buildControls() {
    newButton = new QPushButton(this);
    addButton = new QPushButton(this);
    openButton = new QPushButton(this);
    titleEdit = new QLineEdit(this);
    cards = new PairList(this);
    gridLabel = new QLabel(this);
    cutView = new CutView(this);
    cutSlider = new QSlider(Qt::Horizontal, this);
    noSound = new QRadioButton(this);
    fileSound = new QRadioButton(this);
    spokenSound = new QRadioButton(this);
    soundFileLabel = new ElidedLabel(this);
    chooseSoundButton = new QPushButton(this);
    spokenEdit = new QLineEdit(this);
    listenButton = new QPushButton(QStringLiteral("▶"), this);
    removeButton = new QPushButton(this);
    findingsList = new QListWidget(this);
    messageLabel = new QLabel(this);
    busyBar = new QProgressBar(this);
    whereLabel = new QLabel(this);
    saveInButton = new QPushButton(this);
    saveButton = new QPushButton(this);
    playGameButton = new QPushButton(this);

    auto* soundKinds = new QButtonGroup(this);
    soundKinds->addButton(noSound);
    soundKinds->addButton(fileSound);
    soundKinds->addButton(spokenSound);
    messageLabel->setWordWrap(true);
    messageLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    whereLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long paths wrap instead of widening the window.
    whereLabel->setWordWrap(true);
    gridLabel->setWordWrap(cards->onNarrowScreen());  // under two cards, not wider than they
    // A long file name is cut off rather than widening the window.
    soundFileLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    soundFileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    busyBar->setRange(0, 0);
    busyBar->setTextVisible(false);
    busyBar->hide();
    findingsList->setMaximumHeight(5 * fontMetrics().height());
    // A long message wraps, and a long path in it does not widen the window.
    findingsList->setWordWrap(true);
    findingsList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    messageLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cutSlider->setEnabled(false);
    saveButton->setDefault(true);
    playGameButton->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(newButton);
    top->addWidget(addButton);
    top->addWidget(openButton);
    top->addSpacing(fontMetrics().height());
    top->addWidget(titleLabel_ = new QLabel(this));
    top->addWidget(titleEdit, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(cards, 1);
    left->addWidget(gridLabel);

    auto* soundBox = new QGroupBox(this);
    soundBox_ = soundBox;
    auto* sound = new QGridLayout(soundBox);
    sound->addWidget(noSound, 0, 0);
    sound->addWidget(fileSound, 1, 0);
    sound->addWidget(soundFileLabel, 1, 1);
    sound->addWidget(chooseSoundButton, 1, 2);
    sound->addWidget(spokenSound, 2, 0);
    sound->addWidget(spokenEdit, 2, 1, 1, 2);
    sound->addWidget(listenButton, 0, 2);
    sound->setColumnStretch(1, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(cutView, 1);
    auto* size = new QHBoxLayout;
    size->addWidget(sizeLabel_ = new QLabel(this));
    size->addWidget(cutSlider, 1);
    right->addLayout(size);
    right->addWidget(soundBox);
    right->addWidget(removeButton, 0, Qt::AlignRight);

    auto* middle = new QHBoxLayout;
    middle->addLayout(left, 3);
    middle->addLayout(right, 2);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(whereLabel, 1);
    bottom->addWidget(saveInButton);
    bottom->addWidget(saveButton);
    bottom->addWidget(playGameButton);

    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(middle, 1);
    all->addWidget(findingsList);
    all->addWidget(messageLabel);
    all->addWidget(busyBar);
    all->addLayout(bottom);
}

void MakerWindow::retranslate() {
    setWindowTitle(tr("Kavimo set maker"));
    newButton->setText(tr("New set"));
    addButton->setText(tr("Add pictures…"));
    openButton->setText(tr("Open…"));
    titleLabel_->setText(tr("Title:"));
    sizeLabel_->setText(tr("Square:"));
    soundBox_->setTitle(tr("Sound when the pair is found"));
    noSound->setText(tr("None (the usual sound)"));
    fileSound->setText(tr("A sound file"));
    spokenSound->setText(tr("Say the name:"));
    chooseSoundButton->setText(tr("Choose…"));
    soundFileLabel->setMinimumWidth(soundFileLabel->fontMetrics().horizontalAdvance(tr("(none chosen)")));
    listenButton->setToolTip(tr("Listen"));
    removeButton->setText(tr("Remove this pair"));
    saveInButton->setText(tr("Save in…"));
    saveButton->setText(tr("Save"));
    playGameButton->setText(tr("Play it now"));
    whereLabel->setText(tr("Saves in %1").arg(QDir::toNativeSeparators(dataDir_)));
    cards->setToolTip(tr("Drop photos or folders here; drag a card to change the order."));
    cutView->setToolTip(
        tr("Drag the square or move it with the arrow keys; the wheel or + and - change its size."));
    rebuildCards();
    showSelected();
}

void MakerWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QWidget::changeEvent(event);
}

void MakerWindow::wire() {
    connect(addButton, &QPushButton::clicked, this, [this] {
        QStringList filters;
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            filters << "*." + QString::fromLatin1(format);
        for (const QString& other : detail::kOtherPhotos) filters << "*." + other;  // to be named, not lost
        const QStringList files = QFileDialog::getOpenFileNames(this, tr("Add pictures"), picturesDir_,
                                                                tr("Pictures (%1)").arg(filters.join(' ')));
        if (files.isEmpty()) return;
        picturesDir_ = QFileInfo(files.first()).absolutePath();
        addPictures(files);
    });
    connect(newButton, &QPushButton::clicked, this, &MakerWindow::newSet);
    connect(openButton, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getOpenFileName(this, tr("Open a set"), dataDir_, tr("Sets (*.dat)"));
        if (!file.isEmpty() &&
            mayDiscard(tr("Open another set without saving? The pairs you made here are not saved yet.")))
            openSet(file);
    });
    connect(titleEdit, &QLineEdit::textEdited, this, [this] { titleEdited_ = true; });
    connect(titleEdit, &QLineEdit::textChanged, this, &MakerWindow::scheduleCheck);
    connect(titleEdit, &QLineEdit::returnPressed, this, &MakerWindow::save);
    connect(cards, &PairList::filesDropped, this, &MakerWindow::addPictures);
    connect(cards, &PairList::reordered, this, &MakerWindow::takeListOrder);
    connect(cards, &QListWidget::currentRowChanged, this, &MakerWindow::showSelected);
    connect(cutView, &CutView::cutEdited, this, [this](QRect cut) { setCut(selectedPair(), cut); });
    connect(cutSlider, &QSlider::valueChanged, this, [this](int side) {
        const int pair = selectedPair();
        if (pair < 0) return;
        const QRect cut = cutOf(pairs_[pair]);
        if (side != cut.width()) setCut(pair, resizedCut(cut, side, pairs_[pair].upright));
    });
    connect(noSound, &QRadioButton::clicked, this, [this] { chooseNoSound(selectedPair()); });
    connect(fileSound, &QRadioButton::clicked, this, [this] {
        const int pair = selectedPair();
        if (pair < 0) return;
        if (!pairs_[pair].plan.sound.file.isEmpty()) {
            pairs_[pair].plan.sound.kind = SoundChoice::Kind::File;
            showSelected();
            scheduleCheck();
        } else {
            chooseSoundButton->click();
        }
    });
    connect(chooseSoundButton, &QPushButton::clicked, this, [this] {
        const int pair = selectedPair();
        if (pair < 0) return;
        // A phone's recordings too: to be named, not lost.
        const QStringList kinds = detail::kPlayableSounds + detail::kOtherSounds;
        const QString file = QFileDialog::getOpenFileName(
            this, tr("Choose a sound"), QFileInfo(pairs_[pair].plan.picture).absolutePath(),
            tr("Sounds (*.%1);;All files (*)").arg(kinds.join(QStringLiteral(" *."))));
        if (file.isEmpty()) {
            showSelected();  // the choice stays as it was
            return;
        }
        chooseSoundFile(pair, file);
    });
    connect(spokenSound, &QRadioButton::clicked, this,
            [this] { chooseSpoken(selectedPair(), spokenEdit->text()); });
    connect(spokenEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { chooseSpoken(selectedPair(), text); });
    connect(listenButton, &QPushButton::clicked, this, [this] { listen(selectedPair()); });
    connect(removeButton, &QPushButton::clicked, this, [this] { removePair(selectedPair()); });
    auto* removeKey = new QShortcut(QKeySequence::Delete, cards, nullptr, nullptr, Qt::WidgetShortcut);
    connect(removeKey, &QShortcut::activated, this, [this] { removePair(selectedPair()); });
    connect(saveInButton, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, tr("Save in a Data folder"), dataDir_);
        if (!dir.isEmpty()) setDataDir(dir);
    });
    connect(saveButton, &QPushButton::clicked, this, &MakerWindow::save);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &MakerWindow::save);
    connect(playGameButton, &QPushButton::clicked, this, &MakerWindow::playGame);
    connect(&checkTimer_, &QTimer::timeout, this, &MakerWindow::runCheck);
    connect(this, &MakerWindow::settled, this, [this] {
        if (!asking_ && std::exchange(saveWhenSettled_, false)) save();
    });
    connect(&busyDelay_, &QTimer::timeout, this, [this] { busyBar->setVisible(working_ > 0); });
}

template <typename T>
void MakerWindow::inBackground(std::function<T()> work, std::function<void(T)> done) {
    auto* watcher = new QFutureWatcher<T>(this);  // owned by this window until it ends
    ++working_;
    if (!busyDelay_.isActive() && !busyBar->isVisible()) busyDelay_.start();
    updateControls();
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, done = std::move(done)] {
        watcher->deleteLater();
        --working_;
        done(watcher->result());
        workEnded();
    });
    watcher->setFuture(QtConcurrent::run(&workers_, std::move(work)));
}

void MakerWindow::workEnded() {
    if (working_ == 0) {
        busyDelay_.stop();
        busyBar->hide();
    }
    updateControls();
    if (!busy()) emit settled();
}

bool MakerWindow::busy() const {
    return working_ > 0 || checkDue_;
}

QString MakerWindow::message() const {
    return messageLabel->text();
}

void MakerWindow::say(const QString& text) {
    messageLabel->setText(text);
}

// Pictures in.

void MakerWindow::addPictures(const QStringList& given) {
    if (given.isEmpty() || saving_) return;
    // In name order, "2" before "10", as make takes a folder: a file dialog or a drop gives
    // them in the order they were picked, or in its own.
    const QStringList picturesOrFolders = naturalOrder(given);
    if (!titleEdited_ && titleEdit->text().isEmpty()) titleEdit->setText(titleFor(picturesOrFolders.first()));
    const QString dataDir = dataDir_;
    load(
        [picturesOrFolders, dataDir](QString*) -> std::optional<SetPlan> {
            return planFromPictures(picturesOrFolders, {}, dataDir, false);
        },
        false);
}

void MakerWindow::openSet(const QString& datPath) {
    opening_ = datPath;
    load([datPath](QString* error) { return readSet(datPath, error); }, true);
}

void MakerWindow::load(std::function<std::optional<SetPlan>(QString* error)> planner, bool replace) {
    const int room = replace ? kMaxPairs : kMaxPairs - int(pairs_.size());
    if (!replace) ++adding_;
    inBackground<std::shared_ptr<Loaded>>(
        [planner = std::move(planner), room, workers = &workers_] {
            auto result = std::make_shared<Loaded>();
            std::optional<SetPlan> plan = planner(&result->error);
            if (!plan) {
                if (result->error.isEmpty()) result->error = tr("The set could not be read.");
                return result;
            }
            result->plan = std::move(*plan);
            for (const QString& photo : result->plan.passedOver) {
                result->refused << detail::photoProblem(photo);
                result->refusedNames << QFileInfo(photo).fileName();
            }
            const std::vector<PairPlan>& wanted = result->plan.pairs;
            struct Decoded {
                Pair pair;
                QString error;
            };
            const auto decode = [](const PairPlan& plan) {
                Decoded d;
                d.pair.plan = plan;
                const QImage upright = uprightPicture(plan.picture, &d.error);
                if (upright.isNull()) return d;
                d.pair.upright = upright.size();
                d.pair.preview = upright.width() > kPreviewSide || upright.height() > kPreviewSide
                                     ? upright.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio,
                                                      Qt::SmoothTransformation)
                                     : upright;
                return d;
            };
            // In order, as many as there is room for: a picture that does not decode is named
            // and the next one takes its place; only what was never needed is left out.
            size_t next = 0;
            while (int(result->pairs.size()) < room && next < wanted.size()) {
                const size_t batch = std::min(wanted.size() - next, size_t(room) - result->pairs.size());
                const auto from = wanted.begin() + qsizetype(next);
                const QList<PairPlan> plans(from, from + qsizetype(batch));
                const auto decoded = QtConcurrent::blockingMapped<QList<Decoded>>(workers, plans, decode);
                for (const Decoded& d : decoded) {
                    if (!d.pair.preview.isNull()) {
                        result->pairs.push_back(d.pair);
                        continue;
                    }
                    result->refused << d.error;
                    result->refusedNames << QFileInfo(d.pair.plan.picture).fileName();
                }
                next += batch;
            }
            result->leftOut = int(wanted.size() - next);
            return result;
        },
        [this, replace](const std::shared_ptr<Loaded>& result) { loaded(*result, replace); });
}

void MakerWindow::loaded(const Loaded& result, bool replace) {
    if (!replace) --adding_;
    if (!result.error.isEmpty()) {
        say(result.error);
        return;
    }
    if (replace) {
        pairs_.clear();
        titleEdit->setText(result.plan.title);
        titleEdited_ = true;
        setDataDir(result.plan.dataDir);
        own_ = OwnSet{result.plan.title, result.plan.dataDir, setFileBytes(opening_)};
        savedDat_ = opening_;  // "Play it now" plays the set shown
        playGameButton->setEnabled(true);
    }
    const bool wasModified = modified_;
    int leftOut = result.leftOut;
    for (Pair pair : result.pairs) {
        // Another drop may have filled the set while this one was decoding.
        if (int(pairs_.size()) >= kMaxPairs) {
            ++leftOut;
            continue;
        }
        pair.id = nextId_++;
        if (!replace) pair.plan.name = uniqueName(pair.plan.name);
        pairs_.push_back(std::move(pair));
    }
    QStringList said = result.plan.notes;
    if (!result.refused.isEmpty()) {
        // A phone's folder may hold hundreds of photos that cannot be used: the first few are
        // said in full and the others named, so that the window keeps its size.
        constexpr qsizetype kInFull = 3, kNamed = 8;
        said << tr("These files are not pictures that can be used:") << result.refused.mid(0, kInFull);
        const QStringList others = result.refusedNames.mid(kInFull);
        if (!others.isEmpty())
            said << tr("And %n more: %1", nullptr, int(others.size()))
                        .arg(others.mid(0, kNamed).join(QStringLiteral(", ")) +
                             (others.size() > kNamed ? QStringLiteral(", …") : QString()));
    }
    if (leftOut > 0)
        said << tr("A set holds at most %1 pairs: %2 more not added.").arg(kMaxPairs).arg(leftOut);
    say(said.join('\n'));
    rebuildCards();
    if (selectedPair() < 0 && !pairs_.empty()) selectPair(0);
    scheduleCheck();
    // An opened set shown without some of its pairs is not the set on disk.
    modified_ = replace ? !result.plan.notes.isEmpty() || !result.refused.isEmpty() || result.leftOut > 0
                        : wasModified || !result.pairs.empty();
}

QString MakerWindow::uniqueName(const QString& name) const {
    auto taken = [this](const QString& candidate) {
        return std::any_of(pairs_.begin(), pairs_.end(), [&](const Pair& p) {
            return p.plan.name.compare(candidate, Qt::CaseInsensitive) == 0;
        });
    };
    QString candidate = name;
    for (int n = 2; taken(candidate); ++n) candidate = QStringLiteral("%1-%2").arg(name).arg(n);
    return candidate;
}

void MakerWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MakerWindow::dropEvent(QDropEvent* event) {
    const QStringList files = droppedFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    addPictures(files);
}

// The cards.

QRect MakerWindow::cutOf(const Pair& pair) const {
    return pair.plan.cut.isEmpty() ? largestCentredSquare(pair.upright) : pair.plan.cut;
}

void MakerWindow::rebuildCards() {
    const int current = cards->currentRow();
    const QSignalBlocker quiet(cards);
    cards->clear();
    cards->setCardSideLarge(cardSide(1));
    cards->setCardSide(cardSide(std::max<int>(1, int(pairs_.size()))));
    for (const Pair& pair : pairs_) {
        auto* item = new QListWidgetItem(cards);  // owned by the list
        item->setData(Qt::UserRole, pair.id);
        item->setToolTip(QDir::toNativeSeparators(pair.plan.picture));
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    }
    for (int i = 0; i < int(pairs_.size()); ++i) updateCard(i);
    cards->setCurrentRow(std::min(current, int(pairs_.size()) - 1));
    const int n = int(pairs_.size());
    if (n == 0)
        gridLabel->setText(tr("No pictures yet: add some, or drop photos or folders on the cards."));
    else if (n == 1)
        gridLabel->setText(tr("1 pair: 2 large cards"));
    else if (cardSide(n) == cardSide(1))
        gridLabel->setText(tr("%1 pairs: %2 large cards").arg(n).arg(2 * n));
    else
        gridLabel->setText(tr("%1 pairs: %2 small cards").arg(n).arg(2 * n));
    showSelected();
}

void MakerWindow::updateCard(int pair) {
    QListWidgetItem* item = cards->item(pair);
    if (!item) return;
    const Pair& p = pairs_[pair];
    const qreal ratio = cards->devicePixelRatioF();
    const int side = cards->cardSide();
    // The square in preview pixels: the card is drawn from the screen copy of the photo.
    const double scale = double(p.preview.width()) / p.upright.width();
    const QRect cut = cutOf(p);
    const QRect shownCut =
        QRectF(cut.left() * scale, cut.top() * scale, cut.width() * scale, cut.height() * scale)
            .toRect()
            .intersected(p.preview.rect());
    QImage card = cardPicture(p.preview, shownCut, int(side * ratio));
    card.setDevicePixelRatio(ratio);
    // The same picture when selected: the child never sees the selection's tint.
    QIcon icon;
    const QPixmap pixmap = QPixmap::fromImage(card);
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Selected);
    item->setIcon(icon);
    item->setText(pair == 0 ? tr("★ preview") : QString::number(pair + 1));
}

void MakerWindow::takeListOrder() {
    std::vector<Pair> ordered;
    for (int row = 0; row < cards->count(); ++row) {
        const int id = cards->item(row)->data(Qt::UserRole).toInt();
        auto it = std::find_if(pairs_.begin(), pairs_.end(), [id](const Pair& p) { return p.id == id; });
        if (it != pairs_.end()) ordered.push_back(std::move(*it));
    }
    if (ordered.size() != pairs_.size()) return;  // mid-move; the next signal completes it
    pairs_ = std::move(ordered);
    // The cards are laid out anew once the list has finished moving, the moved one selected.
    const int moved = selectedPair() >= 0 ? pairs_[selectedPair()].id : 0;
    QMetaObject::invokeMethod(
        this,
        [this, moved] {
            rebuildCards();
            for (int i = 0; i < int(pairs_.size()); ++i)
                if (pairs_[i].id == moved) selectPair(i);
        },
        Qt::QueuedConnection);
    scheduleCheck();
}

int MakerWindow::selectedPair() const {
    const int row = cards->currentRow();
    return row >= 0 && row < int(pairs_.size()) ? row : -1;
}

void MakerWindow::selectPair(int pair) {
    cards->setCurrentRow(pair);
}

void MakerWindow::newSet() {
    if (working_ > 0 ||
        !mayDiscard(tr("Start a new set without saving? The pairs you made here are not saved yet.")))
        return;
    pairs_.clear();
    titleEdit->clear();
    titleEdited_ = false;
    own_.reset();
    savedDat_.clear();
    playGameButton->setEnabled(false);
    say({});
    rebuildCards();
    showSelected();
    scheduleCheck();
    modified_ = false;
}

void MakerWindow::removePair(int pair) {
    if (pair < 0 || pair >= int(pairs_.size())) return;
    pairs_.erase(pairs_.begin() + pair);
    rebuildCards();
    scheduleCheck();
}

void MakerWindow::setCut(int pair, QRect cut) {
    if (pair < 0 || pair >= int(pairs_.size())) return;
    Pair& p = pairs_[pair];
    p.plan.cut = resizedCut(cut, cut.width(), p.upright);
    updateCard(pair);
    if (pair == selectedPair()) {
        cutView->setCut(p.plan.cut);
        const QSignalBlocker quiet(cutSlider);
        cutSlider->setValue(p.plan.cut.width());
    }
    scheduleCheck();
}

void MakerWindow::showSelected() {
    const int pair = selectedPair();
    const bool any = pair >= 0;
    if (!any) {
        // Nothing of the last pair shown stays behind, greyed.
        cutView->clear();
        noSound->setChecked(true);
        soundFileLabel->setName(tr("(none chosen)"));
        spokenEdit->clear();
        spokenEdit->setPlaceholderText({});
    } else {
        const Pair& p = pairs_[pair];
        cutView->setPicture(p.preview, p.upright, cutOf(p));
        const QSignalBlocker quiet(cutSlider);
        cutSlider->setRange(smallestCut(p.upright), largestCut(p.upright));
        cutSlider->setValue(cutOf(p).width());
        const SoundChoice& sound = p.plan.sound;
        noSound->setChecked(sound.kind == SoundChoice::Kind::None);
        fileSound->setChecked(sound.kind == SoundChoice::Kind::File);
        spokenSound->setChecked(sound.kind == SoundChoice::Kind::Spoken);
        soundFileLabel->setName(sound.file.isEmpty() ? tr("(none chosen)")
                                                     : QFileInfo(sound.file).fileName());
        // Left empty, the picture's name is spoken: shown greyed, so that clearing the field
        // to write another name does not fill it again.
        spokenEdit->setPlaceholderText(QFileInfo(p.plan.picture).completeBaseName());
        if (spokenEdit->text() != sound.spokenText) spokenEdit->setText(sound.spokenText);
    }
    updateControls();
}

void MakerWindow::updateControls() {
    const bool any = selectedPair() >= 0;
    const bool free = !saving_;
    for (QPushButton* button : {newButton, addButton, openButton}) button->setEnabled(free && working_ == 0);
    titleEdit->setEnabled(free);
    cards->setEnabled(free);
    for (QWidget* w :
         std::initializer_list<QWidget*>{cutView, cutSlider, noSound, fileSound, spokenSound,
                                         chooseSoundButton, spokenEdit, listenButton, removeButton})
        w->setEnabled(free && any);
    saveInButton->setEnabled(free);
    saveButton->setEnabled(free && !busy() && errors_ == 0 && !pairs_.empty());
}

// Sounds.

void MakerWindow::chooseSoundFile(int pair, const QString& file) {
    if (pair < 0 || pair >= int(pairs_.size())) return;
    const int id = pairs_[pair].id;
    inBackground<QString>(
        [file] {
            QString why;
            return soundPlayable(file, &why) ? QString() : why;
        },
        [this, id, file](const QString& why) {
            auto it = std::find_if(pairs_.begin(), pairs_.end(), [id](const Pair& p) { return p.id == id; });
            if (it == pairs_.end()) return;
            if (!why.isEmpty()) {
                say(why);  // as make says it
            } else {
                it->plan.sound.kind = SoundChoice::Kind::File;
                it->plan.sound.file = file;
                say({});
            }
            showSelected();
            scheduleCheck();
        });
}

void MakerWindow::chooseSpoken(int pair, const QString& text) {
    if (pair < 0 || pair >= int(pairs_.size())) return;
    SoundChoice& sound = pairs_[pair].plan.sound;
    sound.kind = SoundChoice::Kind::Spoken;
    sound.spokenText = text;
    showSelected();
    scheduleCheck();
}

void MakerWindow::chooseNoSound(int pair) {
    if (pair < 0 || pair >= int(pairs_.size())) return;
    pairs_[pair].plan.sound.kind = SoundChoice::Kind::None;
    showSelected();
    scheduleCheck();
}

void MakerWindow::listen(int pair) {
    if (pair < 0 || pair >= int(pairs_.size())) return;
    const SoundChoice& sound = pairs_[pair].plan.sound;
    switch (sound.kind) {
        case SoundChoice::Kind::None:
            platform_.sndPlaySoundA(platform_.applicationDir() + QLatin1String(kFallbackSound), SND_ASYNC);
            break;
        case SoundChoice::Kind::File:
            platform_.sndPlaySoundA(sound.file, SND_ASYNC);
            break;
        case SoundChoice::Kind::Spoken:
            speakInto(spokenName(pairs_[pair].plan),
                      [this](const QString& wav) { platform_.sndPlaySoundA(wav, SND_ASYNC); });
            break;
    }
}

void MakerWindow::speakInto(const QString& text, std::function<void(QString)> played) {
    if (!spoken_) spoken_.emplace();
    if (!spoken_->isValid()) {
        say(tr("No scratch folder for the spoken name: %1").arg(spoken_->errorString()));
        spoken_.reset();
        return;
    }
    // A new file each time, so that a sound still playing is never overwritten.
    const QString wav = spoken_->filePath(QStringLiteral("spoken-%1.wav").arg(++spokenCount_));
    inBackground<QString>(
        [text, wav] {
            QString error;
            return speakToWav(text, wav, &error) ? QString()
                                                 : (error.isEmpty() ? QStringLiteral("?") : error);
        },
        [this, wav, played = std::move(played)](const QString& error) {
            if (!error.isEmpty())
                say(tr("The name could not be spoken: %1").arg(error));
            else
                played(wav);
        });
}

// The check and saving.

SetPlan MakerWindow::plan() const {
    SetPlan plan;
    plan.title = titleEdit->text();
    plan.dataDir = dataDir_;
    for (const Pair& pair : pairs_) {
        PairPlan p = pair.plan;
        if (p.sound.kind == SoundChoice::Kind::Spoken) p.sound.spokenText = spokenName(p);
        plan.pairs.push_back(p);
    }
    plan.force = own_ && own_->title == plan.title && QDir(own_->dataDir) == QDir(plan.dataDir) &&
                 setFileBytes(datPath(plan)) == own_->file;
    return plan;
}

void MakerWindow::setDataDir(const QString& dataDir) {
    dataDir_ = dataDir;
    whereLabel->setText(tr("Saves in %1").arg(QDir::toNativeSeparators(dataDir_)));
    scheduleCheck();
}

void MakerWindow::scheduleCheck() {
    // Changed since: the set shown is no longer the one saved.
    if (!savedDat_.isEmpty() && message() == savedAs(savedDat_)) say({});
    modified_ = true;
    checkDue_ = true;
    ++checkGeneration_;
    checkTimer_.start();
    updateControls();
}

// A set of another title that is there already is replaced when the parent says so on saving.
bool MakerWindow::replacesAnother(const SetPlan& plan) const {
    return !plan.force && QFileInfo(datPath(plan)).isFile();
}

void MakerWindow::runCheck() {
    const int generation = checkGeneration_;
    SetPlan current = plan();
    if (current.pairs.empty() && current.title.trimmed().isEmpty()) {
        // A new set: what to do first, not two errors before the parent has done anything.
        checkDue_ = false;
        errors_ = 1;
        findingsList->clear();
        findingsList->addItem(tr("Add pictures with \"Add pictures…\" and give the set a title."));
        return;
    }
    const bool replaces = replacesAnother(current);
    current.force = true;
    inBackground<std::vector<Finding>>(
        [current, replaces] {
            // Its sets are for this game: what matters only on Windows is not said.
            std::vector<Finding> findings = withoutWindowsOnly(checkPlan(current));
            if (replaces)
                findings.push_back({Finding::Severity::Warning, {}, 0,
                                    tr("Saving replaces the set \"%1\" that is there already.")
                                        .arg(detail::safeName(current.title))});
            return findings;
        },
        [this, generation](const std::vector<Finding>& findings) {
            if (generation != checkGeneration_) return;  // edited since
            checkDue_ = false;
            errors_ = 0;
            findingsList->clear();
            for (const Finding& f : findings) {
                errors_ += f.severity == Finding::Severity::Error;
                QString where = QDir::toNativeSeparators(f.file);
                if (f.line > 0) where += QStringLiteral(":%1").arg(f.line);
                findingsList->addItem(QStringLiteral("%1: %2%3")
                                          .arg(severityText(f.severity),
                                               where.isEmpty() ? QString() : where + ": ", f.message));
            }
            if (findings.empty())
                findingsList->addItem(modified_ ? tr("Ready to save.")
                                                : tr("Nothing to save: the set is saved as it is shown."));
        });
}

void MakerWindow::save() {
    if (busy()) {
        // Return or Ctrl+S straight after typing the title: saved once the check has run.
        saveWhenSettled_ = !saving_;
        return;
    }
    if (errors_ > 0 || pairs_.empty()) return;
    SetPlan current = plan();
    if (replacesAnother(current)) {
        // The set this window saved or opened, saved since by another window or program.
        const bool changed =
            own_ && own_->title == current.title && QDir(own_->dataDir) == QDir(current.dataDir);
        const QString title = detail::safeName(current.title);
        const QString question =
            changed ? tr("The set \"%1\" was changed by another window or program since it was opened or "
                         "saved here. Replace it with the set shown here? What the set maker did not make in "
                         "its folder stays.")
                    : tr("Replace the set \"%1\" that is there already? What the set maker did not make in "
                         "its folder stays.");
        if (!confirm(question.arg(title))) return;
        current.force = true;
    }
    saving_ = true;
    // The controls are off while saving, which takes the focus from the one that had it.
    const QPointer<QWidget> focused = focusWidget();
    say(tr("Saving…"));
    inBackground<MakeResult>(
        [current] { return writeSet(current); },
        [this, current, focused](const MakeResult& result) {
            saving_ = false;
            updateControls();
            if (focused && focused->isEnabled()) focused->setFocus();
            if (!result.ok) {
                closeWhenSaved_ = ending_;  // else the window stays, to say why
                say(result.message.isEmpty() ? tr("The set was not saved.") : result.message);
            } else {
                savedDat_ = result.datPath;
                own_ = OwnSet{current.title, current.dataDir, setFileBytes(result.datPath)};
                playGameButton->setEnabled(true);
                scheduleCheck();  // the title now exists
                modified_ = false;
                say(savedAs(result.datPath));
            }
            if (std::exchange(closeWhenSaved_, false)) close();
        });
}

void MakerWindow::playGame() {
    if (modified_ && !pairs_.empty()) {
        say(tr("Save the set first: the game plays it as it was last saved."));
        return;
    }
    const QString programDir = QCoreApplication::applicationDirPath();
    if (!listedByGame(QFileInfo(savedDat_).absolutePath())) {
        say(tr("The game lists only the sets in %1 and %2, so it cannot show this one. Save the set "
               "in one of them to play it.")
                .arg(QDir::toNativeSeparators(programDir + QStringLiteral("/Data")),
                     QDir::toNativeSeparators(userDataDir())));
        return;
    }
    const QString game = programDir + QStringLiteral("/kavimo");
    if (!QProcess::startDetached(game, {savedDat_}))
        say(tr("The game could not be started: %1").arg(QDir::toNativeSeparators(game)));
}

}  // namespace kavimo::maker
