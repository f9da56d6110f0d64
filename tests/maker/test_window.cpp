// SPDX-License-Identifier: GPL-3.0-or-later
// The set maker's window, driven as a parent drives it: pictures dropped in, a square
// moved, a name spoken, saved; and what it refuses.

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

#include "maker/CutGeometry.h"
#include "maker/CutView.h"
#include "maker/MakerWindow.h"
#include "maker/PairList.h"
#include "support/Game.h"

namespace kavimo::maker {
namespace {

using test::Scene;
using test::TempDir;

// A photo whose every pixel differs from its neighbours, so that a cut in a different
// place gives different cards.
QString writePhoto(const TempDir& dir, const QString& relative, QSize size) {
    QImage photo(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 255 / size.width(), y * 2 % 256, 90));
    return dir.write(relative, test::encoded(photo, "PNG"));
}

// Every file under a folder, relative to it.
QStringList filesUnder(const QString& folder) {
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// A drop of files from the file manager onto the cards.
void drop(MakerWindow& window, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    QWidget* target = window.cards->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &move);
    ASSERT_TRUE(move.isAccepted());
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &dropped);
    ASSERT_TRUE(dropped.isAccepted());
}

bool settle(MakerWindow& window) {
    return QTest::qWaitFor([&] { return !window.busy(); }, 30000);
}

class MakerWindowTest : public ::testing::Test {
public:
    MakerWindowTest() {
        photos = source.mkdir("Zoo");
        for (const char* name : {"cat.png", "bee.png", "ant.png"})
            writePhoto(source, QString("Zoo/") + name, {160, 100});
        window.setDataDir(scene.app.path() + "/Data");
        window.resize(900, 700);
        window.show();
    }

    Scene scene;
    TempDir source;
    QString photos;
    MakerWindow window{scene.platform};
};

TEST_F(MakerWindowTest, ASetMadeByHandEqualsWhatMakeWritesAndTheGameDealsIt) {
    drop(window, {photos});
    ASSERT_TRUE(settle(window));
    ASSERT_EQ(window.plan().pairs.size(), 3u);
    EXPECT_EQ(QFileInfo(window.plan().pairs[0].picture).fileName(), "ant.png");
    EXPECT_EQ(QFileInfo(window.plan().pairs[2].picture).fileName(), "cat.png");
    EXPECT_EQ(window.titleEdit->text(), "Zoo");
    EXPECT_EQ(window.gridLabel->text(), "3 pairs: 6 large cards");
    EXPECT_EQ(window.cards->iconSize(), QSize(99, 99));

    // The square of the second pair dragged to the right edge of its photo.
    window.selectPair(1);
    const QRect area = window.cutView->photoArea();
    QTest::mousePress(window.cutView, Qt::LeftButton, {}, area.center());
    QTest::mouseMove(window.cutView, area.center() + QPoint(area.width(), 0));
    QTest::mouseRelease(window.cutView, Qt::LeftButton, {}, area.center() + QPoint(area.width(), 0));
    EXPECT_EQ(window.plan().pairs[1].cut, QRect(60, 0, 100, 100));

    // The third pair says its name.
    window.selectPair(2);
    window.spokenSound->click();
    EXPECT_EQ(window.plan().pairs[2].sound.kind, SoundChoice::Kind::Spoken);
    EXPECT_EQ(window.plan().pairs[2].sound.spokenText, "cat");
    scene.take();
    window.listenButton->click();
    ASSERT_TRUE(settle(window));
    const test::Log heard = scene.take();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_TRUE(heard[0].startsWith("sound spoken-") && !heard[0].endsWith("(missing)"))
        << heard[0].toStdString();

    ASSERT_TRUE(settle(window));
    ASSERT_TRUE(window.saveButton->isEnabled()) << window.findingsList->item(0)->text().toStdString();
    window.saveButton->click();
    ASSERT_TRUE(settle(window));
    ASSERT_FALSE(window.savedDat().isEmpty()) << window.message().toStdString();
    EXPECT_TRUE(window.playGameButton->isEnabled());

    // The same choices through make.
    TempDir made;
    SetPlan plan = planFromPictures({photos}, "Zoo", made.path() + "/Data", false);
    ASSERT_EQ(plan.pairs.size(), 3u);
    plan.pairs[1].cut = QRect(60, 0, 100, 100);
    plan.pairs[2].sound = {.kind = SoundChoice::Kind::Spoken, .file = {}, .spokenText = "cat"};
    const MakeResult byMake = writeSet(plan);
    ASSERT_TRUE(byMake.ok) << byMake.message.toStdString();

    const QString ours = scene.app.path() + "/Data", theirs = made.path() + "/Data";
    ASSERT_EQ(filesUnder(ours), filesUnder(theirs));
    for (const QString& file : filesUnder(ours)) {
        QFile a(ours + "/" + file), b(theirs + "/" + file);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        if (file.endsWith(".png")) {
            EXPECT_EQ(QImage(a.fileName()), QImage(b.fileName())) << file.toStdString();
        } else {
            EXPECT_EQ(a.readAll(), b.readAll()) << file.toStdString();
        }
    }
    // The cut moved: the second card is not the centre of its photo.
    const QStringList pictures = filesUnder(ours).filter(".png");
    ASSERT_EQ(pictures.size(), 3);
    EXPECT_NE(QImage(ours + "/" + pictures[1]),
              cardPicture(QImage(photos + "/bee.png"), {30, 0, 100, 100}, 99));

    Form1& game = scene.load();
    ASSERT_EQ(game.PairCount, 3);
    game.Command1_Click();
    EXPECT_EQ(scene.board(), "oooooo");

    // Opened again, it saves over itself.
    window.openSet(window.savedDat());
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(window.plan().pairs.size(), 3u);
    EXPECT_TRUE(window.saveButton->isEnabled());
}

