// SPDX-License-Identifier: GPL-3.0-or-later
// kavimo-set check: for each broken set, what the checker calls an error or a warning is
// what the game does with it; and the command speaks the desktop's language.
#include <QImageWriter>
#include <QProcess>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "maker/SetMaker.h"
#include "support/Game.h"

namespace kavimo::test {
namespace {

using maker::Finding;
enum Outcome { Clean, Warning, Error };

// The set file ("~" stands for "Data\s\" in it), what check says of it and where, and how the
// game here plays it: what only the game on Windows would do (said with --windows) is Clean.
struct Row { QByteArray text; Outcome outcome; const char* says; int line; };

using Check = Game;

TEST_F(Check, ItsErrorsAndWarningsAgreeWithWhatTheGameDoes) {
    const QByteArray good =
        "[File]\r\n2\r\n[Picture]\r\n~p0.png\r\n~p1.png\r\n[Sound]\r\n~s0.wav\r\n~s1.wav\r\n";
    const auto with = [&](const char* from, const char* to) { return QByteArray(good).replace(from, to); };
    const Row rows[] = {
        {.text = good, .outcome = Clean, .says = "", .line = 0},
        {.text = with("[Picture]", "[picture]"), .outcome = Error, .says = "write \"[Picture]\"", .line = 3},
        {.text = with("\n2\r", "\n22\r"), .outcome = Error, .says = "0 to 21", .line = 2},
        {.text = with("p0.png", "p9.png"), .outcome = Error, .says = "without a preview", .line = 4},
        {.text = with("p1.png", "s1.wav"), .outcome = Error, .says = "does not decode", .line = 5},
        {.text = with("~p1.png\r\n", ""), .outcome = Error, .says = "into the \"[Sound]\"", .line = 5},
        {.text = with("p1.png", "big.png"), .outcome = Warning, .says = "top-left 99 x 99 pixels", .line = 5},
        {.text = with("p1.png", "huge.jpg"), .outcome = Error, .says = "(9500 x 9500) is too big", .line = 5},
        {.text = with("p1.png", "cut.jpg"), .outcome = Warning, .says = "cut.jpg is cut short", .line = 5},
        {.text = with("p1.png", "cut.png"), .outcome = Warning, .says = "cut.png is cut short", .line = 5},
        {.text = with("p1.png", "cut2.png"), .outcome = Warning, .says = "cut2.png is cut short", .line = 5},
        {.text = with("~s0", "\r\n~s0"), .outcome = Warning, .says = "blank line inside", .line = 7},
        {.text = with("~s0.wav", ""), .outcome = Warning, .says = "no sound of its own for pair 1:", .line = 7},
        {.text = with("s0.wav", "s9.wav"), .outcome = Warning, .says = "fallback", .line = 7},
        {.text = with("s0.wav", "p1.png"), .outcome = Warning, .says = "cannot be played", .line = 7},
        {.text = with("s0.wav", "none.wav"), .outcome = Warning, .says = "none.wav holds no sound", .line = 7},
        {.text = with("s0.wav", "empty.wav"), .outcome = Warning, .says = "empty.wav is empty", .line = 7},
        {.text = with("s0.wav", "cut.wav"), .outcome = Warning, .says = "cut.wav is cut short", .line = 7},
        {.text = with("s0.wav", "page.wav"), .outcome = Warning, .says = "page.wav is a web page", .line = 7},
        // ffmpeg cannot make a WAV of MIDI: the advice names what can.
        {.text = with("s0.wav", "tune.mid"), .outcome = Warning, .says = "-Ow -o \"", .line = 7},
        // The command that converts it names the file found.
        {.text = with("s0.wav", "p0.PNG"), .outcome = Warning, .says = "/Data/s/p0.png\" \"", .line = 7},
        // A phone's recording and a phone's photo under the names the set gives them: converted in place.
        {.text = with("s0.wav", "phone.wav"), .outcome = Warning, .says = "-converted.wav\" && mv \"", .line = 7},
        {.text = with("s0.wav", "phone.m4a"), .outcome = Warning, .says = "Then write Data\\s\\phone.wav in", .line = 7},
        {.text = with("p1.png", "phone.jpg"), .outcome = Error, .says = "-converted.jpg\" && mv \"", .line = 5},
        {.text = with("p1.png", "avif.jpg"), .outcome = Error, .says = "cannot show. Convert it to JPEG", .line = 5},
        {.text = with("p0.png", "P0.PNG"), .outcome = Clean, .says = "", .line = 0},  // as Windows writes it
        {.text = with("p1.png", "p1.PNG"), .outcome = Warning, .says = "the game takes P1.png", .line = 5},
        {.text = with("\r\n", "\n"), .outcome = Clean, .says = "line feed alone", .line = 0},
        {.text = good, .outcome = Clean, .says = "pairs 1, 2 are neither", .line = 4},
        {.text = with("s0.wav", "t.flac"), .outcome = Clean, .says = "t.flac is no WAV", .line = 7},
        // Megabytes of something else before it: the game reads on to the sections, and so does check.
        {.text = QByteArray(5 << 20, ' ') + "\r\n" + good, .outcome = Clean, .says = "", .line = 0},
        {.text = QByteArray("\xff\xfe[\0F\0i\0l\0e\0]\0\r\0\n\0", 18), .outcome = Error, .says = "UTF-16", .line = 0},
        {.text = with("p1.png", "いぬ.png"), .outcome = Clean, .says = "UTF-8", .line = 0},
        // Shift_JIS "ねこ", as an old Windows zip's set names it, where another tool unpacked it.
        {.text = with("p1.png", "\x82\xcb\x82\xb1.png"), .outcome = Error, .says = "unar -e cp932", .line = 0},
        {.text = with("\n2\r", "\n２\r"), .outcome = Error, .says = "half-width digits", .line = 2},
        {.text = with("p1.png", "p1.png\t"), .outcome = Error, .says = "holds a tab", .line = 5},
        {.text = "<!DOCTYPE html>\r\n<html><body>Not Found</body></html>\r\n", .outcome = Error,
         .says = "a web page", .line = 0},
    };
    for (const QString name : {"p0", "p1", "P1", "いぬ"})
        app.writePicture("Data/s/" + name + ".png", 90, 90, colour(1));
    app.writePicture("Data/s/big.png", 400, 300, colour(1));
    // Progressive: its decoder would set aside more than a decode may, though held whole it would pass.
    app.write("Data/s/huge.jpg", jpegBomb());
    const QImage cut = textured({90, 90});
    app.write("Data/s/cut.jpg", encoded(cut, "JPEG").chopped(100));
    app.write("Data/s/cut.png", encoded(cut, "PNG").chopped(12));   // without its last chunk, IEND
    app.write("Data/s/cut2.png", encoded(cut, "PNG").chopped(4));   // IEND cut
    for (const QString name : {"s0", "s1"}) app.writeWav("Data/s/" + name + ".wav");
    app.write("Data/s/none.wav", squareWav(0, 0));
    app.write("Data/s/empty.wav", "");
    app.write("Data/s/cut.wav", squareWav(0.1, 64).chopped(100));
    app.write("Data/s/page.wav", "<!DOCTYPE html>\n<html><body>Not Found</body></html>\n");
    for (const char* phone : {"Data/s/phone.wav", "Data/s/phone.m4a"})
        app.write(phone, QByteArray("\0\0\0\x20" "ftypM4A \0\0\0\0" "M4A mp42isom", 24));
    app.write("Data/s/phone.jpg", QByteArray("\0\0\0\x18" "ftypheic\0\0\0\0" "mif1heic", 24));
    app.write("Data/s/avif.jpg", QByteArray("\0\0\0\x18" "ftypavif\0\0\0\0" "mif1avif", 24));
    writeSound(app, "Data/s/t.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1, std::vector(800, 0.1f));
    app.write("Data/s/tune.mid", QByteArray("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x04\0\xff\x2f\0", 26));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.says);
        const QString dat = app.write("Data/s.dat", QByteArray(row.text).replace("~", "Data\\s\\"));
        const auto all = maker::checkSet(dat, app.path()), findings = maker::withoutWindowsOnly(all);
        const auto any = [&](auto is) { return std::ranges::any_of(all, is); };
        const bool errors = any([](const Finding& f) { return f.severity == Finding::Severity::Error; });
        EXPECT_EQ(errors ? Error : findings.empty() ? Clean : Warning, row.outcome);
        EXPECT_EQ(any([&](const Finding& f) { return f.message.contains(row.says) && f.line == row.line; }),
                  *row.says != 0)
            << (findings.empty() ? std::string("nothing") : findings[0].message.toStdString());

        // The game: an error shows a message box or deals nothing; under a warning it deals,
        // and the first pair sounds its own sound unless the warning is about that sound.
        load().Command1_Click();
        find(0);
        const Log log = take();
        const bool boxed = std::ranges::any_of(log, [](const QString& e) { return e.contains("error"); });
        const bool dealt = board().count('_') == 2 && board().count('o') == 2;
        EXPECT_EQ(row.outcome == Error, boxed || !dealt) << board().toStdString();
        const bool pairSounded = std::ranges::find(log, "sound s0.wav") != log.end();
        EXPECT_TRUE(boxed || !dealt || pairSounded == !any([](const Finding& f) { return f.line == 7; }));
    }
}

// Root reads every file; the test's thread, as a parent's account, may not while this lives
// (capabilities are per thread). Hand-written on the system call: libcap is needed nowhere else.
class WithoutReadOverride {
public:
    WithoutReadOverride() { change(false); }
    ~WithoutReadOverride() { change(true); }

private:
    static void change(bool on) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        ASSERT_EQ(syscall(SYS_capget, &header, data), 0);
        const unsigned bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        data[0].effective = on ? data[0].effective | (bits & data[0].permitted) : data[0].effective & ~bits;
        ASSERT_EQ(syscall(SYS_capset, &header, data), 0);
    }
};

