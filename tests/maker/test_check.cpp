// SPDX-License-Identifier: GPL-3.0-or-later
// kavimo-set check: for each broken set, what the checker calls an error or a warning is
// what the game does with it; and the command speaks the desktop's language.
#include "maker/SetMaker.h"
#include "support/Game.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace kavimo::test {
namespace {

using Severity = maker::Finding::Severity;
enum class Outcome { Clean, Warning, Error };

struct Row {
    const char* name;
    QByteArray text;  // the set file; "~" stands for "Data\s\" below
    Outcome outcome;
    const char* says;
    int line;
};

using Check = Game;

TEST_F(Check, ItsErrorsAndWarningsAgreeWithWhatTheGameDoes) {
    const QByteArray good =
        "[File]\r\n2\r\n[Picture]\r\n~p0.png\r\n~p1.png\r\n[Sound]\r\n~s0.wav\r\n~s1.wav\r\n";
    const Row rows[] = {
        {.name = "clean", .text = good, .outcome = Outcome::Clean, .says = "", .line = 0},
        {.name = "header in small letters",
         .text = QByteArray(good).replace("[Picture]", "[picture]"),
         .outcome = Outcome::Error,
         .says = "\"[picture]\" is not a header; write \"[Picture]\"",
         .line = 3},
        {.name = "count",
         .text = QByteArray(good).replace("\n2\r", "\ntwo\r"),
         .outcome = Outcome::Error,
         .says = "\"two\"",
         .line = 2},
        {.name = "too many",
         .text = QByteArray(good).replace("\n2\r", "\n22\r"),
         .outcome = Outcome::Error,
         .says = "0 to 21",
         .line = 2},
        {.name = "missing picture",
         .text = QByteArray(good).replace("p1.png", "p9.png"),
         .outcome = Outcome::Error,
         .says = "missing",
         .line = 5},
        {.name = "missing preview",
         .text = QByteArray(good).replace("p0.png", "p9.png"),
         .outcome = Outcome::Error,
         .says = "cannot be chosen",
         .line = 4},
        {.name = "not a picture",
         .text = QByteArray(good).replace("p1.png", "s1.wav"),
         .outcome = Outcome::Error,
         .says = "does not decode",
         .line = 5},
        {.name = "big photo",
         .text = QByteArray(good).replace("p1.png", "big.png"),
         .outcome = Outcome::Warning,
         .says = "top-left 99 x 99 pixels of this 400 x 300",
         .line = 5},
        {.name = "blank line",
         .text = QByteArray(good).replace("~p1.png", ""),
         .outcome = Outcome::Error,
         .says = "blank line",
         .line = 5},
        {.name = "too few pictures",
         .text = "[File]\r\n2\r\n[Picture]\r\n~p0.png\r\n[Sound]\r\n~s0.wav\r\n~s1.wav\r\n",
         .outcome = Outcome::Error,
         .says = "into the \"[Sound]\" section",
         .line = 5},
        {.name = "no sound section",
         .text = good.left(good.indexOf("[Sound]")),
         .outcome = Outcome::Error,
         .says = "no \"[Sound]\"",
         .line = 0},
        {.name = "blank sound line",
         .text = QByteArray(good).replace("~s0.wav", "\r\n~s0.wav"),
         .outcome = Outcome::Warning,
         .says = "a blank line inside the \"[Sound]\" section",
         .line = 7},
        {.name = "missing sound",
         .text = QByteArray(good).replace("s0.wav", "s9.wav"),
         .outcome = Outcome::Warning,
         .says = "fallback",
         .line = 7},
        {.name = "unplayable sound",
         .text = QByteArray(good).replace("s0.wav", "p1.png"),
         .outcome = Outcome::Warning,
         .says = "cannot be played",
         .line = 7},
        {.name = "letter case",
         .text = QByteArray(good).replace("p1.png", "P1.PNG"),
         .outcome = Outcome::Warning,
         .says = "only when letter case is ignored",
         .line = 5},
        {.name = "lone line feeds",
         .text = QByteArray(good).replace("\r\n", "\n"),
         .outcome = Outcome::Warning,
         .says = "line feed alone",
         .line = 0},
        {.name = "UTF-8",
         .text = QByteArray(good).replace("p1.png", "いぬ.png"),
         .outcome = Outcome::Warning,
         .says = "UTF-8",
         .line = 0},
    };
    writeSet("s/x", {});
    app.writePicture("Data/s/p0.png", 90, 90, colour(0));
    app.writePicture("Data/s/p1.png", 90, 90, colour(1));
    app.writePicture("Data/s/いぬ.png", 90, 90, colour(1));
    app.writePicture("Data/s/big.png", 400, 300, colour(1));
    app.writeWav("Data/s/s0.wav");
    app.writeWav("Data/s/s1.wav");
    cues({"puu002@22.wav"});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString dat = app.write("Data/s.dat", QByteArray(row.text).replace("~", "Data\\s\\"));
        const auto findings = maker::checkSet(dat, app.path());
        Outcome checked = Outcome::Clean;
        for (const auto& f : findings)
            if (f.severity == Severity::Error || checked == Outcome::Clean)
                checked = f.severity == Severity::Error ? Outcome::Error : Outcome::Warning;
        EXPECT_EQ(checked, row.outcome);
        const bool said = std::any_of(findings.begin(), findings.end(), [&](const maker::Finding& f) {
            return f.message.contains(QString::fromUtf8(row.says)) && f.line == row.line;
        });
        EXPECT_EQ(said, row.outcome != Outcome::Clean)
            << (findings.empty() ? std::string("nothing") : findings[0].message.toStdString());

        // The game: an error shows a message box or deals nothing; under a warning it deals,
        // and the first pair sounds its own sound unless the warning is about that sound.
        load().Command1_Click();
        find(0);
        const Log log = take();
        const bool boxed = std::any_of(log.begin(), log.end(), [](const QString& e) {
            return e.startsWith("error") || e == "read error";
        });
        const bool dealt = board().count('_') == 2 && board().count('o') == 2;
        EXPECT_EQ(row.outcome == Outcome::Error, boxed || !dealt) << board().toStdString();
        if (dealt && !boxed) {
            const bool ownSound = std::find(log.begin(), log.end(), "sound s0.wav") != log.end();
            const bool soundWarned = std::any_of(findings.begin(), findings.end(),
                                                 [](const maker::Finding& f) { return f.line == 7; });
            EXPECT_EQ(ownSound, !soundWarned);
        }
        form.reset();
    }
}

