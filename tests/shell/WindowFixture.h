#pragma once
// An application folder in a scratch folder, the recording platform and a window on it.
// Sets are written as Windows writes them: CR LF line ends, backslash paths relative to
// the application folder.

#include "platform/FileLookup.h"
#include "shell/FileListBox.h"
#include "shell/Form1.h"
#include "shell/PictureBox.h"
#include "shell/SelectionFrame.h"
#include "support/RecordingPlatform.h"
#include "support/TempDir.h"

#include <QEvent>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>

// Test messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kavimo::test {

struct SetSpec {
    QString count;          // the "[File]" entry
    QStringList pictures;   // "[Picture]" entries as written in the file
    QStringList sounds;     // "[Sound]" entries as written in the file
};

// What a player can see of one card.
struct CardLook {
    bool shown;
    bool enabled;
    bool marked;
    QImage picture;
    bool operator==(const CardLook&) const = default;
};
inline void PrintTo(const CardLook& c, std::ostream* os) {
    *os << (c.shown ? "shown" : "hidden") << (c.enabled ? " enabled" : " disabled") << (c.marked ? " marked" : "")
        << (c.picture.isNull() ? " blank" : " with a picture");
}

// Logs into the platform's log, among its sounds, beeps and waits, what the window does on
// screen: "paint" (the window repainted at once), "disable <k>" (card k disabled) and
// "unmark <k>" (frame k hidden).
class ScreenRecorder : public QObject {
public:
    ScreenRecorder(Form1& window, std::vector<QString>& log) : QObject(&window), window_(window), log_(log) {
        window.installEventFilter(this);
        for (int k = 0; k < board::kCards; ++k) {
            window.Picture1[k]->installEventFilter(this);
            window.Shape1[k]->installEventFilter(this);
        }
    }
    bool eventFilter(QObject* target, QEvent* event) override {
        const auto card = std::find(window_.Picture1.begin(), window_.Picture1.end(), target);
        const auto frame = std::find(window_.Shape1.begin(), window_.Shape1.end(), target);
        if (target == &window_ && event->type() == QEvent::Paint) {
            log_.push_back("paint");
        } else if (card != window_.Picture1.end() && event->type() == QEvent::EnabledChange && !(*card)->isEnabled()) {
            log_.push_back(QString("disable %1").arg(card - window_.Picture1.begin()));
        } else if (frame != window_.Shape1.end() && event->type() == QEvent::HideToParent) {
            log_.push_back(QString("unmark %1").arg(frame - window_.Shape1.begin()));
        }
        return false;
    }

private:
    Form1& window_;
    std::vector<QString>& log_;
};

class WindowTest : public ::testing::Test {
protected:
    WindowTest() { platform.appDir = app.path(); }

    // Writes Data/<name> with the three sections.
    QString writeSet(const QString& name, const SetSpec& set) {
        QStringList lines{"[File]", set.count, "[Picture]"};
        lines += set.pictures;
        lines << "[Sound]";
        lines += set.sounds;
        return app.write("Data/" + name, (lines.join("\r\n") + "\r\n").toUtf8());
    }

    // A set of n pairs whose pictures (solid colours, 120 x 120) and sounds all exist,
    // under Data/<stem>/. Pair p's picture is filled with colourOf(p).
    QString writeFullSet(const QString& name, int pairs, bool withSounds = true) {
        const QString stem = name.section('.', 0, 0);
        SetSpec set{QString::number(pairs), {}, {}};
        for (int p = 0; p < pairs; ++p) {
            const QString pic = QString("%1/p%2.png").arg(stem).arg(p);
            app.writePicture("Data/" + pic, 120, 120, colourOf(p));
            set.pictures << "Data\\" + QString(pic).replace('/', '\\');
            if (withSounds) {
                const QString snd = QString("%1/s%2.wav").arg(stem).arg(p);
                app.writeWav("Data/" + snd);
                set.sounds << "Data\\" + QString(snd).replace('/', '\\');
            }
        }
        return writeSet(name, set);
    }

    // Writes Data/<name> line by line, for sets that lack a section.
    QString writeLines(const QString& name, const QStringList& lines) {
        return app.write("Data/" + name, (lines.join("\r\n") + "\r\n").toUtf8());
    }

    // A file of the data folder as the game names it: DataDir followed by literal.
    QString inData(const QString& literal) const { return app.path() + "\\Data" + literal; }

    static unsigned colourOf(int pair) { return 0xff000000u | unsigned(0x101010 * (pair + 1) + 0x400000 * (pair % 3)); }

    // The fixed cues and closing files of the data folder.
    void writeCues(const QStringList& names) {
        for (const QString& n : names) {
            if (n.endsWith(".jpg")) app.writePicture("Data/" + n, 200, 150, 0xff3060c0);
            else app.writeWav("Data/" + n);
        }
    }
    static QStringList allCues() {
        return {"Asonde00@22.wav", "HajimeA@08.wav", "puu002@22.wav", "GongC@08.wav",
                "Omedeto00@11.wav", "sea.jpg", "Icq01@11.wav"};
    }

    Form1& window() {
        if (!form) form = std::make_unique<Form1>(platform);
        return *form;
    }
    Form1& loaded() {
        window().Form_Load();
        return *form;
    }

    // Cards in play whose pair number is p.
    std::vector<int> cardsOf(int16_t p) {
        std::vector<int> cards;
        for (int k = 0; k < board::kCards; ++k)
            if (form->Picture1[k]->isVisibleTo(form.get()) && form->CardValue[k] == p) cards.push_back(k);
        return cards;
    }

    bool frameShown(int k) { return form->Shape1[k]->isVisibleTo(form->Picture1[k]); }
    bool cardShown(int k) { return form->Picture1[k]->isVisibleTo(form.get()); }

    std::vector<CardLook> looks() {
        std::vector<CardLook> result;
        for (int k = 0; k < board::kCards; ++k)
            result.push_back({cardShown(k), form->Picture1[k]->isEnabled(), frameShown(k), form->Picture1[k]->picture()});
        return result;
    }
    // Cards 0 to inPlay - 1 stand blank and disabled, the others are hidden, nothing marked.
    void expectIdle(int inPlay) {
        const std::vector<CardLook> now = looks();
        for (int k = 0; k < board::kCards; ++k)
            EXPECT_EQ(now[k], (CardLook{k < inPlay, false, false, QImage()})) << "card " << k;
        EXPECT_EQ(form->PairsFound, 0);
    }

    // Shows the window, so that its repaints happen, and starts logging them (ScreenRecorder).
    void recordScreen() {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        new ScreenRecorder(*form, platform.log);
        platform.clear();
    }

    TempDir app;
    CurrentDirGuard cwd;
    RecordingPlatform platform;
    std::unique_ptr<Form1> form;
};

}  // namespace kavimo::test
