// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shutdown.
#include "shell/Form1.h"

#include "platform/FileLookup.h"
#include "pictures/PictureLoader.h"
#include "platform/Platform.h"
#include "shell/FileListBox.h"
#include "shell/PictureBox.h"

#include <QGroupBox>
#include <QPushButton>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace kavimo {

namespace {

// The file's one real path, links resolved, as the OS's bytes; "" when it is not there.
QByteArray realPath(const QString& path) {
    const QByteArray native = fs::nativePath(path);
    char real[PATH_MAX];
    return !native.isEmpty() && ::realpath(native.constData(), real) ? QByteArray(real) : QByteArray();
}

}  // namespace

QString DataDir;

// Where the set list holds this file; -1 when it does not.
int16_t Form1::listed(const QString& setFile) const {
    const QByteArray wanted = realPath(setFile);
    for (int16_t i = 0; !wanted.isEmpty() && i < File1->listCount(); ++i)
        if (realPath(File1->folder(i) + u'\\' + File1->list(i)) == wanted) return i;
    return -1;
}

void Form1::Form_Load() {
    StartDir = platform_.currentDir();
    const QString appDir = platform_.applicationDir();
    // File names in set files resolve against the application folder until shutdown.
    platform_.setCurrentDir(appDir);
    // A backslash in the folder's own name stays a character of that name.
    fs::setApplicationDir(appDir);
    DataDir = appDir + QStringLiteral("\\Data");

    PlaySoundCue(QStringLiteral("\\Asonde00@22.wav"), 0);

    // The user's own sets are listed with the program's; without that folder nothing changes.
    File1->setPaths({DataDir, platform_.userSetFolder()});
    File1->setPattern(QStringLiteral("*.dat"));
    // A set given to start with is chosen at once: the first set's messages would come first.
    const int16_t first = listed(firstSet_);
    // One outside both folders (on a stick, in Downloads) is not shown: said where the parent
    // who named it sees it.
    if (!firstSet_.isEmpty() && first < 0) {
        const QString said = QStringLiteral("kavimo: %1 is not among the sets in %2 and %3, so the game "
                                            "shows its first set. Put the set, with its pictures' folder, "
                                            "into one of them.\n")
                                 .arg(firstSet_, appDir + QStringLiteral("/Data"), platform_.userSetFolder());
        std::fputs(qPrintable(said), stderr);
    }
    if (File1->listCount() >= 1) File1->setListIndex(std::max<int16_t>(first, 0));  // File1_Click

    ResetBoard();
}

void Form1::Form_Unload(int16_t& /*cancel: closing always goes ahead*/) {
    const QString picturePath = DataDir + QStringLiteral("\\sea.jpg");
    const QString soundPath = DataDir + QStringLiteral("\\Icq01@11.wav");

    if (fs::fileExists(soundPath) && fs::fileExists(picturePath)) {
        // Decoded before anything is hidden: a closing picture that is no picture leaves
        // the closing sequence out instead of showing an empty window.
        // Shown at its own size from the top-left: no more than the window is decoded.
        const QImage picture = pictures::load(picturePath, {size(), QSize()});
        if (!picture.isNull()) {
            for (int i = 1; i < board::kCards; ++i) Picture1[i]->hide();
            Command1->hide();
            Frame1->hide();
            repaint();

            Picture1[0]->setAutoSize(true);
            Picture1[0]->setPicture(picture);
            repaint();

            if (fs::fileExists(soundPath)) {
                platform_.sndPlaySoundA(soundPath, SND_ASYNC);
                Pause(2);
            }
        }
    }

    if (!StartDir.isEmpty()) platform_.setCurrentDir(StartDir);
}

}  // namespace kavimo
