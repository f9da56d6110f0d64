// SPDX-License-Identifier: GPL-3.0-or-later
// The game writes no file: whole games, their error paths and the closing sequence leave
// the application folder and its data folder byte for byte as they were, and the current
// directory is given back when the window closes.
#include "support/Game.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <map>

namespace kavimo::test {
namespace {

// Every name below root (folders, links, hidden files too) with what it holds and its
// permissions.
std::map<QString, QByteArray> snapshot(const QString& root) {
    std::map<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        const QFileInfo info = it.fileInfo();
        QByteArray what = info.isSymLink() ? "link " + info.symLinkTarget().toUtf8() : QByteArray("folder");
        if (info.isFile() && !info.isSymLink())
            what = file.open(QIODevice::ReadOnly)
                       ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                       : "unreadable";
        entries[QDir(root).relativeFilePath(info.filePath())] =
            what + QByteArray::number(int(info.permissions()));
    }
    return entries;
}

using NothingWritten = Game;

TEST_F(NothingWritten, WholeGamesAndTheirErrorsLeaveEveryFileAsItWasAndTheDirectoryIsGivenBack) {
    cues(kAllCues);
    fullSet("a-full.dat", 3);
    fullSet("b-nosound.dat", 2, false);
    writeSet("c-badcount.dat", {"[File]", "abc", "[Picture]", "Data\\a-full\\p0.png"});
    writeSet("d-nopicture.dat", {"[File]", "2", "[Picture]", "Data\\a-full\\p0.png", "Data\\gone.png"});
    writeSet("e-nosections.dat", {"nothing here"});
    app.write("Data/.hidden.dat", "[File]\r\n1\r\n");
    app.mkdir("Data/empty-folder");
    QFile::link(app.file("Data/a-full/p0.png"), app.file("Data/link.png"));
    const QString startedFrom = QFileInfo(app.mkdir("started-from")).canonicalFilePath();
    app.write("started-from/own.txt", "the player's own file");
    QDir::setCurrent(startedFrom);
    const auto before = snapshot(app.path());
    ASSERT_GT(before.size(), 20u);

    load().Command1_Click();
    for (int p = 0; p < 3; ++p) find(p);
    for (int set = 0; set < 4;
         ++set) {  // no sounds, a count that is no number, a missing picture, no section
        form->Command3_Click();
        form->Command1_Click();
        find(0);
    }
    for (int set = 0; set < 4; ++set) form->Command2_Click();
    form->Command1_Click();  // a game left half played
    find(1);
    form->Picture1_Click(int16_t(cardsOf(0).at(0)));
    form->close();  // the closing picture and sound

    const Log log = take();
    for (const char* seen :
         {"sound GongC@08.wav", "sound puu002@22.wav", "error 1", "error 2", "read error", "wait 2"})
        EXPECT_NE(std::find(log.begin(), log.end(), seen), log.end()) << seen;
    EXPECT_EQ(QDir::current().canonicalPath(), startedFrom);
    EXPECT_EQ(snapshot(app.path()), before);
}

}  // namespace
}  // namespace kavimo::test