// The program as a parent runs it, under a Japanese and an English desktop.
TEST(CheckAndMake, SpeakJapaneseUnderAJapaneseLocaleAndEnglishOtherwise) {
    TempDir dir;
    dir.write("Data/s.dat", "[file]\r\n1\r\n");
    dir.mkdir("empty");
    const struct {
        const char* lang;
        QStringList args;
        int exit;
        const char* says;
    } runs[] = {
        {"ja_JP.UTF-8",
         {"check", dir.file("Data")},
         1,
         "「[file]」は見出しになりません。「[File]」と書いてください。"},
        {"C.UTF-8", {"check", dir.file("Data")}, 1, "\"[file]\" is not a header; write \"[File]\""},
        {"ja_JP.UTF-8",
         {"make", "--data", dir.file("Data"), dir.file("empty")},
         1,
         "セットにする絵がありません。"},
        {"en_GB.UTF-8", {"make", "--data", dir.file("Data"), dir.file("empty")}, 1, "There are no pictures"},
        {"ja_JP.UTF-8", {"make"}, 2, "使い方:"},
        {"C.UTF-8", {"--help"}, 0, "Usage:"},
    };
    for (const auto& run : runs) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LC_ALL");
        env.remove("LC_MESSAGES");
        env.remove("LANGUAGE");
        env.insert("LANG", run.lang);
        program.setProcessEnvironment(env);
        program.start(KAVIMO_SET_PROGRAM, run.args);
        ASSERT_TRUE(program.waitForFinished(30000));
        const QString output =
            QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
        EXPECT_EQ(program.exitCode(), run.exit) << run.lang << " " << run.args.join(' ').toStdString();
        EXPECT_TRUE(output.contains(QString::fromUtf8(run.says))) << output.toStdString();
    }
}

}  // namespace
}  // namespace kavimo::test
