// SPDX-License-Identifier: GPL-3.0-or-later
// The window and the game as the player sees and hears them: the set browser, a whole game
// click by click, the board of each size, the fallback sound and the closing picture.
#include "shell/FrameStyle.h"
#include "shell/PictureBox.h"
#include "shell/PreviewImage.h"
#include "shell/WindowFonts.h"
#include "support/Game.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <atomic>

namespace kavimo::test {
namespace {

using Browser = Game;
using Play = Game;

// The program's sets and a parent's own, in ~/.local/share/kavimo/Data, come in one list in name
// order, letter case ignored, the program's first of two equal names; hidden files and folders are
// no sets. Each shows its title, preview and count, and reads its entries from its own root, the
// fixed sounds still from the program's Data. The program's folder has a backslash in its name,
// which is a character there, not a separator.
TEST_F(Browser, StepsThroughTheSetsInNameOrderShowingTitlePreviewAndCount) {
    const TempDir user;
    const QString program = "games\\kavimo/";
    constexpr QRgb kProgram = 0xff00ff00, kUser = 0xff123456, kOneBit = 0xff0000ff;
    // A set whose pairs all show Data/<title>/p.png, all of rgb, and sound Data/<title>/s.wav.
    const auto lay = [](const TempDir& dir, const QString& root, const QString& name, int pairs, QRgb rgb) {
        const QString folder = "Data/" + name.section('.', 0, 0) + "/", entry = "\r\n" + folder;
        QString set = QString("[File]\r\n%1\r\n[Picture]").arg(pairs) + (entry + "p.png").repeated(pairs) +
                      "\r\n[Sound]" + (entry + "s.wav").repeated(pairs);
        dir.write(root + "Data/" + name, set.replace('/', '\\').toUtf8());
        dir.writePicture(root + folder + "p.png", 120, 120, rgb);
        dir.writeWav(root + folder + "s.wav");
    };
    lay(app, program, "a.dat", 2, kProgram);
    lay(app, program, "Zoo.x.dat", 3, kOneBit);
    lay(user, "", "a.dat", 1, kUser);
    lay(user, "", "B.dat", 1, kUser);
    QImage oneBit(40, 40, QImage::Format_Mono);  // a two-colour picture keeps its colours
    oneBit.setColorTable({kOneBit, 0xffff0000});
    oneBit.fill(0);
    app.write(program + "Data/Zoo/p.png", encoded(oneBit, "PNG"));
    app.write(program + "Data/.hidden.dat", "[File]\r\n1\r\n[Picture]\r\nData\\a\\p.png\r\n");
    app.mkdir(program + "Data/folder.dat");
    app.writeWav(program + "Data/HajimeA@08.wav");
    platform.appDir = app.file(program);
    platform.userSets = user.path() + "/Data";
    load(user.file("Data/gone.dat"));  // not listed: the first set is chosen
    EXPECT_EQ(form->Label1->text(), "a");
    load(user.file("Data/B.dat"));  // as the set maker's "Play it now" starts the game
    EXPECT_EQ(form->Label1->text(), "B");
    // Title, count and the cards, sorted: a set chosen anew stands blank; at an end nothing is
    // chosen anew, and the game stays.
    const struct { char button; const char* shown; QRgb preview; QString root; } steps[] = {
        {.button = '<', .shown = "a 1 __", .preview = kUser, .root = user.path()},
        {.button = '<', .shown = "a 2 ____", .preview = kProgram, .root = platform.appDir},
        {.button = '<', .shown = "a 2 __oo", .preview = kProgram, .root = platform.appDir},
        {.button = '>', .shown = "a 1 __", .preview = kUser, .root = user.path()},
        {.button = '>', .shown = "B 1 __", .preview = kUser, .root = user.path()},
        {.button = '>', .shown = "Zoo.x 3 ______", .preview = kOneBit, .root = platform.appDir},
        {.button = '>', .shown = "Zoo.x 3 __oooo", .preview = kOneBit, .root = platform.appDir},
        {.button = '<', .shown = "B 1 __", .preview = kUser, .root = user.path()},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.shown);
        // Return and Enter press a button as a click does.
        QTest::keyClick(form->Command1, Qt::Key_Enter);
        EXPECT_EQ(form->Picture1[0]->picture().pixel(0, 0), form->Image1->picture().pixel(24, 24));
        find(0);
        EXPECT_EQ(take(), (Log{"sound HajimeA@08.wav", "sound s.wav", "wait 1"}));
        QTest::keyClick(s.button == '>' ? form->Command3 : form->Command2, Qt::Key_Return);
        QString cards = board();
        std::ranges::sort(cards);
        EXPECT_EQ(QString("%1 %2 %3").arg(form->Label1->text()).arg(form->PairCount).arg(cards), s.shown);
        EXPECT_EQ(form->Image1->picture().size(), form->Image1->size());
        EXPECT_EQ(form->Image1->picture().pixel(24, 24), s.preview);
        EXPECT_EQ(QDir::current().canonicalPath(), QDir(s.root).canonicalPath());
    }
    EXPECT_EQ(take(), Log{});
}

// Each card shows its pair's picture from the top-left corner to its inner edges.
// Unpacked from a zip made on a Mac, with its kana and their voicing marks apart.
TEST_F(Browser, ShowsTheTitleOfASetFromAMacZipWithItsVoicingMarksJoined) {
    fullSet("\u3075\u3099\u3068\u3099\u3046.dat", 1);
    load();
    EXPECT_EQ(form->Label1->text(), "ぶどう");
    EXPECT_EQ(form->PairCount, 1);
}

void expectDealtAsTheSet(const Scene& scene) {
    for (int k = 0; k < scene.board().size(); ++k) {
        const QImage& picture = scene.form->Picture1[k]->picture();
        EXPECT_EQ(picture.size(), scene.form->Picture1[k]->inner().size()) << k;
        EXPECT_EQ(picture.pixel(0, 0), Scene::colour(scene.form->CardValue[k])) << k;
    }
}

TEST_F(Play, AWholeGameLooksAndSoundsAsThePlayerClicksIt) {
    fullSet("a.dat", 3);
    cues(kAllCues);
    app.writeWav("Data/b0.wav");
    app.write("Data/b2.wav", randomBytes(3000, 11));  // no sound: the fallback instead
    writeSet("b.dat", {"[File]", "5", "[Picture]", "Data\\nowhere.png", "[Sound]", "Data\\b0.wav",
                       "Data\\b1.wav", "Data\\b2.wav"});
    load();
    EXPECT_EQ(take(), Log{"sound Asonde00@22.wav"});
    const Log removed = {"read error", "sound puu002@22.wav", "wait 1"};  // the set file is gone
    // s: Start; c: a click on the pair's first or second card; >: the next set; d: Start once
    // the set file is gone.
    const struct { char action; int pair = 0, card = 0; Log log = {}; const char* pairs; } steps[] = {
        {.action = 's', .log = {"sound HajimeA@08.wav"}, .pairs = "oo oo oo"},
        {.action = 'c', .pairs = "*o oo oo"},
        {.action = 'c', .pairs = "oo oo oo"},  // the marked card again: unmarked
        {.action = 'c', .pairs = "*o oo oo"},
        {.action = 'c', .pair = 1, .log = {"beep", "beep", "beep"}, .pairs = "oo oo oo"},
        {.action = 'c', .pair = 1, .card = 1, .pairs = "oo o* oo"},
        {.action = 'c', .pair = 1, .log = {"sound s1.wav", "wait 1"}, .pairs = "oo __ oo"},
        {.action = 'c', .pair = 2, .card = 1, .pairs = "oo __ o*"},
        // Dealt anew, the pick forgotten.
        {.action = 's', .log = {"sound HajimeA@08.wav"}, .pairs = "oo oo oo"},
        {.action = 'c', .pair = 2, .card = 1, .pairs = "oo oo o*"},
        // A set without its preview: the game goes on, with its sounds.
        {.action = '>', .pairs = "oo oo o*"},
        {.action = 'c', .pair = 2, .log = {"sound b2.wav (unplayable)", "sound puu002@22.wav", "wait 1"},
         .pairs = "oo oo __"},
        {.action = 'c', .card = 1, .pairs = "o* oo __"},
        {.action = 'd', .log = {"error 0"}, .pairs = "o* oo __"},
        {.action = 'c', .log = removed, .pairs = "__ oo __"},
        {.action = 'c', .pair = 1, .pairs = "__ *o __"},
        {.action = 'c', .pair = 1, .card = 1, .log = {"read error", "sound puu002@22.wav", "wait 1", "wait 1",
         "sound GongC@08.wav", "wait 1", "sound Omedeto00@11.wav"}, .pairs = "__ __ __"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(QString("%1 %2 %3").arg(s.action).arg(s.pair).arg(s.card).toStdString());
        if (s.action == 'c') form->Picture1_Click(int16_t(cardsOf(s.pair).at(s.card)));
        if (s.action == '>') form->Command3->click();
        if (s.action == 'd') QFile::remove(app.file("Data/b.dat"));
        if (s.action == 's' || s.action == 'd') form->Command1->click();
        if (s.action == 's') expectDealtAsTheSet(*this);
        EXPECT_EQ(take(), s.log);
        EXPECT_EQ(pairs(), s.pairs);
    }
    EXPECT_EQ(form->Label1->text(), "b");
}

// 1 to 10 pairs are dealt on the large cards, 11 to 21 on the small ones, exactly their
// cards, shuffled; a small card shows its picture and its red frame over it. A set saved anew
// while the game shows it, as the set maker replaces one, is dealt as it now is.
TEST_F(Play, ElevenToTwentyOnePairsAreDealtOnSmallCardsUpToTenOnLargeOnes) {
    fullSet("a.dat", 15);
    fullSet("b.dat", 10);
    fullSet("c.dat", 2);
    cues(kAllCues);
    load().Command1_Click();
    expectDealtAsTheSet(*this);
    // Dealt in order, the pairs would stand 0 0 1 1 ...; 101 exchanges leave them so about never.
    EXPECT_FALSE(std::is_sorted(form->CardValue.begin(), form->CardValue.begin() + 30));
    EXPECT_EQ(form->Picture1[7]->geometry(), QRect(16, 91, 67, 67));
    EXPECT_EQ(form->Shape1[7]->placement(), QRect(1, 1, 61, 61));
    // A child's double-click marks a card as one click does.
    for (const auto action : {QTest::MouseClick, QTest::MousePress, QTest::MouseDClick, QTest::MouseRelease})
        QTest::mouseEvent(action, form->Picture1[0], Qt::LeftButton, {}, {5, 5});
    const QImage card = form->Picture1[0]->grab().toImage();
    EXPECT_EQ(card.pixel(33, 33), colour(form->CardValue[0]));
    EXPECT_EQ(card.pixel(4, 33), SelectionFrame::kColour);
    EXPECT_EQ(card.pixel(33, 4), SelectionFrame::kColour);
    form->Picture1_Click(0);
    for (int p = 0; p < 15; ++p) find(p);
    const Log log = take();
    EXPECT_EQ(std::count(log.begin(), log.end(), QString("sound GongC@08.wav")), 1);
    form->Command3->click();  // ten pairs: the large cards, and cards 20 to 41 hidden
    EXPECT_EQ(board(), QString(20, '_'));
    EXPECT_EQ(form->Picture1[7]->geometry(), QRect(224, 128, 103, 103));
    EXPECT_EQ(form->Shape1[7]->placement(), QRect(1, 1, 97, 97));
    form->Command3->click();
    fullSet("c.dat", 21);  // its count read again at Start
    form->Command1_Click();
    EXPECT_EQ(pairs(), QStringList(21, "oo").join(' '));
    EXPECT_EQ(form->Picture1[7]->geometry(), QRect(16, 91, 67, 67));
}

// The set browser's frame and a card's border look exactly as the style draws a group box
// and a sunken Windows panel: the frame from Fusion's own picture, read without Qt's format
// detection; the border in each state, under a palette with a colour of its own for each
// shade, down to a card grown to a picture of one pixel, whose picture starts inside it.
TEST(Frames, LookExactlyAsTheStyleDrawsThem) {
    ASSERT_EQ(QApplication::style()->name(), "fusion");
    QImage shots[2];
    for (QImage& shot : shots) {
        FrameStyle style;
        QGroupBox box;
        box.resize(337, 65);
        if (&shot == &shots[1]) box.setStyle(&style);
        shot = box.grab().toImage();
    }
    EXPECT_EQ(shots[1], shots[0]);
    QPalette palette;
    int shade = 0;
    for (const auto state : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (const auto role : {QPalette::Dark, QPalette::Light, QPalette::Shadow, QPalette::Midlight})
            palette.setColor(state, role, QColor::fromHsv(shade++ * 25, 255, 200));
    for (const QSize size : {QSize(67, 67), QSize(103, 103), QSize(5, 5), QSize(4, 9)})
        for (const bool enabled : {true, false}) {
            QFrame panel;
            panel.setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
            PictureBox card(nullptr);
            for (QWidget* widget : std::initializer_list<QWidget*>{&panel, &card})
                widget->setPalette(palette), widget->resize(size), widget->setEnabled(enabled);
            EXPECT_EQ(card.grab().toImage(), panel.grab().toImage()) << size.width() << " wide, " << enabled;
            EXPECT_EQ(card.inner(), panel.contentsRect());
        }
}

// The window's fonts name a family that is installed: for any other, Qt first searches
// all fonts for a fallback, before the first paint.
TEST(WindowFonts, AreInstalledFamilies) {
    for (const QFont& font : {fonts::window(), fonts::browser()}) EXPECT_TRUE(QFontInfo(font).exactMatch());
}

// The window's font, remembered from the start before, is the only font until the first
// paint, and draws exactly as under the system's configuration, which takes over after it.
// Anything the remembered font may no longer match starts from the system's configuration.
TEST(WindowFonts, AreRememberedAndDrawAsTheSystemsConfigurationDraws) {
    TempDir cache;
    const QString font = cache.file("kavimo/window-font");
    const struct {
        const char* start;
        bool remembered;
        const char* title = "しずか";
        void (*before)(const QString& font) = nullptr;
        const char* fontconfigFile = nullptr;
    } runs[] = {
        {.start = "first", .remembered = false},
        {.start = "next", .remembered = true},
        {.start = "with a title beyond the font", .remembered = false, .title = "가"},
        {.start = "after the font or configuration changed", .remembered = false,
         .before = [](const QString& font) {
             const QByteArray text = contents(font);
             QFile file(font);
             ASSERT_TRUE(text.startsWith("stamp ") && file.open(QIODevice::WriteOnly));
             file.write("stamp 0" + text.mid(text.indexOf('\n')));
         }},
        {.start = "again", .remembered = true},
        {.start = "after its file went, the stamp kept", .remembered = false,
         .before = [](const QString& font) {
             // The face names a file that is not there, and the stamp's last entry, the face's,
             // says so, as a stamp made after the file went would.
             QList<QByteArray> lines = contents(font).split('\n');
             ASSERT_EQ(std::ranges::count_if(lines, [](auto& line) { return line.startsWith("face "); }), 1);
             for (QByteArray& line : lines) {
                 if (line.startsWith("face ")) line = "face 0 /nonexistent/font.ttf";
                 if (line.startsWith("stamp ")) line = line.left(line.trimmed().lastIndexOf(' ') + 1) + "- ";
             }
             QFile file(font);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(lines.join('\n')) > 0);
         }},
        {.start = "under a configuration of its own", .remembered = false,
         .fontconfigFile = "/etc/fonts/fonts.conf"},
    };
    QMap<QString, QByteArray> systemsDrawing;  // of each title
    for (const auto& run : runs) {
        SCOPED_TRACE(run.start);
        if (run.before) run.before(font);
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CACHE_HOME", cache.path());
        if (run.fontconfigFile) env.insert("FONTCONFIG_FILE", run.fontconfigFile);
        probe.setProcessEnvironment(env);
        probe.start(KAVIMO_FONT_PROBE, {cache.file("before.png"), cache.file("after.png"), run.title});
        ASSERT_TRUE(probe.waitForFinished(30000) && probe.exitCode() == 0);
        int before = 0, shows = 0, after = 0;
        const QByteArray said = probe.readAllStandardOutput();
        ASSERT_EQ(std::sscanf(said.constData(), "before %d shows %d after %d", &before, &shows, &after), 3);
        EXPECT_EQ(before < after, run.remembered) << before << " families, then " << after;
        EXPECT_EQ(shows == 0, QString(run.title) == "가");
        const QByteArray drawn = contents(cache.file("before.png"));
        EXPECT_EQ(drawn, contents(cache.file("after.png")));
        EXPECT_EQ(drawn, *systemsDrawing.insert(run.title, systemsDrawing.value(run.title, drawn)));
    }
}

// The first preview, a camera photo perhaps, is decoded only once the window has been
// painted, so as not to hold that paint up, and then on another thread. Stepping fast
// through sets of large photos, the previews of the sets passed over are not decoded, so
// neither the last preview nor a deal waits for them.
TEST(Preview, IsDecodedAfterTheFirstPaintOnAnotherThreadOnlyForTheSetShown) {
    QWidget window;
    PreviewImage preview(&window);
    std::atomic<QThread*> decodedOn = nullptr;
    preview.setPictureLater([&] { return decodedOn = QThread::currentThread(), QImage(); });
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(decodedOn, nullptr);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return decodedOn != nullptr; }));
    EXPECT_NE(decodedOn, QThread::currentThread());

    std::atomic<int> decoded = 0;
    std::atomic<bool> go = false;
    for (int width = 1; width <= 30; ++width)
        preview.setPictureLater([&, width] {
            ++decoded;
            while (!go) QThread::msleep(1);
            return QImage(width, 1, QImage::Format_RGB32);
        });
    go = true;
    EXPECT_EQ(preview.picture().width(), 30);
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_LE(decoded, QThreadPool::globalInstance()->maxThreadCount() + 1);
}

