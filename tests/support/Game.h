// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window on the recording platform in a scratch application folder, and what a player
// sees of its board. Sets are written as Windows writes them: CR LF line ends, backslash
// paths relative to the application folder.

#include "shell/FileListBox.h"
#include "shell/Form1.h"
#include "shell/PictureBox.h"
#include "shell/SelectionFrame.h"
#include "support/RecordingPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTest>

#include <memory>
#include <ostream>

// Test messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace kavimo::test {

using Log = std::vector<QString>;

class Scene {
public:
    Scene() { platform.appDir = app.path(); }

    QString writeSet(const QString& name, const QStringList& lines) const {
        return app.write("Data/" + name, (lines.join("\r\n") + "\r\n").toUtf8());
    }
    // A set of `pairs` pairs under Data/<name up to its first dot>/: pictures p<n>.png,
    // 120 x 120 and all of colour(n), and sounds s<n>.wav, which exist only when `sounds`.
    QString fullSet(const QString& name, int pairs, bool sounds = true) const {
        const QString stem = "Data/" + name.section('.', 0, 0) + "/";
        QStringList lines{"[File]", QString::number(pairs), "[Picture]"}, soundLines{"[Sound]"};
        for (int p = 0; p < pairs; ++p) {
            app.writePicture(stem + QString("p%1.png").arg(p), 120, 120, colour(p));
            if (sounds) app.writeWav(stem + QString("s%1.wav").arg(p));
            lines << QString(stem + "p%1.png").arg(p).replace('/', '\\');
            soundLines << QString(stem + "s%1.wav").arg(p).replace('/', '\\');
        }
        return writeSet(name, lines + soundLines);
    }
    static QRgb colour(int pair) {
        return 0xff000000u | unsigned(0x101010 * (pair + 1) + 0x400000 * (pair % 3));
    }
    // Fixed files of the data folder; the closing picture is 200 x 150.
    void cues(const QStringList& names) const {
        for (const QString& n : names)
            n.endsWith(".jpg") ? app.writePicture("Data/" + n, 200, 150, 0xff3060c0)
                               : app.writeWav("Data/" + n);
    }
    static inline const QStringList kAllCues = {"Asonde00@22.wav", "HajimeA@08.wav", "puu002@22.wav",
        "GongC@08.wav", "Omedeto00@11.wav", "sea.jpg", "Icq01@11.wav"};

    // Makes the window and runs its start-up.
    // firstSet: as given to the program to start with.
    Form1& load(const QString& firstSet = {}) {
        form = std::make_unique<Form1>(platform);
        form->ChooseFirst(firstSet);
        form->Form_Load();
        return *form;
    }
    Log take() { return platform.take(); }

    bool shown(int k) const { return form->Picture1[k]->isVisibleTo(form.get()); }
    std::vector<int> cardsOf(int pair) const {
        std::vector<int> cards;
        for (int k = 0; k < board::kCards; ++k)
            if (shown(k) && form->CardValue[k] == pair) cards.push_back(k);
        return cards;
    }
    void find(int pair) {
        for (int k : cardsOf(pair)) form->Picture1_Click(int16_t(k));
    }
    // A card as the player sees it: "o" dealt, "*" marked, "_" blank and disabled,
    // "." hidden, "?" anything else.
    char look(int k) const {
        const PictureBox& card = *form->Picture1[k];
        const bool dealt = card.isEnabled() && !card.picture().isNull();
        if (!shown(k)) return '.';
        if (form->Shape1[k]->isVisible()) return dealt ? '*' : '?';
        return dealt ? 'o' : !card.isEnabled() && card.picture().isNull() ? '_' : '?';
    }
    // Every card up to the last one shown.
    QString board() const {
        QString looks;
        for (int k = 0; k < board::kCards; ++k) looks += look(k);
        while (looks.endsWith('.')) looks.chop(1);
        return looks;
    }
    // The two cards of every pair in play, pair by pair.
    QString pairs() const {
        QStringList looks(board().size() / 2);
        for (int p = 0; p < looks.size(); ++p)
            for (int k : cardsOf(p)) looks[p] += look(k);
        return looks.join(' ');
    }

    TempDir app;
    CurrentDirGuard cwd;
    RecordingPlatform platform;
    std::unique_ptr<Form1> form;
};

class Game : public ::testing::Test, public Scene {};

}  // namespace kavimo::test
