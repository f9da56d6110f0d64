// Files as Windows-made sets name them.
#include "platform/FileLookup.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFileInfo>

namespace kavimo::test {
namespace {

// Backslashes, any letter case, folder by folder; only visible regular files exist.
TEST(FileLookup, FindsTheFileAWindowsSetMeansAndCountsOnlyVisibleRegularFiles) {
    TempDir tmp;
    for (const char* file :
         {"Data/dog.jpg", "Data/Sounds/Bark@22.wav", "Data/.hidden.wav", "Mixed/CAT.png", "Mixed/Cat.png",
          "Mixed/cat.png", "Twin/data/bird.png", "C:/x.wav", "データ/いぬ.jpg"})
        tmp.write(QString::fromUtf8(file), "x");
    for (const char* folder : {"Data/Folder.wav", "Twin/Data"}) tmp.mkdir(folder);
    QFile::link(tmp.file("Data/Sounds/Bark@22.wav"), tmp.file("link.wav"));
    const CurrentDirGuard cwd;
    QDir::setCurrent(tmp.path());
    const struct {
        const char* query;
        const char* found;
        bool exists;
    } cases[] = {
        {"DATA\\sounds\\BARK@22.wav", "Data/Sounds/Bark@22.wav", true},
        {"<tmp>\\data\\dog.JPG", "Data/dog.jpg", true},
        {"Mixed\\Cat.png", "Mixed/Cat.png", true},             // the exact spelling first
        {"Mixed\\cAT.png", "Mixed/CAT.png", true},             // else the first in sorted order
        {"TWIN\\DATA\\bird.png", "Twin/data/bird.png", true},  // the other "data" holds it
        {".\\Data\\\\Sounds\\..\\DOG.jpg", "Data/dog.jpg", true},
        {"データ\\いぬ.jpg", "データ/いぬ.jpg", true},
        {"link.wav", "link.wav", true},
        {"Data\\.hidden.wav", "Data/.hidden.wav", false},
        {"Data\\Folder.wav", "Data/Folder.wav", false},
        {"Data\\Missing\\dog.jpg", nullptr, false},
        {"C:\\x.wav", nullptr, false},  // there is a folder "C:" here, but no drive
        {"", nullptr, false},
    };
    for (const auto& c : cases) {
        const QString query = QString::fromUtf8(c.query).replace("<tmp>", tmp.path());
        const QString found = fs::resolve(query);
        EXPECT_EQ(found.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(found).absoluteFilePath()),
                  c.found
                      ? QDir::cleanPath(QFileInfo(tmp.file(QString::fromUtf8(c.found))).absoluteFilePath())
                      : "")
            << c.query;
        EXPECT_EQ(fs::fileExists(query), c.exists) << c.query;
    }
}

}  // namespace
}  // namespace kavimo::test
