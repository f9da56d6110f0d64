// SPDX-License-Identifier: GPL-3.0-or-later
// The set browser: the set list's selection and the "<<" and ">>" buttons.
#include "shell/Form1.h"

#include "platform/FileLookup.h"
#include "pictures/PictureLoader.h"
#include "platform/Platform.h"
#include "sets/Files.h"
#include "sets/PairCount.h"
#include "shell/FileListBox.h"
#include "shell/PictureBox.h"
#include "shell/PreviewImage.h"

#include <QLabel>

namespace kavimo {

void Form1::File1_Click() {
    Label1->setText(Files::StripExtension(File1->fileName()));
    platform_.setCurrentDir(SetRoot());

    int16_t index = 0;
    const QString preview = Files::ReadSetEntry(SetFilePath(), index, Files::SectionPicture, platform_);
    if (preview.isEmpty() || !fs::fileExists(preview)) {
        // The board and the count stay as the previous set left them.
        Image1->setPicture(QImage());
        return;
    }
    // Decoded at the size it is shown: a camera photo does not decode whole.
    Image1->setPicture(pictures::load(preview, {QSize(), Image1->size()}));

    const QString countText = Files::ReadSetEntry(SetFilePath(), index, Files::SectionFile, platform_);
    if (const auto count = ParsePairCount(countText)) {
        PairCount = *count;
    } else {
        ShowError(2);
        PairCount = 0;
    }
    ResetBoard();
}

void Form1::Command2_Click() {
    if (File1->listIndex() > 0) File1->setListIndex(static_cast<int16_t>(File1->listIndex() - 1));
}

void Form1::Command3_Click() {
    if (File1->listIndex() < File1->listCount() - 1)
        File1->setListIndex(static_cast<int16_t>(File1->listIndex() + 1));
}

}  // namespace kavimo
