// File names as Windows-made sets write them: backslashes, any letter case.
#include "platform/FileLookup.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kavimo::fs {
namespace {

using test::CurrentDirGuard;
using test::TempDir;

// A set folder laid out as on disk here; every test runs with it as the current directory.
class FileLookup : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* file : {"Data/dog.jpg", "Data/Sounds/Bark@22.wav", "Data/.hidden.wav",
                                 "Mixed/CAT.png", "Mixed/Cat.png", "Mixed/cat.png",
                                 "Twin/data/bird.png", "C:/x.wav", "データ/いぬ.jpg"}) {
            tmp.write(QString::fromUtf8(file), "x");
        }
        tmp.mkdir("Data/Pics");
        tmp.mkdir("Data/Folder.wav");
        tmp.mkdir("Twin/Data");
        QFile::link(tmp.file("Data/Sounds/Bark@22.wav"), tmp.file("link.wav"));
        QDir::setCurrent(tmp.path());
    }

    // The file or folder a lookup found, as the absolute path of what it names.
    QString found(const QString& query) const {
        const QString path = resolve(query);
        return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    }
    QString inSet(const char* relative) const {
        return QFileInfo(tmp.file(QString::fromUtf8(relative))).absoluteFilePath();
    }

    TempDir tmp;
    CurrentDirGuard restoreCwd;
};

struct LookupCase {
    const char* query;
    const char* expected;  // relative to the set folder; nullptr: not found
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << '"' << c.query << '"'; }

class FileLookupFinds : public FileLookup, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(FileLookupFinds, theFileAWindowsSetMeans) {
    const LookupCase& c = GetParam();
    const QString query = QString::fromUtf8(c.query);
    if (c.expected) {
        EXPECT_EQ(QDir::cleanPath(found(query)), QDir::cleanPath(inSet(c.expected))) << c.query;
    } else {
        EXPECT_EQ(resolve(query), QString()) << c.query;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileLookupFinds,
    ::testing::Values(
        LookupCase{"Data\\dog.jpg", "Data/dog.jpg"},
        LookupCase{"Data/dog.jpg", "Data/dog.jpg"},
        LookupCase{"DATA\\Dog.JPG", "Data/dog.jpg"},
        LookupCase{"data\\SOUNDS\\bark@22.WAV", "Data/Sounds/Bark@22.wav"},
        LookupCase{"Mixed\\Cat.png", "Mixed/Cat.png"},    // the exact spelling first
        LookupCase{"Mixed\\cAT.png", "Mixed/CAT.png"},    // else the first in sorted order
        LookupCase{"TWIN\\DATA\\bird.png", "Twin/data/bird.png"},  // the other "data" holds it
        LookupCase{"Data\\\\dog.jpg", "Data/dog.jpg"},
        LookupCase{".\\Data\\Sounds\\..\\dog.jpg", "Data/dog.jpg"},
        LookupCase{"DATA\\sounds\\..\\DOG.jpg", "Data/dog.jpg"},
        LookupCase{"Data\\Pics", "Data/Pics"},
        LookupCase{"データ\\いぬ.jpg", "データ/いぬ.jpg"},
        LookupCase{"Data\\Missing\\dog.jpg", nullptr},
        LookupCase{"Data\\cat.jpg", nullptr},
        LookupCase{"C:\\x.wav", nullptr},  // there is a folder "C:" here, but no drive
        LookupCase{"c:/x.wav", nullptr},
        LookupCase{"", nullptr}));

TEST_F(FileLookup, anAbsolutePathWithBackslashesAndOtherCaseIsFound) {
    EXPECT_EQ(found(tmp.path() + "\\DATA\\sounds\\BARK@22.wav"), inSet("Data/Sounds/Bark@22.wav"));
}

TEST_F(FileLookup, aRelativePathFollowsTheCurrentDirectory) {
    QDir::setCurrent(tmp.file("Data"));
    EXPECT_TRUE(fileExists("Dog.jpg"));
    EXPECT_FALSE(fileExists("Data\\dog.jpg"));
}

struct ExistsCase {
    const char* query;
    bool exists;
};

void PrintTo(const ExistsCase& c, std::ostream* os) { *os << '"' << c.query << '"'; }

class FileLookupExists : public FileLookup, public ::testing::WithParamInterface<ExistsCase> {};

TEST_P(FileLookupExists, countsOnlyVisibleRegularFiles) {
    EXPECT_EQ(fileExists(QString::fromUtf8(GetParam().query)), GetParam().exists) << GetParam().query;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileLookupExists,
    ::testing::Values(ExistsCase{"Data\\dog.jpg", true},
                      ExistsCase{"data\\DOG.JPG", true},
                      ExistsCase{"link.wav", true},  // a link to a regular file
                      ExistsCase{"データ\\いぬ.jpg", true},
                      ExistsCase{"Data\\.hidden.wav", false},
                      ExistsCase{"Data\\Pics", false},
                      ExistsCase{"Data\\Folder.wav", false},
                      ExistsCase{"Data", false},
                      ExistsCase{"Data\\Sounds\\", false},
                      ExistsCase{"Data\\nothing.jpg", false},
                      ExistsCase{"C:\\x.wav", false},
                      ExistsCase{"", false}));

}  // namespace
}  // namespace kavimo::fs