// To recognise a picture, Qt loads every picture plugin it has, and the libraries behind
// them. Start-up, the first paint with its frame and icon and a deal of a PNG and a JPEG
// load the JPEG plugin alone. (Pictures are copied from the sources: writing one would
// load the plugins.)
TEST_F(Play, LoadsNoPicturePluginButJpegFromStartToADeal) {
    const auto plugins = [] {
        QStringList names;
        const QString maps = contents("/proc/self/maps");
        for (const auto& m : QRegularExpression("/imageformats/(\\S+)").globalMatch(maps))
            names << m.captured(1);
        names.removeDuplicates();
        return names;
    };
    if (!plugins().isEmpty()) GTEST_SKIP() << "another test in this process read a picture first";
    app.mkdir("Data/a");
    const QString png = KAVIMO_SOURCE_DIR "/src/shell/kavimo.png", jpeg = KAVIMO_SOURCE_DIR "/Data/sea.jpg";
    for (const QString to : {"Data/a/p.png", "Data/a/j.jpg"})
        QFile::copy(to.endsWith("png") ? png : jpeg, app.file(to));
    writeSet("a.dat", {"[File]", "2", "[Picture]", "Data\\a\\p.png", "Data\\a\\j.jpg"});
    load().grab();
    QCoreApplication::processEvents();  // the icon, after the first paint
    form->Command1_Click();
    form->grab();
    EXPECT_EQ(board(), "oooo");
    EXPECT_EQ(plugins(), QStringList{"libqjpeg.so"});
}

