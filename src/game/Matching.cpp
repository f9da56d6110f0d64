// SPDX-License-Identifier: GPL-3.0-or-later
// Card selection and matching.
#include "shell/Form1.h"

#include "platform/FileLookup.h"
#include "platform/Platform.h"
#include "sets/Files.h"
#include "shell/PictureBox.h"
#include "shell/SelectionFrame.h"

namespace kavimo {

namespace {
constexpr int kMismatchBeeps = 3;
}

void Form1::Picture1_Click(int16_t index) {
    if (FirstPicked == 0) {
        FirstPicked = -1;
        Picked[0] = index;
        Shape1[index]->show();
        return;
    }

    FirstPicked = 0;
    Picked[1] = index;
    Shape1[index]->show();
    // Both marks stay on screen through the beeps, the sound and the pause.
    repaint();

    const int16_t a = *Picked[0];
    const int16_t b = *Picked[1];
    if (a == b) {
        Shape1[index]->hide();
        return;
    }

    if (CardValue[a] != CardValue[b]) {
        for (int n = 0; n < kMismatchBeeps; ++n) platform_.beep();
        Shape1[a]->hide();
        Shape1[b]->hide();
        return;
    }

    const QString entry = Files::ReadSetEntry(SetFilePath(), CardValue[a], Files::SectionSound, platform_);
    // A file that is there but cannot be played (a phone's recording, a broken file) falls back too.
    if (entry.isEmpty() || !fs::fileExists(entry) || platform_.sndPlaySoundA(entry, SND_ASYNC) == 0)
        platform_.sndPlaySoundA(DataDir + QStringLiteral("\\puu002@22.wav"), SND_ASYNC);
    Pause(1);

    Picture1[a]->clearPicture();
    Picture1[a]->setEnabled(false);
    Picture1[b]->clearPicture();
    Picture1[b]->setEnabled(false);
    Shape1[a]->hide();
    Shape1[b]->hide();
    ++PairsFound;

    if (PairsFound == PairCount) {
        repaint();
        PlaySoundCue(QStringLiteral("\\GongC@08.wav"), 1);
        PlaySoundCue(QStringLiteral("\\Omedeto00@11.wav"), 1);
    }
}

}  // namespace kavimo
