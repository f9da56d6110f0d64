// SPDX-License-Identifier: GPL-3.0-or-later
// The set maker's window, driven as a parent drives it: pictures dropped in, a square
// moved, a name spoken, saved; and what it refuses.

#include <QDirIterator>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QThreadPool>

#include "maker/CutGeometry.h"
#include "maker/CutView.h"
#include "maker/MakerWindow.h"
#include "maker/PairList.h"
#include "support/Game.h"

namespace kavimo::maker {
namespace {

using namespace test;

QString writePhoto(const TempDir& dir, const QString& relative, QSize size) {
    return dir.write(relative, encoded(textured(size), "PNG"));
}

// Every file under a folder, by its path relative to the folder, with its bytes.
QMap<QString, QByteArray> filesUnder(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        if (QFile file(it.next()); file.open(QIODevice::ReadOnly))
            files[file.fileName().mid(folder.size() + 1)] = file.readAll();
    return files;
}

// The window saving into a scratch game folder, and three photos of 160 x 100 in Zoo.
struct Maker {
    Maker() {
        for (const char* name : {"Zoo/cat.png", "Zoo/bee.png", "Zoo/ant.png"})
            writePhoto(source, name, {160, 100});
        window.setDataDir(scene.app.path() + "/Data");
        window.show();
    }
    bool settle() { return QTest::qWaitFor([&] { return !window.busy(); }, 30000); }