// Closing shows the closing picture alone in card 0, grown to its size, for the two
// seconds of the closing sound, in the middle of a game too; the directory the game was
// started from is given back.
TEST(Closing, ShowsTheClosingPictureWithItsSoundOnlyWhenBothCanBeHad) {
    const struct {
        const char* name;
        QStringList files;
        const char* broken = nullptr;
        Log log = {};
    } cases[] = {
        {.name = "Both", .files = {"sea.jpg", "Icq01@11.wav"}, .log = {"sound Icq01@11.wav", "wait 2"}},
        {.name = "OnlyThePicture", .files = {"sea.jpg"}},
        {.name = "APictureThatIsNoPicture", .files = {"Icq01@11.wav"}, .broken = "sea.jpg"},
        {.name = "ASoundThatIsNoSound", .files = {"sea.jpg"}, .broken = "Icq01@11.wav",
         .log = {"sound Icq01@11.wav (unplayable)", "wait 2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene s;
        s.cues(c.files + QStringList{"Asonde00@22.wav"});
        if (c.broken) s.app.write(QString("Data/") + c.broken, randomBytes(3000, 11));
        s.fullSet("a.dat", 3);
        const QString startedFrom = QFileInfo(s.app.mkdir("started-from")).canonicalFilePath();
        QDir::setCurrent(startedFrom);
        s.load().Command1_Click();
        s.take();
        s.form->Picture1_Click(int16_t(s.cardsOf(0).at(1)));  // never card 0
        s.form->close();
        s.form->close();
        EXPECT_EQ(s.take(), c.log);
        const bool closing = !c.log.empty();
        EXPECT_EQ(closing ? s.board() : s.pairs(), closing ? "o" : "o* oo oo") << "card 0 alone, or the game";
        EXPECT_EQ(s.form->Picture1[0]->size(), closing ? QSize(204, 154) : QSize(103, 103));
        EXPECT_EQ(s.form->Frame1->isVisibleTo(s.form.get()), !closing);
        EXPECT_EQ(QDir::current().canonicalPath(), startedFrom);
    }
}

}  // namespace
}  // namespace kavimo::test