// Files unpacked with sudo: there, but not to be read. Named as such, with what to do, not as
// a photo that does not decode or a name with a backslash.
TEST_F(Check, NamesAFileThatMayNotBeReadAndHowToMakeItReadable) {
    const QString dat = fullSet("s.dat", 2);
    for (const QString name : {"Data/s/p1.png", "Data/s/s0.wav"}) QFile::setPermissions(app.file(name), {});
    const WithoutReadOverride parent;
    const auto findings = maker::checkSet(dat, app.path());
    const auto says = [&](int line, Finding::Severity severity, const QString& file) {
        return std::ranges::any_of(findings, [&](const Finding& f) {
            return f.line == line && f.severity == severity && f.message.contains("no permission") &&
                   f.message.contains("chmod a+r \"" + app.file(file) + '"') && !f.message.contains("backslash");
        });
    };
    EXPECT_TRUE(says(5, Finding::Severity::Error, "Data/s/p1.png"));
    EXPECT_TRUE(says(7, Finding::Severity::Warning, "Data/s/s0.wav"));
    QString why;
    EXPECT_TRUE(maker::uprightPicture(app.file("Data/s/p1.png"), &why).isNull());
    EXPECT_TRUE(why.contains("no permission")) << why.toStdString();

    QFile::setPermissions(dat, {});
    const auto ofSet = maker::checkSet(dat, app.path());
    ASSERT_FALSE(ofSet.empty());
    EXPECT_TRUE(ofSet[0].message.contains("no permission")) << ofSet[0].message.toStdString();
}

