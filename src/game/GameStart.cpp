// SPDX-License-Identifier: GPL-3.0-or-later
// Game start: check the set, shuffle, check every picture, deal.
#include "shell/Form1.h"

#include "game/Shuffle.h"
#include "pictures/PictureLoader.h"
#include "platform/FileLookup.h"
#include "platform/Platform.h"
#include "sets/Files.h"
#include "shell/FileListBox.h"
#include "shell/PictureBox.h"

#include <QtConcurrent/QtConcurrentMap>

#include <chrono>
#include <random>
#include <vector>

namespace kavimo {

void Form1::Command1_Click() {
    // The set shown was saved anew since its count was read (the set maker replaced it while
    // the game was open): it is chosen again, so that what is dealt is the set as it now is.
    if (SetFilePath() == countedSetFile_) {
        const QByteArray now = fs::fileVersion(countedSetFile_);
        if (!now.isEmpty() && now != countedSetVersion_) File1_Click();
    }

    const QString name = File1->fileName();
    const QString path = SetFilePath();
    if (!fs::fileExists(path) || name.isEmpty()) {
        ShowError(0);
        return;
    }
    // A set whose first picture, its preview, was missing when it was chosen has no count of
    // its own: the count is the last set's, or none when it is the first set shown, and a
    // start would deal nothing with the start cue. It is chosen again, as the picture may be
    // there now; if it is not, the start fails on that picture as on any missing one.
    if (path != countedSetFile_) {
        File1_Click();
        if (SetFilePath() != countedSetFile_) {
            ResetBoard();
            ShowError(1);
            return;
        }
    }
    // The board holds 21 pairs; a count outside that cannot be dealt.
    if (PairCount < 0 || PairCount > board::kMaxPairs) {
        ShowError(2);
        return;
    }
    const int lastCard = 2 * PairCount - 1;

    ResetBoard();

    std::mt19937_64 random(static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    board::ShuffleCards(CardValue, PairCount, [&] { return unit(random); });

    // Every picture is checked before any card is dealt.
    std::vector<QString> PictureFiles;
    for (int16_t p = 0; p < PairCount; ++p) {
        const QString entry = Files::ReadSetEntry(path, p, Files::SectionPicture, platform_);
        if (!fs::fileExists(entry) || entry.isEmpty()) {
            ShowError(1);
            return;
        }
        PictureFiles.push_back(entry);
    }
    // Each pair's picture is decoded once for both of its cards, only the part that a card
    // shows, on all cores; a file that is no picture counts as missing.
    const pictures::PictureRequest corner{Picture1[0]->inner().size(), QSize()};
    const std::vector<QImage> pictures = QtConcurrent::blockingMapped<std::vector<QImage>>(
        PictureFiles, [corner](const QString& file) { return pictures::load(file, corner); });
    for (const QImage& picture : pictures) {
        if (picture.isNull()) {
            ShowError(1);
            return;
        }
    }

    for (int16_t p = 0; p < PairCount; ++p) {
        for (int k = 0; k <= lastCard; ++k) {
            if (CardValue[k] == p) {
                Picture1[k]->setPicture(pictures[p]);
                Picture1[k]->setEnabled(true);
            }
        }
    }

    PlaySoundCue(QStringLiteral("\\HajimeA@08.wav"), 0);
}

}  // namespace kavimo
