// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Form1.h"

#include "pictures/PngRows.h"
#include "platform/FileLookup.h"
#include "platform/Platform.h"
#include "shell/FileListBox.h"
#include "shell/FrameStyle.h"
#include "shell/PictureBox.h"
#include "shell/PreviewImage.h"
#include "shell/SelectionFrame.h"
#include "shell/Twips.h"
#include "shell/WindowFonts.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <utility>

// Resources of a static library must be registered by hand, outside any namespace.
static void registerResources() { Q_INIT_RESOURCE(kavimo); }

namespace kavimo {

namespace {

// The client area: 8070 x 7755 twips.
constexpr int kClientWidth = 8070;
constexpr int kClientHeight = 7755;

const QString kErrorTitle = QStringLiteral("ｴﾗｰ");

QPushButton* makeButton(const QString& caption, const QRect& twips, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    // Return and Enter press the focused button, as Space does (Qt gives them to buttons only
    // in dialogs otherwise); the button looks the same.
    button->setAutoDefault(true);
    button->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return button;
}

}  // namespace

Form1::Form1(Platform& platform, QWidget* parent) : QWidget(parent), platform_(platform) {
    registerResources();
    setWindowTitle(QStringLiteral("Kavimo"));
    setFont(fonts::window());
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    createControls();
    setTabOrder();
}

Form1::~Form1() = default;

void Form1::createControls() {
    // Design place of every card: the small-card grid, where only a 21-pair set moves them.
    for (int i = 0; i < board::kCards; ++i) {
        const auto& g = board::kSmallGrid;
        auto* card = new PictureBox(this);
        card->setGeometry(twipsRect(board::cardLeft(g, i), board::cardTop(g, i), g.cardSide, g.cardSide));
        card->setEnabled(false);
        Picture1[i] = card;
        connect(card, &PictureBox::clicked, this, [this, i] { Picture1_Click(static_cast<int16_t>(i)); });
    }
    for (int i = 0; i < board::kCards; ++i) {
        Shape1[i] = &Picture1[i]->frame();
        Shape1[i]->place(board::kFrameOffset, board::kFrameOffset, board::kLargeGrid.frameSide,
                         board::kLargeGrid.frameSide);
    }

    File1 = new FileListBox(this);
    File1->setGeometry(twipsRect(240, 0, 2415, 270));
    File1->onClick = [this] { File1_Click(); };

    Frame1 = new QGroupBox(this);
    Frame1->setFocusPolicy(Qt::NoFocus);
    auto* frameStyle = new FrameStyle;
    frameStyle->setParent(Frame1);
    Frame1->setStyle(frameStyle);
    Frame1->setGeometry(twipsRect(3000, 6720, 5055, 975));

    Command3 = makeButton(QStringLiteral(">>"), {4320, 360, 615, 375}, Frame1);
    Command3->setFont(fonts::browser());
    Command2 = makeButton(QStringLiteral("<<"), {3600, 360, 615, 375}, Frame1);
    Command2->setFont(fonts::browser());
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });

    Label1 = new QLabel(Frame1);
    Label1->setTextFormat(Qt::PlainText);  // a title is a file name, never markup
    Label1->setGeometry(twipsRect(1080, 360, 2415, 375));

    Image1 = new PreviewImage(Frame1);
    Image1->setGeometry(twipsRect(240, 160, 735, 735));

    Command1 = makeButton(QStringLiteral("スタート"), {600, 6840, 1935, 735}, this);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

// Keyboard order: cards 0 to 19, the start button, the browser, cards 20 to 41. The
// frame, the label and the set list never take the focus, so only the rest are chained.
void Form1::setTabOrder() {
    std::vector<QWidget*> order(Picture1.begin(), Picture1.begin() + 20);
    order.insert(order.end(), {Command1, Command2, Command3});
    order.insert(order.end(), Picture1.begin() + 20, Picture1.end());
    for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

QString Form1::SetFilePath() const { return File1->folder(File1->listIndex()) + "\\" + File1->fileName(); }

QString Form1::SetRoot() const {
    // Both the program's and the user's set folders are called Data: a set's entries
    // ("Data\dog\1.png") are read from the folder that holds it, so a set moves between them
    // unchanged.
    const QString folder = File1->folder(File1->listIndex());
    constexpr qsizetype kDataPart = 5;  // "\Data" or "/Data"
    return folder.left(folder.size() - kDataPart);
}

void Form1::PlaySoundCue(const QString& literal, int16_t leadIn) {
    const QString path = DataDir + literal;
    if (!fs::fileExists(path)) return;
    if (leadIn > 0) Pause(leadIn);
    platform_.sndPlaySoundA(path, SND_ASYNC);
}

// Blocks for whole seconds; the window neither repaints nor takes input meanwhile.
void Form1::Pause(int16_t seconds) {
    const double start = platform_.clock();
    if (seconds <= 0) return;
    const double end = start + seconds;
    while (platform_.clock() < end) platform_.sleepUntil(end);
}

void Form1::ShowError(int16_t code) {
    QString message;
    switch (code) {
    case 0: message = QStringLiteral("ﾃﾞｰﾀﾌｧｲﾙが見つかりませんでした。"); break;
    case 1: message = QStringLiteral("ﾃﾞｰﾀﾌｧｲﾙに設定されているﾌｧｲﾙが見つかりませんでした。"); break;
    default: message = QStringLiteral("ｴﾗｰが発生しました"); break;
    }
    platform_.messageBox(message, kErrorTitle, MB_OK + MB_ICONSTOP);
}

void Form1::paintEvent(QPaintEvent* /*event*/) {
    if (std::exchange(painted_, true)) return;
    // The icon is read after the first paint, which it would otherwise hold up by a few
    // milliseconds (Qt looks for icon engine plugins and converts it for the window system).
    // Read straight through libpng: Qt's reader would first list every picture plugin.
    QMetaObject::invokeMethod(
        this,
        [this] {
            fonts::afterFirstPaint(this);
            if (const auto icon = pictures::readPng(QStringLiteral(":/kavimo.png")))
                setWindowIcon(QIcon(QPixmap::fromImage(*icon)));
        },
        Qt::QueuedConnection);
}

// Closing always goes ahead, in any state of the game.
void Form1::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        int16_t cancel = 0;
        Form_Unload(cancel);
    }
    event->accept();
}

}  // namespace kavimo
