// Start-up and shutdown: the opening cue, the first set, the working folder, and the
// closing picture with its sound.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <functional>

#include "shell/PreviewImage.h"
#include "shell/WindowFixture.h"

namespace kavimo::test {
namespace {

QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}
QString currentDir() {
    return canonical(QDir::currentPath());
}

// The program is started from a folder other than its own.
class Startup : public WindowTest {
protected:
    Startup() : startedFrom(canonical(app.mkdir("started-from"))) { QDir::setCurrent(startedFrom); }
    QString startedFrom;
};

TEST_F(Startup, OpeningCuePlaysFirstAndAtOnceThenTheFirstSetShows) {
    writeCues({"Asonde00@22.wav"});
    writeFullSet("animals.dat", 3);
    writeFullSet("vehicles.dat", 2);
    loaded();
    ASSERT_FALSE(platform.log.empty());
    EXPECT_EQ(platform.log[0], "sound " + inData("\\Asonde00@22.wav"));
    ASSERT_EQ(platform.sounds.size(), 1u);
    EXPECT_EQ(platform.sounds[0].at, 1000.0);
    EXPECT_TRUE(platform.waits.empty());

    EXPECT_EQ(DataDir, app.path() + "\\Data");
    EXPECT_EQ(canonical(form->StartDir), startedFrom);
    EXPECT_EQ(currentDir(), canonical(app.path()));
    EXPECT_EQ(form->Label1->text(), "animals");
    EXPECT_EQ(form->Image1->picture().pixel(0, 0), colourOf(0));
    EXPECT_EQ(form->PairCount, 3);
    expectIdle(6);
}

struct IdleCase {
    const char* name;
    std::function<void(const TempDir&)> layOut;
    const char* title;
};

void PrintTo(const IdleCase& c, std::ostream* os) {
    *os << c.name;
}

class StartupWithoutAPlayableSet : public Startup, public ::testing::WithParamInterface<IdleCase> {};

TEST_P(StartupWithoutAPlayableSet, ShowsNoCardAndNoPreviewAndKeepsNoPairs) {
    GetParam().layOut(app);
    loaded();
    EXPECT_EQ(form->Label1->text(), GetParam().title);
    EXPECT_TRUE(form->Image1->picture().isNull());
    EXPECT_EQ(form->PairCount, 0);
    expectIdle(0);
    EXPECT_TRUE(platform.log.empty());
    EXPECT_EQ(currentDir(), canonical(app.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupWithoutAPlayableSet,
    ::testing::Values(IdleCase{"NoDataFolder", [](const TempDir&) {}, ""},
                      IdleCase{"EmptyDataFolder", [](const TempDir& app) { app.mkdir("Data"); }, ""},
                      IdleCase{"OnlyAFolderAndAHiddenSet",
                               [](const TempDir& app) {
                                   app.mkdir("Data/x.dat");
                                   app.writePicture("Data/p.png", 60, 60, 0xff808080);
                                   app.write("Data/.x.dat", "[File]\r\n1\r\n[Picture]\r\nData\\p.png\r\n");
                               },
                               ""},
                      IdleCase{"FirstSetsPreviewMissing",
                               [](const TempDir& app) {
                                   app.write("Data/a.dat", "[File]\r\n3\r\n[Picture]\r\nData\\none.png\r\n");
                               },
                               "a"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Startup, MessagesOfTheFirstSetAppearAfterTheOpeningCueBeforeTheWindowIsShown) {
    writeCues({"Asonde00@22.wav"});
    writeLines("a.dat", {"[File]", "2"});
    loaded();
    EXPECT_EQ(platform.log,
              (std::vector<QString>{"sound " + inData("\\Asonde00@22.wav"), "message ﾌｧｲﾙ読み込みエラー"}));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->Label1->text(), "a");
}

class Shutdown : public Startup {
protected:
    void expectNothingHidden() {
        for (int k = 0; k < 6; ++k) EXPECT_TRUE(cardShown(k)) << k;
        EXPECT_TRUE(form->Command1->isVisibleTo(form.get()));
        EXPECT_TRUE(form->Frame1->isVisibleTo(form.get()));
        EXPECT_FALSE(form->Picture1[0]->autoSize());
    }
};

TEST_F(Shutdown, ClosingShowsTheSeaPictureAloneInCardZeroWithItsSoundForTwoSeconds) {
    writeCues({"sea.jpg", "Icq01@11.wav"});
    writeFullSet("a.dat", 3);
    loaded();
    const QPoint place = form->Picture1[0]->pos();
    platform.clear();
    form->close();
    form->close();  // an unshown window gets both close events, and still unloads once
    for (int k = 1; k < board::kCards; ++k) EXPECT_FALSE(cardShown(k)) << k;
    EXPECT_FALSE(form->Command1->isVisibleTo(form.get()));
    EXPECT_FALSE(form->Frame1->isVisibleTo(form.get()));
    PictureBox& card = *form->Picture1[0];
    EXPECT_TRUE(cardShown(0));
    EXPECT_EQ(card.pos(), place);
    EXPECT_EQ(card.picture().size(), QSize(200, 150));
    EXPECT_EQ(card.size(), QSize(200, 150) + QSize(2, 2) * card.frameWidth());
    EXPECT_EQ(platform.log, (std::vector<QString>{"sound " + inData("\\Icq01@11.wav"), "wait 2"}));
    ASSERT_EQ(platform.waits.size(), 1u);
    EXPECT_EQ(platform.waits[0].until - platform.waits[0].from, 2.0);
    EXPECT_EQ(currentDir(), startedFrom);
}

TEST_F(Shutdown, WithoutBothClosingFilesOrWithABrokenPictureTheWindowClosesAtOnce) {
    writeFullSet("a.dat", 3);
    const struct {
        const char* name;
        std::function<void()> layOut;
    } cases[] = {
        {"only the picture", [&] { writeCues({"sea.jpg"}); }},
        {"only the sound", [&] { writeCues({"Icq01@11.wav"}); }},
        {"a picture that is no picture",
         [&] {
             writeCues({"Icq01@11.wav"});
             app.write("Data/sea.jpg", "no");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(app.file("Data/sea.jpg"));
        QFile::remove(app.file("Data/Icq01@11.wav"));
        c.layOut();
        form.reset();
        QDir::setCurrent(startedFrom);
        loaded();
        platform.clear();
        int16_t cancel = 0;
        form->Form_Unload(cancel);
        EXPECT_EQ(cancel, 0);
        EXPECT_TRUE(platform.log.empty());
        expectNothingHidden();
        EXPECT_EQ(currentDir(), startedFrom);
    }
}

TEST_F(Shutdown, ClosingWithCardZeroHiddenStillPlaysTheSoundAndWaits) {
    writeCues({"sea.jpg", "Icq01@11.wav"});
    loaded();
    ASSERT_FALSE(cardShown(0));
    platform.clear();
    form->close();
    EXPECT_FALSE(cardShown(0));
    EXPECT_EQ(platform.log, (std::vector<QString>{"sound " + inData("\\Icq01@11.wav"), "wait 2"}));
    EXPECT_EQ(currentDir(), startedFrom);
}

TEST_F(Shutdown, ClosingMidGameAsksNothingAndRunsTheClosingSequence) {
    writeCues({"sea.jpg", "Icq01@11.wav"});
    writeFullSet("a.dat", 3);
    loaded().Command1_Click();
    form->Picture1_Click(int16_t(cardsOf(0).at(0)));
    platform.clear();
    form->close();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(platform.log, (std::vector<QString>{"sound " + inData("\\Icq01@11.wav"), "wait 2"}));
    EXPECT_FALSE(cardShown(1));
    EXPECT_EQ(currentDir(), startedFrom);
}

}  // namespace
}  // namespace kavimo::test
