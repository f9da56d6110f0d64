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

#include <memory>

namespace kavimo {

void Form1::File1_Click() {
    // A name unpacked from a zip made on a Mac has its kana and their voicing marks apart,
    // which a font may draw apart: the title shows them joined.
    Label1->setText(Files::StripExtension(File1->fileName()).normalized(QString::NormalizationForm_C));
    platform_.setCurrentDir(SetRoot());

    int16_t index = 0;
    const QString preview = Files::ReadSetEntry(SetFilePath(), index, Files::SectionPicture, platform_);
    if (preview.isEmpty() || !fs::fileExists(preview)) {
        // The board and the count stay as the previous set left them.
        Image1->setPicture(QImage());
        return;
    }
    // Decoded at the size it is shown (a camera photo does not decode whole), on another
    // thread: a large photo without a thumbnail takes tens of milliseconds, which neither the
    // window's first paint nor the next click waits for. It is found here, against the set's
    // own folder, which the next set may change.
    const std::shared_ptr<QFile> file = fs::openRegular(preview);
    Image1->setPictureLater([file, box = Image1->size()] {
        return file ? pictures::load(*file, {QSize(), box}) : QImage();
    });

    const QString countText = Files::ReadSetEntry(SetFilePath(), index, Files::SectionFile, platform_);
    if (const auto count = ParsePairCount(countText)) {
        PairCount = *count;
    } else {
        ShowError(2);
        PairCount = 0;
    }
    countedSetFile_ = SetFilePath();
    countedSetVersion_ = fs::fileVersion(countedSetFile_);
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