TEST_F(MakerWindowTest, CardsFollowTheListOrderAndRemovalAndTheSmallGrid) {
    window.addPictures({photos});
    ASSERT_TRUE(settle(window));
    const QString first = window.plan().pairs[0].picture;
    window.cards->model()->moveRow({}, 0, {}, 3);  // what dragging the first card to the end does
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(window.plan().pairs[2].picture, first);
    window.selectPair(0);
    window.activateWindow();
    window.cards->setFocus();
    QTest::keyClick(window.cards, Qt::Key_Delete);
    ASSERT_EQ(window.plan().pairs.size(), 2u);
    EXPECT_EQ(window.plan().pairs[1].picture, first);

    for (int i = 0; i < 9; ++i) writePhoto(source, QString("More/%1.png").arg(i), {50, 80});
    window.addPictures({source.file("More")});
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(window.gridLabel->text(), "11 pairs: 22 small cards");
    EXPECT_EQ(window.cards->iconSize(), QSize(63, 63));
}

struct Refusal {
    const char* what;
    std::function<void(MakerWindowTest&)> act;
    const char* said;  // in the window's message or its findings
    size_t pairs;
};

void PrintTo(const Refusal& refusal, std::ostream* os) {
    *os << refusal.what;
}

class Refusals : public MakerWindowTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refusals, AreSaidInTheWindowAndLeaveNothingOnDisk) {
    const Refusal& r = GetParam();
    scene.app.write("Data/Zoo.dat", "[File]\r\n1\r\n");  // someone's existing set
    r.act(*this);
    ASSERT_TRUE(settle(window));
    QStringList said{window.message()};
    for (int i = 0; i < window.findingsList->count(); ++i) said << window.findingsList->item(i)->text();
    EXPECT_TRUE(said.join('\n').contains(r.said)) << said.join('\n').toStdString();
    EXPECT_EQ(window.plan().pairs.size(), r.pairs);
    window.save();
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(filesUnder(scene.app.path()), QStringList{"Data/Zoo.dat"});
}