// The program as a parent runs it, under a Japanese and an English desktop.
TEST(CheckAndMake, SpeakJapaneseUnderAJapaneseLocaleAndEnglishOtherwise) {
    TempDir dir;
    dir.write("Data/s.dat", "[file]\r\n1\r\n");
    dir.write("Other/nul.dat", QByteArray("[File]\r\n2\0\r\n[Picture]\r\n[Sound]\r\n", 32));
    for (int i = 0; i < 11; ++i) {
        dir.writePicture(QString("写真/いぬ%1.png").arg(i), 9, 9, 0xff808080);
        dir.writeWav(QString("写真/いぬ%1.wav").arg(i));
    }
    for (const char* name : {"Quiet/ねこ.png", "Quiet/とり.png"}) dir.writePicture(name, 9, 9, 0xff808080);
    // WebP and TIFF photos, a WebP saved as .jpg, and the program alone beside a qt.conf with
    // which Qt finds no plugin, as a portable copy on a machine without Qt's extra readers.
    dir.mkdir("Bare");
    for (const char* photo : {"Bare/b.webp", "Bare/b.tif", "web.jpg"})
        ASSERT_TRUE(
            QImageWriter(dir.file(photo), photo[0] == 'w' ? "webp" : nullptr).write(textured({99, 99})));
    const QString bare = dir.mkdir("bin") + "/kavimo-set";
    ASSERT_TRUE(QFile::copy(KAVIMO_SET_PROGRAM, bare));
    dir.write("bin/qt.conf", "[Paths]\nPlugins = none\n");
    dir.write("Data/w.dat", "[File]\r\n2\r\n[Picture]\r\nQuiet\\ねこ.png\r\nBare\\b.webp\r\n[Sound]\r\n");
    const QString needs = " picture, which needs Qt's extra picture readers. Install them with: "
                          "sudo apt install qt6-image-formats-plugins";
    const QStringList check{"check", dir.file("Data")};
    QDir().mkpath(dir.file("share/kavimo/Data/folder.dat"));
    QFile::link("/nowhere/s.dat", dir.file("share/kavimo/Data/gone.dat"));
    QFile::link("loop.dat", dir.file("share/kavimo/Data/loop.dat"));
    const struct {
        const char* lang;
        QStringList args;
        int exit;
        QString says;
        const char* dataHome = nullptr;  // XDG_DATA_HOME, when not dir/share
        int times = 0;                   // how often it is said; 0: at least once
        const char* path = nullptr;      // PATH, when set
        QString program = KAVIMO_SET_PROGRAM;
    } runs[] = {
        {.lang = "ja_JP.UTF-8", .args = check, .exit = 1, .says = "「[File]」と書いてください。"},
        {.lang = "en_GB.UTF-8", .args = check, .exit = 1, .says = "is not a header; write \"[File]\""},
        {.lang = "ja_JP.UTF-8", .args = {"make"}, .exit = 2, .says = "使い方:"},
        {.lang = "C.UTF-8", .args = {"--help"}, .exit = 0, .says = "Usage:"},
        {.lang = "C.UTF-8", .args = {}, .exit = 2,
         .says = "There is no display to open the set maker window on"},
        // No espeak-ng on the PATH: said once, not for every name.
        {.lang = "C.UTF-8", .args = {"make", dir.file("Quiet"), "--speak", "--data", dir.file("Made/Speak")},
         .exit = 1, .says = "espeak-ng is not installed", .times = 1, .path = "/nowhere"},
        // A relative XDG_DATA_HOME is ignored, as the XDG rules say.
        {.lang = "C.UTF-8", .args = {"make", dir.file("写真"), "--title", "rel"}, .exit = 0,
         .says = "/.local/share/kavimo/Data/rel.dat", .dataHome = "share"},
        // Made for this game, not for Windows: what only Windows would do with it (small cards
        // only for 21 pairs there) is said by check --windows alone.
        {.lang = "C.UTF-8", .args = {"make", dir.file("写真"), "--data", dir.file("Made/Data")}, .exit = 0,
         .says = "11 pairs, small cards, plays cleanly"},
        {.lang = "C.UTF-8", .args = {"check", dir.file("Made/Data")}, .exit = 0, .says = "plays cleanly"},
        {.lang = "C.UTF-8", .args = {"make", dir.file("写真"), "--data", dir.file("Made/Sets")}, .exit = 0,
         .says = "is not one."},
        {.lang = "C.UTF-8", .args = {"check", "--windows", dir.file("Made/Data")}, .exit = 0,
         .says = "on Windows the game lays out small cards only for 21 pairs"},
        // A set unpacked with a Data folder of its own into the user's sets: not listed by the game.
        {.lang = "C.UTF-8", .args = {"make", dir.file("写真"), "--data", dir.file("share/kavimo/Data/Data")},
         .exit = 0, .says = "Made the set"},
        {.lang = "C.UTF-8", .args = {"check"}, .exit = 0,
         .says = "does not list this set: it lists the sets directly in /"},
        // A link to a set that was moved away, and a folder named like a set: not listed either.
        {.lang = "C.UTF-8", .args = {"check"}, .exit = 0,
         .says = "gone.dat: warning: the game does not list this set: it is a link to /nowhere/s.dat"},
        {.lang = "C.UTF-8", .args = {"check"}, .exit = 0, .says = "loop.dat, which leads back round to links"},
        {.lang = "C.UTF-8", .args = {"check", dir.file("share/kavimo")}, .exit = 0,
         .says = "folder.dat: warning: the game does not list this set: it is not a file"},
        {.lang = "C.UTF-8", .args = {"check", dir.file("写真/いぬ1.png")}, .exit = 2,
         .says = "いぬ1.png is not a set: a set is a text file whose name ends in .dat"},
        // A NUL in the set file is shown, not the end of the line.
        {.lang = "C.UTF-8", .args = {"check", dir.file("Other/nul.dat")}, .exit = 1,
         .says = "\"2\\x00\" is not a whole number"},
        {.lang = "C.UTF-8", .args = {"make", dir.file("Bare"), "--data", dir.file("Made/Bare")}, .exit = 1,
         .says = "Left out: b.webp is a WebP" + needs, .program = bare},
        {.lang = "C.UTF-8", .args = {"make", dir.file("Bare/b.tif")}, .exit = 1,
         .says = "error: b.tif is a TIFF" + needs, .program = bare},
        {.lang = "C.UTF-8", .args = {"make", dir.file("web.jpg")}, .exit = 1,
         .says = "web.jpg is a WebP" + needs, .program = bare},
        {.lang = "C.UTF-8", .args = {"check", dir.file("Data/w.dat")}, .exit = 1,
         .says = "Bare\\b.webp: b.webp is a WebP" + needs, .program = bare},
        // A set named by its title, as the game shows it.
        {.lang = "C.UTF-8", .args = {"make", dir.file("Quiet"), "--title", "しずか"}, .exit = 0,
         .says = "Made the set"},
        {.lang = "C.UTF-8", .args = {"check", "しずか"}, .exit = 0,
         .says = "しずか: 2 pairs, large cards, 1 warning"},
        // Listed as the game lists them: the parent's しずか before the program's わに.
        {.lang = "C.UTF-8", .args = {"make", dir.file("Quiet"), "--title", "わに", "--data", dir.file("bin/Data")},
         .exit = 0, .says = "Made the set"},
        {.lang = "C.UTF-8", .args = {"check"}, .exit = 0, .says = "plays instead.\nわに: 2 pairs", .program = bare},
    };
    for (const auto& run : runs) {
        QProcess program;
        QProcessEnvironment env;  // nothing but the language: no LC_ALL or LANGUAGE of ours to outrank it
        env.insert("LANG", run.lang);
        env.insert("XDG_DATA_HOME", run.dataHome ? QString(run.dataHome) : dir.file("share"));
        env.insert("HOME", dir.path());
        if (run.path) env.insert("PATH", run.path);
        program.setProcessEnvironment(env);
        program.start(run.program, run.args);
        ASSERT_TRUE(program.waitForFinished(30000));
        const QString output = program.readAllStandardOutput() + program.readAllStandardError();
        const qsizetype said = output.count(run.says);
        EXPECT_TRUE(program.exitCode() == run.exit && (run.times ? said == run.times : said > 0))
            << run.lang << " exit " << program.exitCode() << ": " << output.toStdString();
    }
}

}  // namespace
}  // namespace kavimo::test