    Scene scene;
    TempDir source;
    QString photos = source.mkdir("Zoo");
    MakerWindow window{scene.platform};
};

class MakerWindowTest : public ::testing::Test, public Maker {};

TEST_F(MakerWindowTest, ASetMadeByHandEqualsWhatMakeWrites) {
    // Opened, it says what to do first, and no error yet.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.findingsList->count() > 0; }));
    EXPECT_EQ(window.findingsList->item(0)->text(),
              "Add pictures with \"Add pictures…\" and give the set a title.");
    // The folder dragged from the file manager and dropped on the cards.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(photos)});
    QWidget* target = window.cards->viewport();
    QDragEnterEvent enter(target->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QDragMoveEvent move(target->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QDropEvent dropped(target->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, {});
    for (QEvent* event : std::initializer_list<QEvent*>{&enter, &move, &dropped})
        EXPECT_TRUE(QCoreApplication::sendEvent(target, event) && event->isAccepted()) << event->type();
    ASSERT_TRUE(settle());
    EXPECT_EQ(window.gridLabel->text(), "3 pairs: 6 large cards");
    // The second pair's square, by keyboard (by mouse under Xvfb): a tenth of its side a step,
    // a tenth smaller or larger, and never out of the photo.
    window.selectPair(1);
    const std::pair<Qt::Key, QRect> steps[] = {
        {Qt::Key_Right, {40, 0, 100, 100}}, {Qt::Key_Minus, {44, 4, 91, 91}}, {Qt::Key_Down, {44, 9, 91, 91}},
        {Qt::Key_Left, {35, 9, 91, 91}}, {Qt::Key_Up, {35, 0, 91, 91}}, {Qt::Key_Plus, {30, 0, 100, 100}},
        {Qt::Key_Right, {40, 0, 100, 100}}, {Qt::Key_Right, {50, 0, 100, 100}},
        {Qt::Key_Right, {60, 0, 100, 100}}, {Qt::Key_Right, {60, 0, 100, 100}}};
    for (const auto& [key, cut] : steps) {
        QTest::keyClick(window.cutView, key);
        EXPECT_EQ(window.cutView->cut(), cut) << key;
    }

    // The third pair says its name.
    window.selectPair(2);
    window.spokenSound->click();
    window.spokenEdit->selectAll();
    QTest::keyClick(window.spokenEdit, Qt::Key_Backspace);  // cleared, it stays so: the picture's name
    EXPECT_EQ(QStringList({window.spokenEdit->text(), window.spokenEdit->placeholderText()}),
              QStringList({"", "cat"}));
    window.listenButton->click();
    ASSERT_TRUE(settle());
    const Log heard = scene.take();
    EXPECT_TRUE(heard.size() == 1 && heard[0].startsWith("sound spoken-") && !heard[0].endsWith("(missing)"));

    window.saveButton->click();
    ASSERT_TRUE(settle() && !window.savedDat().isEmpty() && window.playGameButton->isEnabled())
        << window.message().toStdString();
    window.playGameButton->click();  // saved where the game does not look: not started on another set
    EXPECT_TRUE(window.message().contains("cannot show this one")) << window.message().toStdString();

    // The same choices through make.
    TempDir made;
    SetPlan plan = planFromPictures({photos}, "Zoo", made.path() + "/Data", false);
    plan.pairs.at(1).cut = QRect(60, 0, 100, 100);
    plan.pairs.at(2).sound = {.kind = SoundChoice::Kind::Spoken, .file = {}, .spokenText = "cat"};
    ASSERT_TRUE(writeSet(plan).ok);
    const auto ours = filesUnder(scene.app.path() + "/Data");
    EXPECT_TRUE(ours == filesUnder(made.path() + "/Data")) << ours.keys().join(' ').toStdString();

    // Opened again, it keeps its sounds and saves over itself; another set opened is the one played.
    window.openSet(window.savedDat());
    ASSERT_TRUE(settle());
    window.openSet(made.path() + "/Data/Zoo.dat");
    ASSERT_TRUE(settle());
    EXPECT_EQ(window.savedDat(), made.path() + "/Data/Zoo.dat");
    const std::vector<PairPlan> reopened = window.plan().pairs;
    EXPECT_TRUE(reopened.size() == 3 && reopened[0].sound.kind == SoundChoice::Kind::None &&
                reopened[2].sound.kind == SoundChoice::Kind::File && window.saveButton->isEnabled());
    window.removePair(0);  // not played as it was saved without a word
    window.playGameButton->click();
    EXPECT_TRUE(window.message().startsWith("Save the set first")) << window.message().toStdString();
}

// A set written by hand, with a picture gone and fewer pictures than pairs, opens with the
// pairs it has, so that the parent can mend it here; what is wrong is said.
TEST_F(MakerWindowTest, OpensAHandWrittenSetWithThePairsItHas) {
    QFile::copy(photos + "/cat.png", scene.app.mkdir("Data/hand") + "/cat.png");
    window.openSet(scene.app.write("Data/hand.dat", "[File]\r\n3\r\n[Picture]\r\nData\\hand\\cat.png\r\n"
                                                    "Data\\hand\\gone.png\r\n[Sound]\r\n\r\n\r\n"));
    ASSERT_TRUE(settle());
    EXPECT_EQ(window.plan().pairs.size(), 1u);
    for (const char* said : {"says 3 pairs, but names 2 pictures", "picture Data\\hand\\gone.png is missing"})
        EXPECT_TRUE(window.message().contains(said)) << window.message().toStdString();
    window.playGameButton->click();  // the set on disk is not what the window shows
    EXPECT_TRUE(window.message().startsWith("Save the set first")) << window.message().toStdString();
}

TEST_F(MakerWindowTest, CardsFollowTheListOrderAndRemovalAndTheSmallGrid) {
    window.addPictures({photos});
    ASSERT_TRUE(settle());
    const QString first = window.plan().pairs[0].picture;
    window.cards->model()->moveRow({}, 0, {}, 3);  // what dragging the first card to the end does
    window.selectPair(0);
    window.activateWindow();
    window.cards->setFocus();
    QTest::keyClick(window.cards, Qt::Key_Delete);
    EXPECT_TRUE(window.plan().pairs.size() == 2 && window.plan().pairs[1].picture == first);

    QStringList more;  // picked in a file dialog, which gives them in its own order
    for (int i = 1; i <= 9; ++i) more << writePhoto(source, QString("More/%1.png").arg(i * 5), {50, 80});
    std::ranges::sort(more);
    window.addPictures(more);
    ASSERT_TRUE(settle());
    EXPECT_EQ(window.gridLabel->text(), "11 pairs: 22 small cards");
    EXPECT_TRUE(window.plan().pairs[2].name == "5" && window.plan().pairs[10].name == "45");
    EXPECT_EQ(window.cards->iconSize(), QSize(63, 63));
}

// "Add pictures…" opens where the pictures were last taken from, "Choose a sound…" where its
// pair's picture is. A phone's photos and recordings show beside what the game takes: once
// chosen, the window says how to convert them.
TEST_F(MakerWindowTest, FileDialogsOpenWhereThePicturesAreAndShowWhatAPhoneMakes) {
    const struct {
        QPushButton* button;
        QString file = {};  // picked; none: the dialog is closed
        QStringList shown;
    } picks[] = {
        {.button = window.addButton, .file = photos + "/cat.png", .shown = {"IMG_0001.HEIC", "dog.jpg"}},
        {.button = window.addButton, .file = photos + "/bee.png", .shown = {"bee.png"}},
        {.button = window.chooseSoundButton, .shown = {"Recording.m4a", "Voice.amr", "dog.wav", "cat.mp3"}},
    };
    QStringList openedIn;
    for (const auto& pick : picks) {
        QStringList patterns;
        QTimer::singleShot(0, [&] {  // the file dialog, open by then
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return void(QApplication::activeModalWidget()->close());
            openedIn << dialog->directory().absolutePath();
            const QString filter = dialog->selectedNameFilter();  // "Pictures (*.jpg *.png ...)"
            patterns = filter.mid(filter.indexOf('(') + 1).chopped(1).split(' ');
            dialog->selectFile(pick.file);
            pick.file.isEmpty() ? dialog->reject() : static_cast<QDialog*>(dialog)->accept();  // as Open does
        });
        window.cards->setCurrentRow(0);
        pick.button->click();
        ASSERT_TRUE(settle());
        for (const QString& name : pick.shown) EXPECT_TRUE(QDir::match(patterns, name)) << qPrintable(name);
    }
    EXPECT_EQ(openedIn, QStringList({QDir::homePath(), photos, photos}));
}

// Nothing goes without a question: unsaved pairs when the window closes, another set of
// the same title when saving. Closed while saving, it closes once the set is saved, unasked.
TEST_F(MakerWindowTest, AsksBeforeUnsavedPairsOrAnotherSetAreLost) {
    // The question itself: Return answers no.
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box) QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_FALSE(window.confirm("Close?"));
    QStringList asked;
    bool yes = false;  // to replacing the other set; never to closing
    window.confirm = [&](const QString& q) { return asked << q, yes && q.startsWith("Replace"); };
    const QString someones = scene.app.write("Data/Zoo.dat", "[File]\r\n1\r\n");
    window.addPictures({photos});
    // Decoded on the window's own threads: Qt paints with the global pool's, and the window
    // would wait for the photos at every paint.
    EXPECT_EQ(QThreadPool::globalInstance()->activeThreadCount(), 0);
    EXPECT_FALSE(window.close());  // while the pictures are still being added: asked too
    ASSERT_TRUE(settle());
    const auto saved = [&] {  // Enter in the title saves
        return QTest::keyClick(window.titleEdit, Qt::Key_Return), settle() && !window.savedDat().isEmpty();
    };
    EXPECT_FALSE(window.close() || saved());  // both answered no
    EXPECT_TRUE(asked.size() == 3 && filesUnder(scene.app.path()).keys() == QStringList{"Data/Zoo.dat"});
    yes = true;
    QTest::keyClick(window.titleEdit, Qt::Key_Return);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(settle() && !window.isVisible() && window.savedDat() == someones && asked.size() == 4)
        << asked.join('\n').toStdString();
}

// A logout's SIGTERM or Ctrl-C closes the window without asking: at once, or once a save
// under way has ended.
TEST(MakerWindowAtASignal, ClosesWithoutAskingOnceASaveHasEnded) {
    for (const bool saving : {false, true}) {
        Maker m;
        QStringList asked;
        m.window.confirm = [&](const QString& q) { return asked << q, false; };
        m.window.addPictures({m.photos});
        ASSERT_TRUE(m.settle());
        if (saving) m.window.saveButton->click();
        m.window.endAtSignal();
        EXPECT_EQ(m.window.isVisible(), saving);
        EXPECT_TRUE(m.settle() && !m.window.isVisible() && asked.isEmpty()) << saving;
        EXPECT_EQ(filesUnder(m.scene.app.path()).keys().join(' ').count(".dat"), int(saving));
    }
}

TEST_F(MakerWindowTest, ReplacesItsOwnSetWithoutAskingUntilAnotherSavesItOrANewOneIsStarted) {
    QStringList asked;
    bool yes = false;
    window.confirm = [&](const QString& q) { return asked << q, yes; };
    const auto dat = [&] { return filesUnder(scene.app.path())["Data/Zoo.dat"]; };
    window.addPictures({photos});
    ASSERT_TRUE(settle());
    window.saveButton->click();
    // A pair removed, and its own set saved again without asking, by Ctrl+S pressed before the
    // change has been checked.
    window.activateWindow();
    ASSERT_TRUE(settle() && !window.savedDat().isEmpty() && QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(window.message().startsWith("Saved as") &&
                window.findingsList->item(0)->text().startsWith("Nothing to save"));
    window.selectPair(2);
    window.removeButton->click();
    ASSERT_TRUE(window.busy() && window.message().isEmpty());
    window.cutView->setFocus();  // the arrow keys move the square before and after
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(settle() && asked.isEmpty() && dat().startsWith("[File]\r\n2\r\n"));
    EXPECT_TRUE(window.cutView->hasFocus());
    // Another set maker window saves that title: saving here asks (no, then yes).
    const QByteArray another = "[File]\r\n1\r\n[Picture]\r\nother.png\r\n[Sound]\r\n\r\n";
    scene.app.write("Data/Zoo.dat", another);
    for (const bool answer : {false, true}) {
        yes = answer;
        window.saveButton->click();
        EXPECT_TRUE(settle() && asked.size() == 1 + answer && (dat() == another) != answer);
    }
    // "New set" asks while pairs are unsaved (no), then starts afresh: the set is no longer its own.
    window.removeButton->click();
    yes = false;
    window.newButton->click();
    EXPECT_TRUE(asked.size() == 3 && window.cards->count() == 1);
    yes = true;
    window.newButton->click();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(window.cards->count() == 0 && window.titleEdit->text().isEmpty() &&
                !window.playGameButton->isEnabled() && window.findingsList->item(0)->text().startsWith("Add"));
    EXPECT_TRUE(window.noSound->isChecked() && window.spokenEdit->placeholderText().isEmpty());
    window.addPictures({photos});
    ASSERT_TRUE(settle() && window.titleEdit->text() == "Zoo");
    window.saveButton->click();
    EXPECT_TRUE(settle() && asked.size() == 5) << asked.join('\n').toStdString();
    // Asked why: the set was changed since; then, as a new set, that one is there already.
    EXPECT_TRUE(asked[0].contains("changed by another window") && asked[4].startsWith("Replace"));
    // Closed while a save waits for the check: nothing is saved behind the question, however
    // long the parent takes to answer no, and then it is saved; nothing at all on a quick yes.
    QByteArray saved = dat();
    bool savedBehind = false;
    window.confirm = [&](const QString& q) {
        asked << q;
        if (!yes) settle(), savedBehind = dat() != saved;
        return yes;
    };
    for (const bool answer : {false, true}) {
        yes = answer;
        saved = dat();
        window.removeButton->click();
        window.save();
        EXPECT_EQ(window.close(), answer);
        EXPECT_TRUE(settle() && !savedBehind && (dat() == saved) == answer) << answer;
    }
    EXPECT_EQ(asked.size(), 7);
}

TEST(MakerWindowRefusals, AreSaidInTheWindowAndLeaveNothingOnDisk) {
    // More photos in Zoo; a sound chosen for the first pair, or a file beside or in Zoo.
    const struct {
        int photos;
        const char* file;
        QByteArray bytes;
        const char* said;
        size_t pairs;
        int copies = 1;  // of the file, numbered
    } rows[] = {
        {.photos = 19, .file = "notes.txt", .bytes = "", .said = "1 more not added", .pairs = 21},
        // Named, and the next photo takes its place.
        {.photos = 19, .file = "Zoo/0-broken.png", .bytes = "no picture", .said = "0-broken.png", .pairs = 21},
        {.photos = 0, .file = "noise.wav", .bytes = "RIFF, but no sound", .said = "noise.wav", .pairs = 3},
        // A phone's folder of photos the game cannot show: a few said in full, the others named.
        {.photos = 0, .file = "Zoo/IMG_%1.HEIC", .bytes = QByteArray("\0\0\0\x18" "ftypheic", 12),
         .said = "And 37 more: IMG_13.HEIC", .pairs = 3, .copies = 40},
    };
    for (const auto& row : rows) {
        Maker t;
        t.window.confirm = [](const QString&) { return false; };
        t.scene.app.write("Data/Zoo.dat", "[File]\r\n1\r\n");  // someone's set, not to be saved over
        for (int i = 0; i < row.photos; ++i) writePhoto(t.source, QString("Zoo/%1.png").arg(i), {40, 40});
        QString file;
        for (int i = 0; i < row.copies; ++i)
            file = t.source.write(row.copies > 1 ? QString(row.file).arg(i + 10) : row.file, row.bytes);
        t.window.addPictures({t.photos});
        ASSERT_TRUE(t.settle());
        if (file.endsWith(".wav")) t.window.chooseSoundFile(0, file);
        ASSERT_TRUE(t.settle());
        EXPECT_TRUE(t.window.message().contains(row.said) && t.window.message().count('\n') < 6 &&
                    t.window.plan().pairs.size() == row.pairs &&
                    t.window.plan().pairs[0].sound.kind == SoundChoice::Kind::None)
            << t.window.message().toStdString();
        t.window.save();
        ASSERT_TRUE(t.settle());
        EXPECT_EQ(filesUnder(t.scene.app.path()).keys(), QStringList{"Data/Zoo.dat"}) << row.file;
    }
}

TEST(MakerWindowLanguage, FollowsTheLocaleThroughTheCommandsTranslations) {
    RecordingPlatform platform;
    loadTranslations(QLocale(QLocale::Japanese, QLocale::Japan));
    MakerWindow window(platform);
    EXPECT_EQ(window.windowTitle(), "Kavimo セットづくり");
    // In either language every control has room on a small laptop's 800 x 600 screen.
    const auto fitsSmallScreen = [&] {
        return window.minimumSizeHint().boundedTo({760, 560}) == window.minimumSizeHint();
    };
    EXPECT_TRUE(fitsSmallScreen()) << window.minimumSizeHint().width();
    loadTranslations(QLocale(QLocale::English));  // windows hear of it through a posted event
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.windowTitle() == "Kavimo set maker"; }));
    EXPECT_TRUE(fitsSmallScreen()) << window.minimumSizeHint().width();
}

TEST(CutGeometry, TheSquareStaysInsideThePicture) {
    const QSize photo(160, 100);
    EXPECT_EQ(movedCut({30, 0, 100, 100}, {500, -10}, photo), QRect(60, 0, 100, 100));
    EXPECT_EQ(resizedCut({30, 0, 100, 100}, 1, photo), QRect(64, 34, 32, 32));  // at least 32, kept centred
    EXPECT_EQ(resizedCut({0, 0, 50, 50}, 400, photo), QRect(0, 0, 100, 100));
}

}  // namespace
}  // namespace kavimo::maker