INSTANTIATE_TEST_SUITE_P(
    MakerWindow, Refusals,
    ::testing::Values(
        Refusal{.what = "more than 21 pictures",
                .act =
                    [](MakerWindowTest& t) {
                        for (int i = 1; i <= 23; ++i)
                            writePhoto(t.source, QString("Many/%1.png").arg(i), {40, 40});
                        t.window.titleEdit->setText("Many");
                        t.window.addPictures({t.source.file("Many")});
                        ASSERT_TRUE(settle(t.window));
                        t.window.removePair(0);  // room for one more, not for the rest
                        t.window.addPictures({t.source.file("Many/23.png"), t.source.file("Many/1.png")});
                        ASSERT_TRUE(settle(t.window));
                        t.window.titleEdit->setText("Zoo");  // and nothing saved over Zoo
                    },
                .said = "1 more not added",
                .pairs = 21},
        Refusal{.what = "a bad picture",
                .act =
                    [](MakerWindowTest& t) {
                        t.window.addPictures({t.source.write("Zoo/broken.png", "not a picture")});
                    },
                .said = "broken.png",
                .pairs = 0},
        Refusal{.what = "an unplayable sound",
                .act =
                    [](MakerWindowTest& t) {
                        t.window.addPictures({t.source.file("Zoo/ant.png")});
                        ASSERT_TRUE(settle(t.window));
                        t.window.chooseSoundFile(0, t.source.write("noise.wav", "RIFF, but no sound"));
                        ASSERT_TRUE(settle(t.window));
                        EXPECT_EQ(t.window.plan().pairs[0].sound.kind, SoundChoice::Kind::None);
                    },
                .said = "noise.wav",
                .pairs = 1},
        Refusal{.what = "a title that exists",
                .act = [](MakerWindowTest& t) { t.window.addPictures({t.photos}); },
                .said = "Zoo",
                .pairs = 3}),
    [](const auto& info) {
        QString name = QString(info.param.what).replace(' ', '_');
        return name.toStdString();
    });

TEST(MakerWindowLanguage, FollowsTheLocaleThroughTheCommandsTranslations) {
    test::RecordingPlatform platform;
    loadTranslations(QLocale(QLocale::Japanese, QLocale::Japan));
    MakerWindow window(platform);
    EXPECT_EQ(window.windowTitle(), "Kavimo セットづくり");
    EXPECT_EQ(window.saveButton->text(), "保存");
    loadTranslations(QLocale(QLocale::English));  // windows hear of it through a posted event
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.windowTitle() == "Kavimo set maker"; }));
}

TEST(CutGeometry, TheSquareStaysInsideThePicture) {
    struct Case {
        QRect cut;
        QPoint move;
        int side;
        QRect expected;
    };
    const QSize photo{160, 100};
    for (const Case& c : {
             Case{.cut = {30, 0, 100, 100}, .move = {500, 0}, .side = 100, .expected = {60, 0, 100, 100}},
             Case{.cut = {30, 0, 100, 100}, .move = {-10, -10}, .side = 100, .expected = {20, 0, 100, 100}},
             Case{.cut = {30, 0, 100, 100}, .move = {}, .side = 50, .expected = {55, 25, 50, 50}},
             Case{.cut = {0, 0, 50, 50}, .move = {}, .side = 90, .expected = {0, 0, 90, 90}},
             Case{.cut = {30, 0, 100, 100}, .move = {}, .side = 1, .expected = {64, 34, 32, 32}},
             Case{.cut = {60, 0, 50, 50}, .move = {}, .side = 400, .expected = {35, 0, 100, 100}},
         }) {
        EXPECT_EQ(resizedCut(movedCut(c.cut, c.move, photo), c.side, photo), c.expected) << c.side;
    }
}

}  // namespace
}  // namespace kavimo::maker
