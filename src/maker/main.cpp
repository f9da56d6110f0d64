// SPDX-License-Identifier: GPL-3.0-or-later
// kavimo-set: makes a set from a parent's own photos, and checks sets as the game reads them.
#include "maker/SetMaker.h"
#include "maker/Tr.h"
#include "platform/FileLookup.h"
#include "platform/Platform.h"
#include "sets/Files.h"
#include "sets/PairCount.h"
#include "maker/Internal.h"
#include "maker/MakerWindow.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <sys/stat.h>

namespace {

using namespace kavimo::maker;

enum Exit { kClean = 0, kErrors = 1, kUsage = 2 };

void print(QString text, FILE* to = stdout) {
    // A control character from a set file (a NUL in an entry) would cut or garble the line.
    for (qsizetype i = text.size() - 1; i >= 0; --i)
        if (const char16_t c = text[i].unicode();
            (c < 0x20 && c != u'\n' && c != u'\t') || (c >= 0x7f && c <= 0x9f))
            text.replace(i, 1, QStringLiteral("\\x%1").arg(int(c), 2, 16, QChar(u'0')));
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}

QString usage() {
    return Maker::
        tr("Usage:\n"
           "  kavimo-set make [--title TITLE] [--data DIR] [--speak] [--windows] [--force] "
           "PICTURE|FOLDER...\n"
           "      Makes a set of the pictures (the first one is the preview). A sound with the same name\n"
           "      beside a picture is its pair's sound. Written to DIR/TITLE.dat and DIR/TITLE/; DIR is "
           "your\n"
           "      own set folder (%1) unless given, TITLE the first folder's name.\n"
           "      --speak    a picture without a sound gets its name spoken (espeak-ng)\n"
           "      --windows  only WAV sounds, JPEG pictures and Shift_JIS text, for the game on Windows\n"
           "      --force    replace a set of the same title\n"
           "  kavimo-set check [--json] [--windows] [SET.dat|FOLDER|TITLE]...\n"
           "      Reads sets as the game does and says what a child would see go wrong. Without\n"
           "      arguments: every set the game lists. Exit status 0: no errors, 1: errors, 2: wrong usage.\n"
           "      --windows  also what would go wrong with the game on Windows\n"
           "  kavimo-set\n"
           "      Opens the set maker window.")
            .arg(userDataDir());
}

int usageError(const QString& why) {
    print(why, stderr);
    print(usage(), stderr);
    return kUsage;
}

// A file or folder named that is not there: the usage is right, so it is not repeated.
int inputError(const QString& why) {
    print(why, stderr);
    return kUsage;
}

struct CheckedSet {
    QString dat;
    std::optional<int> pairs;
    std::vector<Finding> findings;
};

std::optional<int> pairCountOf(const QString& dat) {
    detail::NotingPlatform platform;
    int16_t index = 0;
    const auto count =
        kavimo::ParsePairCount(kavimo::Files::ReadSetEntry(dat, index, kavimo::Files::SectionFile, platform));
    if (platform.boxed || !count || *count < 0 || *count > kMaxPairs) return std::nullopt;
    return *count;
}

CheckedSet checkOne(const QString& dat) {
    CheckedSet set{dat, pairCountOf(dat), checkSet(dat, detail::rootOf(dat))};
    const QString around = gameFolderAround(QFileInfo(dat).absolutePath());
    if (!around.isEmpty())
        set.findings.insert(set.findings.begin(),
                            {Finding::Severity::Warning, dat, 0,
                             Maker::tr("the game does not list this set: it lists the sets directly in %1, not "
                                       "in the folders inside it. Move the set and its pictures' folder up "
                                       "into %1.")
                                 .arg(around)});
    return set;
}

QString summary(const CheckedSet& set) {
    const QString title = kavimo::Files::StripExtension(QFileInfo(set.dat).fileName());
    int errors = 0, warnings = 0;
    for (const Finding& f : set.findings) (f.severity == Finding::Severity::Error ? errors : warnings)++;
    QStringList parts;
    if (set.pairs)
        parts << (*set.pairs == 1 ? Maker::tr("1 pair") : Maker::tr("%1 pairs").arg(*set.pairs))
              << (cardSide(*set.pairs) == 99 ? Maker::tr("large cards") : Maker::tr("small cards"));
    if (errors == 0 && warnings == 0) parts << Maker::tr("plays cleanly");
    if (errors) parts << (errors == 1 ? Maker::tr("1 error") : Maker::tr("%1 errors").arg(errors));
    if (warnings) parts << (warnings == 1 ? Maker::tr("1 warning") : Maker::tr("%1 warnings").arg(warnings));
    QString text = title + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
    for (const Finding& f : set.findings) {
        const QString where = f.line > 0 ? QStringLiteral("%1:%2").arg(f.file).arg(f.line) : f.file;
        text += QStringLiteral("\n  %1: %2: %3")
                    .arg(where,
                         f.severity == Finding::Severity::Error ? Maker::tr("error") : Maker::tr("warning"),
                         f.message);
    }
    return text;
}

QJsonObject toJson(const CheckedSet& set) {
    QJsonArray findings;
    for (const Finding& f : set.findings)
        findings.append(
            QJsonObject{{"severity", f.severity == Finding::Severity::Error ? "error" : "warning"},
                        {"file", f.file},
                        {"line", f.line},
                        {"message", f.message}});
    QJsonObject object{{"set", set.dat}, {"findings", findings}};
    object.insert("pairs", set.pairs ? QJsonValue(*set.pairs) : QJsonValue());
    return object;
}

// Listed as the game lists them: regular files only, Shift_JIS names from old zips included.
QStringList setsIn(const QString& folder) {
    QStringList sets;
    for (const QString& name : kavimo::fs::listFiles(folder, {QStringLiteral("*.dat")}))
        sets << folder + u'/' + name;
    return sets;
}

// What looks like a set in folder but is no file the game lists, and why: a link to a file that
// is gone (a set moved away), a folder, a named pipe.
std::vector<CheckedSet> unlistedIn(const QString& folder) {
    std::vector<CheckedSet> unlisted;
    const QDir dir(folder, QStringLiteral("*.dat"), QDir::Name, QDir::AllEntries | QDir::System);
    for (const QFileInfo& entry : dir.entryInfoList()) {
        const bool gone = entry.isSymLink() && !entry.exists();
        // (A name in Shift_JIS bytes is not found under Qt's name for it: the game lists those.)
        if (!gone && (entry.isFile() || !entry.exists())) continue;
        struct stat status {};
        const bool loops = gone && ::stat(QFile::encodeName(entry.filePath()).constData(), &status) != 0 &&
                           errno == ELOOP;
        const QString why =
            loops  ? Maker::tr("the game does not list this set: it is a link to %1, which leads back round "
                               "to links, never to a file.")
                         .arg(entry.symLinkTarget())
            : gone ? Maker::tr("the game does not list this set: it is a link to %1, which is not there.")
                         .arg(entry.symLinkTarget())
                   : Maker::tr("the game does not list this set: it is not a file but a folder, a named pipe "
                               "or a device.");
        const Finding finding{Finding::Severity::Warning, entry.filePath(), 0, why};
        unlisted.push_back({entry.filePath(), std::nullopt, {finding}});
    }
    return unlisted;
}

int check(const QStringList& args) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption json(QStringLiteral("json")), windows(QStringLiteral("windows"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({json, windows, help});
    if (!parser.parse(args)) return usageError(parser.errorText());
    if (parser.isSet(help)) {
        print(usage());
        return kClean;
    }
    QStringList sets;
    std::vector<CheckedSet> unlisted;
    const auto scan = [&](const QString& folder) {
        sets << setsIn(folder);
        std::ranges::move(unlistedIn(folder), std::back_inserter(unlisted));
    };
    const QStringList gameFolders = {QCoreApplication::applicationDirPath() + QStringLiteral("/Data"),
                                     userDataDir()};
    if (parser.positionalArguments().isEmpty()) {
        // In the game's order, both folders' sets together.
        for (const auto& [name, folder] : kavimo::fs::listFiles(gameFolders, {QStringLiteral("*.dat")}))
            sets << gameFolders[folder] + u'/' + name;
        // And one folder down, where a set zip with a Data folder of its own puts its sets.
        for (const QString& folder : gameFolders) {
            std::ranges::move(unlistedIn(folder), std::back_inserter(unlisted));
            for (const QString& inside : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                sets << setsIn(folder + u'/' + inside);
        }
    }
    for (const QString& given : parser.positionalArguments()) {
        const QString arg = kavimo::fs::absolute(given);
        // The folder that holds Data stands for its sets too.
        if (kavimo::fs::isFolder(arg)) {
            const bool here = !setsIn(arg).isEmpty();
            scan(here ? arg : arg + QStringLiteral("/Data"));
            continue;
        }
        if (kavimo::fs::nativePath(arg).isEmpty()) {
            // A title as the game shows it: the sets of that title the game lists.
            const auto title = [](const QString& text) {
                return kavimo::Files::StripExtension(text).normalized(QString::NormalizationForm_C);
            };
            QStringList titled;
            const QString wanted = title(given + QStringLiteral(".dat"));
            for (const QString& folder : gameFolders)
                for (const QString& set : setsIn(folder))
                    if (!given.contains(u'/') && title(QFileInfo(set).fileName()) == wanted) titled << set;
            if (titled.isEmpty()) return inputError(detail::notFoundProblem(given));
            sets << titled;
            continue;
        }
        // The game lists only .dat files: a photo named here was meant for make.
        if (QFileInfo(arg).suffix().compare(QStringLiteral("dat"), Qt::CaseInsensitive) != 0)
            return inputError(Maker::tr("%1 is not a set: a set is a text file whose name ends in .dat. "
                                        "To make a set of photos, use kavimo-set make.")
                                  .arg(given));
        sets << arg;
    }
    bool errors = false;
    QJsonArray all;
    std::vector<CheckedSet> checked;
    for (const QString& dat : sets) checked.push_back(checkOne(dat));  // absolute already
    std::ranges::move(unlisted, std::back_inserter(checked));
    for (CheckedSet& set : checked) {
        if (!parser.isSet(windows)) set.findings = withoutWindowsOnly(std::move(set.findings));
        for (const Finding& f : set.findings) errors = errors || f.severity == Finding::Severity::Error;
        if (parser.isSet(json))
            all.append(toJson(set));
        else
            print(summary(set));
    }
    if (sets.isEmpty()) print(Maker::tr("No sets found."), stderr);
    if (parser.isSet(json)) print(QString::fromUtf8(QJsonDocument(all).toJson()));
    return errors ? kErrors : kClean;
}

// The first Ctrl-C cancels and cleans up; a second one ends the program at once.
void cancelOnSignal(int signal) {
    requestCancel();
    std::signal(signal, SIG_DFL);
}

int make(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption title(QStringLiteral("title"), {}, QStringLiteral("TITLE"));
    const QCommandLineOption data(QStringLiteral("data"), {}, QStringLiteral("DIR"));
    const QCommandLineOption speak(QStringLiteral("speak")), windows(QStringLiteral("windows")),
        force(QStringLiteral("force")), help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({title, data, speak, windows, force, help});
    if (!parser.parse(args)) return usageError(parser.errorText());
    if (parser.isSet(help)) {
        print(usage());
        return kClean;
    }
    if (parser.positionalArguments().isEmpty())
        return usageError(Maker::tr("Give the pictures or folders to make a set of."));
    for (const QString& input : parser.positionalArguments())
        if (kavimo::fs::nativePath(kavimo::fs::absolute(input)).isEmpty())
            return inputError(detail::notFoundProblem(input));

    SetPlan plan = planFromPictures(parser.positionalArguments(), parser.value(title), parser.value(data),
                                    parser.isSet(speak));
    plan.windows = parser.isSet(windows);
    plan.force = parser.isSet(force);
    // What matters only on Windows is said of a set made for it.
    const auto forThisSet = [&plan](std::vector<Finding> findings) {
        return plan.windows ? findings : withoutWindowsOnly(std::move(findings));
    };
    for (const Finding& f : forThisSet(checkPlan(plan)))
        if (f.severity == Finding::Severity::Warning) print(Maker::tr("warning: %1").arg(f.message), stderr);

    // Ctrl-C while writing: the writer gives up and leaves nothing behind.
    std::signal(SIGINT, cancelOnSignal);
    std::signal(SIGTERM, cancelOnSignal);
    const MakeResult result = writeSet(plan);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (!result.ok) {
        print(Maker::tr("error: %1").arg(result.message), stderr);
        const QString dat = QDir(plan.dataDir).filePath(plan.title + QStringLiteral(".dat"));
        if (!plan.force && QFileInfo::exists(dat))
            print(Maker::tr("To replace the set, add --force."), stderr);
        return kErrors;
    }
    print(result.message);
    // Outside a folder called Data (warned of above) the game would find none of its files:
    // a check would only list them all as missing.
    if (QDir(plan.dataDir).dirName().compare(QStringLiteral("Data"), Qt::CaseInsensitive) != 0) return kClean;
    CheckedSet set = checkOne(result.datPath);
    set.findings = forThisSet(std::move(set.findings));
    print(summary(set));
    for (const Finding& f : set.findings)
        if (f.severity == Finding::Severity::Error) return kErrors;
    return kClean;
}

}  // namespace

int main(int argc, char** argv) {
    // A picture's decoder speaks of damage that kavimo-set says itself, in a parent's words.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*.warning=false"));
    // Given nothing to do, it is the set maker's window, for those who never open a terminal.
    if (argc < 2 && kavimo::hasDisplay()) return runMakerWindow(argc, argv);
    QCoreApplication app(argc, argv);
    loadTranslations();
    if (argc < 2) {
        print(Maker::tr("There is no display to open the set maker window on (DISPLAY is not set). "
                        "In a terminal, make and check work without one."),
              stderr);
        print(usage(), stderr);
        return kUsage;
    }
    // Read as the game reads names: a photo folder from an old Windows zip is Shift_JIS bytes.
    QStringList args;
    for (int i = 0; i < argc; ++i) args << kavimo::fs::decodePath(argv[i]);
    const QString command = args.takeAt(1);
    if (command == QStringLiteral("make")) return make(args);
    if (command == QStringLiteral("check")) return check(args);
    if (command == QStringLiteral("--help") || command == QStringLiteral("-h")) {
        print(usage());
        return kClean;
    }
    return usageError(Maker::tr("Unknown command: %1").arg(command));
}
