// The game writes no file: whole games, their error paths and the closing sequence leave
// the application folder and its data folder byte for byte as they were, and the current
// directory is given back when the window closes.
#include "shell/WindowFixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <map>

namespace kavimo::test {
namespace {

// Every name below root (folders, links, hidden files too) with what it holds: a file's
// SHA-256, a link's target, a folder's mark.
std::map<QString, QByteArray> snapshot(const QString& root) {
    std::map<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray what;
        if (info.isSymLink()) {
            what = "link " + info.symLinkTarget().toUtf8();
        } else if (info.isDir()) {
            what = "folder";
        } else {
            QFile file(path);
            what = file.open(QIODevice::ReadOnly)
                       ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()
                       : QByteArray("unreadable");
        }
        entries[QDir(root).relativeFilePath(path)] = what + " " + QByteArray::number(int(info.permissions()));
    }
    return entries;
}

class NothingWritten : public WindowTest {
protected:
    NothingWritten() : startedFrom(app.mkdir("started-from")) { QDir::setCurrent(startedFrom); }
    void play(int16_t p) {
        for (int k : cardsOf(p)) form->Picture1_Click(int16_t(k));
    }
    QString startedFrom;
};

TEST_F(NothingWritten, WholeGamesAndTheirErrorsLeaveEveryFileAsItWas) {
    writeCues(allCues());
    writeFullSet("a-full.dat", 3);
    writeFullSet("b-nosound.dat", 2, false);
    writeSet("c-badcount.dat", {"abc", {"Data\\a-full\\p0.png"}, {}});
    writeSet("d-nopicture.dat", {"2", {"Data\\a-full\\p0.png", "Data\\gone.png"}, {}});
    writeLines("e-nosections.dat", {"nothing here"});
    app.write("Data/.hidden.dat", "[File]\r\n1\r\n");
    app.mkdir("Data/empty-folder");
    QFile::link(app.file("Data/a-full/p0.png"), app.file("Data/link.png"));
    app.write("started-from/own.txt", "the player's own file");
    const auto before = snapshot(app.path());
    ASSERT_GT(before.size(), 20u);

    loaded();
    form->Command1_Click();
    for (int16_t p = 0; p < 3; ++p) play(p);
    ASSERT_EQ(form->PairsFound, 3);
    form->Command3_Click();  // without sounds: the fallback plays
    form->Command1_Click();
    play(0);
    play(1);
    form->Command3_Click();  // a count that is no number
    form->Command1_Click();
    form->Command3_Click();  // a missing picture
    form->Command1_Click();
    form->Command3_Click();  // no section at all
    form->Command1_Click();
    form->Command2_Click();
    form->Command2_Click();
    form->Command2_Click();
    form->Command1_Click();  // a game left half played
    play(1);
    form->Picture1_Click(int16_t(cardsOf(0)[0]));
    form->close();  // the closing picture and sound

    EXPECT_GE(platform.messages.size(), 5u) << "every error path was taken";
    EXPECT_EQ(platform.waits.back().until - platform.waits.back().from, 2.0) << "the closing sequence ran";
    EXPECT_EQ(QFileInfo(QDir::currentPath()).canonicalFilePath(), QFileInfo(startedFrom).canonicalFilePath());
    EXPECT_EQ(snapshot(app.path()), before);
}

}  // namespace
}  // namespace kavimo::test
