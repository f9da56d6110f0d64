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

#include <QStringList>
#include <gtest/gtest.h>

#include <memory>

namespace kavimo::test {

struct SetSpec {
    QString count;          // the "[File]" entry
    QStringList pictures;   // "[Picture]" entries as written in the file
    QStringList sounds;     // "[Sound]" entries as written in the file
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

    TempDir app;
    CurrentDirGuard cwd;
    RecordingPlatform platform;
    std::unique_ptr<Form1> form;
};

}  // namespace kavimo::test
