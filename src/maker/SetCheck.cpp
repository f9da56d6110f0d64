// SPDX-License-Identifier: GPL-3.0-or-later
// Checking a set as the game reads it: every entry through the game's reader, look-up and
// picture loader, and what the child would see for each problem.
#include "maker/Internal.h"
#include "maker/SetMaker.h"
#include "maker/Tr.h"
#include "pictures/PictureLoader.h"
#include "platform/FileLookup.h"
#include "platform/Platform.h"
#include "sets/Files.h"
#include "sets/PairCount.h"
#include "sets/SetFileText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <optional>

namespace kavimo::maker {

namespace {

using Severity = Finding::Severity;

using detail::located;
using detail::NotingPlatform;

constexpr std::array<const char*, 3> kHeaders = {"[File]", "[Picture]", "[Sound]"};

// Read and split in pieces of this size: the game plays a set file of any size without
// holding it, and so is it checked, up to a size no set file comes near (a bit per line is
// kept, and every entry read again from the start, as the game reads it).
constexpr qint64 kChunkBytes = qint64{1} << 20;
constexpr qint64 kMaxCheckedBytes = qint64{512} << 20;
// No header, nor anything a person would take for one, is longer.
constexpr qsizetype kHeaderLikeBytes = 256;

// The first line that a person would take for this header: other letter case, spaces or
// full-width brackets.
bool looksLikeHeader(const QString& text, const QString& header) {
    QString line = text.normalized(QString::NormalizationForm_KC).simplified();
    line.remove(u' ');
    return line.compare(header, Qt::CaseInsensitive) == 0;
}

struct SetText {
    std::vector<bool> blank;  // whether line i + 1 is empty, the lines as the game splits them
    bool loneLineFeeds = false;
    bool utf8 = false;
    bool shiftJis = false;  // written on Windows
    bool utf16 = false;     // Notepad's "Unicode", which the game does not read
    bool webPage = false;   // a download that went wrong
    std::array<int, 3> header{0, 0, 0};  // line number of each section's header, 0: none
    std::array<int, 3> near{0, 0, 0};    // the first line taken for each header, 0: none
    std::array<QString, 3> nearText;

    void add(QByteArrayView bytes) {
        blank.push_back(bytes.isEmpty());
        const int lines = int(blank.size());
        if (bytes.trimmed().size() > kHeaderLikeBytes) return;
        const QString text = settext::decodeLine(bytes);
        for (int k = 0; k < 3; ++k) {
            if (header[k] == 0 && text == QLatin1String(kHeaders[k])) header[k] = lines;
            if (near[k] == 0 && looksLikeHeader(text, QLatin1String(kHeaders[k]))) {
                near[k] = lines;
                nearText[k] = text;
            }
        }
    }
};

SetText readText(QFile& file) {
    SetText text;
    settext::LineSplitter splitter(4096);
    QStringDecoder utf8(QStringConverter::Utf8);
    bool ascii = true, first = true, notUtf8 = false;
    char before = 0;  // the byte before the chunk
    for (QByteArray chunk; !(chunk = file.read(kChunkBytes)).isEmpty(); first = false) {
        if (first) {
            text.utf16 = chunk.startsWith("\xff\xfe") || chunk.startsWith("\xfe\xff");
            const QByteArray start = chunk.left(256).trimmed().toLower();
            text.webPage = start.startsWith("<!doctype html") || start.startsWith("<html");
        }
        for (qsizetype i = 0; i < chunk.size() && !text.utf16; ++i)
            if (chunk[i] == '\n' && (i == 0 ? before : chunk[i - 1]) != '\r') text.loneLineFeeds = true;
        before = chunk.back();
        ascii = ascii && std::all_of(chunk.begin(), chunk.end(), [](char c) { return uchar(c) < 0x80; });
        // The decoder decodes only when taken as a string.
        if (!ascii && !notUtf8) notUtf8 = QString(utf8.decode(chunk)).isNull() || utf8.hasError();
        splitter.feed(chunk);
        while (auto line = splitter.next()) text.add(line->bytes);
    }
    if (auto last = splitter.finish()) text.add(last->bytes);
    text.utf8 = !ascii && !notUtf8;
    text.shiftJis = !ascii && notUtf8 && !text.utf16;
    return text;
}

// Whether the entry names its file with the file's own letter case, the name compared in the
// bytes it has on disk: UTF-8, or Shift_JIS from a Windows zip.
bool existsAsWritten(const QString& path) {
    QString local = path;
    if (QFileInfo(local.replace(u'\\', u'/')).isFile()) return true;
    const QByteArray found = fs::nativePath(path);
    const QByteArray name = found.mid(found.lastIndexOf('/') + 1);
    QStringEncoder shiftJis("windows-31j");
    return name == QByteArray(shiftJis.encode(QFileInfo(local).fileName())) && !shiftJis.hasError();
}

class Checker {
public:
    Checker(const QString& datPath, const QString& root) : dat_(datPath), root_(root) {}

    std::vector<Finding> run() {
        // Through the game's look-up: a set file's name may be Shift_JIS bytes.
        const std::unique_ptr<QFile> file = fs::openRegular(dat_);
        if (!file) {
            error(0, detail::unreadable(dat_)
                         ? Maker::tr("%1 The game cannot show this set.").arg(detail::unreadableProblem(dat_))
                         : Maker::tr("the set file cannot be read: the game cannot show this set."));
            return std::move(findings_);
        }
        if (file->size() > kMaxCheckedBytes) {
            error(0, Maker::tr("the set file is %1 MB, too big to check (a set file is a few hundred bytes).")
                         .arg(file->size() >> 20));
            return std::move(findings_);
        }
        text_ = readText(*file);
        checkText();
        checkCount();
        if (count_) {
            checkPictures();
            checkSounds();
        }
        if (count_ == 0) checkPreviewOnly();
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        return std::move(findings_);
    }

private:
    void error(int line, const QString& message) {
        findings_.push_back({Severity::Error, dat_, line, message});
    }
    void warning(int line, const QString& message) {
        findings_.push_back({Severity::Warning, dat_, line, message});
    }
    void windowsWarning(int line, const QString& message) {
        findings_.push_back({Severity::Warning, dat_, line, message, true});
    }

    QString entry(int16_t kind, int16_t index, bool* boxed = nullptr) {
        NotingPlatform platform;
        QString text = Files::ReadSetEntry(dat_, index, kind, platform);
        if (boxed) *boxed = platform.boxed;
        return text;
    }

    void checkText() {
        for (int16_t k = 0; k < 3; ++k) {
            bool boxed = false;
            entry(k, 0, &boxed);
            present_[k] = !boxed;
            if (!boxed) continue;
            const QString header = QLatin1String(kHeaders[k]);
            if (const int near = text_.near[k])
                error(near, Maker::tr("\"%1\" is not a header; write \"%2\". The game shows "
                                      "\"ﾌｧｲﾙ読み込みエラー\".")
                                .arg(text_.nearText[k], header));
            else
                error(0, Maker::tr("there is no \"%1\" section; the game shows \"ﾌｧｲﾙ読み込みエラー\".")
                             .arg(header));
        }
        if (text_.webPage)
            error(0, Maker::tr("the file is a web page (HTML), not a set: the download went wrong. Download "
                               "the set again."));
        if (text_.utf16)
            error(0, Maker::tr("the file is written in UTF-16 (Notepad's \"Unicode\"), which the game cannot "
                               "read: it shows \"ﾌｧｲﾙ読み込みエラー\". Save it as ANSI (Shift_JIS) or UTF-8."));
        if (text_.loneLineFeeds)
            windowsWarning(0, Maker::tr("lines end with a line feed alone: Windows reads the whole file as "
                                 "one line and finds no section. Save it with CR LF line ends."));
        if (text_.utf8)
            windowsWarning(0, Maker::tr("the file is written in UTF-8: Windows reads it in the Japanese code "
                                 "page (Shift_JIS) and finds no file with a Japanese name."));
    }

    void checkCount() {
        if (!present_[Files::SectionFile]) return;
        const int line = text_.header[Files::SectionFile] + 1;
        const QString text = entry(Files::SectionFile, 0);
        const std::optional<int16_t> count = ParsePairCount(text);
        if (!count || *count < 0 || *count > kMaxPairs) {
            static const QRegularExpression wideDigit(QStringLiteral("[\uff10-\uff19]"));
            const QString halfWidth = Maker::tr(" Write it in half-width digits (1, not １).");
            error(line, Maker::tr("the number of pairs \"%1\" is not a whole number from 0 to %2: "
                                  "the game shows an error and deals no cards.")
                                .arg(text)
                                .arg(kMaxPairs) +
                            (text.contains(wideDigit) ? halfWidth : QString()));
            return;
        }
        count_ = *count;
        if (*count == 0) warning(line, Maker::tr("the set has no pairs: the board stays empty."));
        if (*count > 10 && *count < kMaxPairs)
            windowsWarning(line, Maker::tr("%1 pairs: on Windows the game lays out small cards only for 21 "
                                    "pairs, so the cards overlap there.")
                              .arg(*count));
    }

    // The line an entry comes from, and a note when it is not where the author meant it.
    int lineOf(int16_t kind, int index) const { return text_.header[kind] + 1 + index; }
    std::optional<QString> pastSection(int16_t kind, int line) const {
        for (int k = 0; k < 3; ++k) {
            const int other = text_.header[k];
            if (k != kind && other > text_.header[kind] && other <= line) return QLatin1String(kHeaders[k]);
        }
        return std::nullopt;
    }

    void checkPictures() {
        if (!present_[Files::SectionPicture]) return;
        const int side = cardSide(*count_);
        bool japaneseMissing = false;
        QStringList notForWindows;
        for (int p = 0; p < *count_; ++p) {
            const int line = lineOf(Files::SectionPicture, p);
            const QString what = p == 0 ? Maker::tr("The game shows the set without a preview and stops at the "
                                                    "start with a message.")
                                        : Maker::tr("The game stops at the start with a message.");
            if (line > int(text_.blank.size())) {
                error(0, Maker::tr("the \"[Picture]\" section ends before pair %1. %2").arg(p + 1).arg(what));
                continue;
            }
            if (const auto next = pastSection(Files::SectionPicture, line)) {
                error(line, Maker::tr("the picture of pair %1 reaches past its section into the \"%2\" "
                                      "section (there are fewer pictures than pairs). %3")
                                .arg(p + 1)
                                .arg(*next, what));
                continue;
            }
            const QString name = entry(Files::SectionPicture, p);
            if (name.isEmpty()) {
                error(line, Maker::tr("a blank line inside the \"[Picture]\" section: pair %1 has no "
                                      "picture. %2")
                                .arg(p + 1)
                                .arg(what));
                continue;
            }
            const QString path = located(root_, name);
            if (!fs::fileExists(path)) {
                const QString tab =
                    Maker::tr(" The line holds a tab, which is part of the name for the game: remove it.");
                error(line, Maker::tr("the picture %1 is missing. %2").arg(name, what) +
                                (name.contains(u'\t') ? tab : QString()));
                japaneseMissing = japaneseMissing || name.toUtf8().size() != name.size();
                continue;
            }
            const std::unique_ptr<QFile> opened = fs::openRegular(path);
            if (!opened && detail::unreadable(path)) {
                error(line, Maker::tr("the picture %1: %2 %3").arg(name, detail::unreadableProblem(path), what));
                continue;
            }
            const QString file = fs::resolve(path);
            QImageReader reader(opened.get());
            reader.setAutoTransform(false);  // the game shows pictures as stored
            const QSize size = pictures::storedSize(reader);
            if (pictures::load(path, {QSize(side, side), QSize()}).isNull()) {
                if (opened && pictures::refusedForSize(*opened))
                    error(line, Maker::tr("the picture %1 (%2 x %3) is too big to load. %4")
                                    .arg(name)
                                    .arg(size.width())
                                    .arg(size.height())
                                    .arg(what) +
                                    (reader.format() == "jpeg"
                                         ? Maker::tr(" kavimo-set make makes a card of it.")
                                         : QString()));
                else if (detail::convertible(path))
                    error(line,
                          Maker::tr("the picture %1: %2 %3").arg(name, detail::photoProblem(file), what));
                else
                    error(line, Maker::tr("the picture %1 does not decode. %2").arg(name, what));
                continue;
            }
            if (!existsAsWritten(path)) caseOnly(line, path, file);
            // The game on Windows loads pictures through the system's, which knows no PNG.
            const QByteArray format = reader.format();
            if (format != "jpeg" && format != "bmp" && format != "gif")
                notForWindows << QString::number(p + 1);
            if (opened && pictures::cutShort(*opened)) warning(line, detail::cutShortProblem(name));
            if (size.width() > side || size.height() > side)
                warning(line, Maker::tr("a card shows only its top-left %1 x %1 pixels of this %2 x %3 "
                                        "picture (%4); make the set with kavimo-set make to fit it.")
                                  .arg(side)
                                  .arg(size.width())
                                  .arg(size.height())
                                  .arg(name));
        }
        if (!notForWindows.isEmpty()) {
            const QString said =
                notForWindows.size() == 1
                    ? Maker::tr("the picture of pair %1 is neither JPEG nor BMP nor GIF, all that the game "
                                "on Windows shows: kavimo-set make --windows makes JPEG cards.")
                    : Maker::tr("the pictures of pairs %1 are neither JPEG nor BMP nor GIF, all that the "
                                "game on Windows shows: kavimo-set make --windows makes JPEG cards.");
            windowsWarning(lineOf(Files::SectionPicture, notForWindows.first().toInt() - 1),
                           said.arg(notForWindows.join(QStringLiteral(", "))));
        }
        // Debian's unzip and Python's zipfile give an old Windows zip's Japanese names other
        // letters, which its set does not name.
        if (text_.shiftJis && japaneseMissing)
            warning(0, Maker::tr("The set was written on Windows. If it came in a zip, unpack the zip again "
                                 "with unar -e cp932 (package unar): other tools give its Japanese file "
                                 "names other letters."));
    }

    // A set without pairs is still listed, and chosen only with its preview.
    void checkPreviewOnly() {
        if (!present_[Files::SectionPicture]) return;
        const QString name = entry(Files::SectionPicture, 0);
        if (name.isEmpty() || !fs::fileExists(located(root_, name)))
            error(lineOf(Files::SectionPicture, 0),
                  Maker::tr("the preview picture \"%1\" is missing: the game shows the set without it and stops "
                            "at the start with a message.")
                      .arg(name));
    }

    void checkSounds() {
        if (!present_[Files::SectionSound]) return;
        QStringList silent;
        for (int p = 0; p < *count_; ++p) {
            const int line = lineOf(Files::SectionSound, p);
            const QString fallback = Maker::tr("the fallback sound plays instead.");
            if (line > int(text_.blank.size())) {
                silent << QString::number(p + 1);
                continue;
            }
            if (const auto next = pastSection(Files::SectionSound, line)) {
                warning(line, Maker::tr("the sound of pair %1 reaches past its section into the \"%2\" "
                                        "section (there are fewer sounds than pairs): %3")
                                  .arg(p + 1)
                                  .arg(*next, fallback));
                continue;
            }
            const QString name = entry(Files::SectionSound, p);
            if (name.isEmpty()) {
                if (entriesFollow(lineOf(Files::SectionSound, *count_ - 1)))
                    // More sounds than pairs: the blank line has pushed them down.
                    warning(line, Maker::tr("a blank line inside the \"[Sound]\" section: pair %1 has no "
                                            "sound, and the sounds below it belong to the next pairs; %2")
                                      .arg(p + 1)
                                      .arg(fallback));
                else
                    silent << QString::number(p + 1);
                continue;
            }
            const QString path = located(root_, name);
            if (!fs::fileExists(path)) {
                warning(line, Maker::tr("the sound %1 is missing: %2").arg(name, fallback));
                continue;
            }
            QString why;
            if (!soundPlayable(path, &why)) {
                // A command that makes a WAV beside it leaves the set naming the old file.
                const QFileInfo found(fs::resolve(path));
                const QString wav =
                    found.absolutePath() + u'/' + found.completeBaseName() + QStringLiteral(".wav");
                const bool beside = found.suffix().compare(QStringLiteral("wav"), Qt::CaseInsensitive) != 0 &&
                                    why.contains(u'"' + wav + u'"');
                const QString entryOfWav = name.left(name.lastIndexOf(u'.')) + QStringLiteral(".wav");
                warning(line, Maker::tr("the sound %1 cannot be played (%2): %3").arg(name, why, fallback) +
                                  (beside ? Maker::tr(" Then write %1 in its place in the set.").arg(entryOfWav)
                                          : QString()));
                continue;
            }
            if (detail::soundCutShort(path)) warning(line, detail::soundCutShortProblem(name));
            if (!existsAsWritten(path)) caseOnly(line, path, fs::resolve(path));
            // The game on Windows plays sounds through the system's, which reads WAV files only.
            const std::unique_ptr<QFile> sound = fs::openRegular(path);
            const QByteArray head = sound ? sound->read(12) : QByteArray();
            if (!head.startsWith("RIFF") || head.mid(8) != "WAVE")
                windowsWarning(line,
                               Maker::tr("the sound %1 is no WAV file, which is all the game on Windows "
                                         "plays: there %2 kavimo-set make --windows converts it.")
                                   .arg(name, fallback));
        }
        // Blank lines that stand for pairs without a sound of their own, as make writes them.
        const int firstSilent =
            silent.isEmpty() ? 0 : lineOf(Files::SectionSound, silent.first().toInt() - 1);
        if (!silent.isEmpty())
            warning(firstSilent <= int(text_.blank.size()) ? firstSilent : text_.header[Files::SectionSound],
                    silent.size() == 1
                        ? Maker::tr("no sound of its own for pair %1: the fallback sound plays instead.")
                              .arg(silent.first())
                        : Maker::tr("no sound of their own for pairs %1: the fallback sound plays instead.")
                              .arg(silent.join(QStringLiteral(", "))));
    }

    // Whether a line other than a blank one follows this one before the next header.
    bool entriesFollow(int line) const {
        for (int i = line; i < int(text_.blank.size()); ++i) {  // text_.blank[i] is line i + 1
            if (std::find(text_.header.begin(), text_.header.end(), i + 1) != text_.header.end())
                return false;
            if (!text_.blank[size_t(i)]) return true;
        }
        return false;
    }

    // An entry in other letter case than its file (or with a Mac's separate voicing marks)
    // finds it, as on Windows; only when it matches several files is the game's choice,
    // the first by name, perhaps not the one meant.
    void caseOnly(int line, const QString& path, const QString& found) {
        const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
        const QString wanted = path.mid(cut + 1).normalized(QString::NormalizationForm_C);
        QStringList alike;
        for (const QString& file : fs::listFiles(path.left(cut), {QStringLiteral("*")}))
            if (file.normalized(QString::NormalizationForm_C).compare(wanted, Qt::CaseInsensitive) == 0)
                alike << file;
        if (alike.size() > 1)
            warning(line, Maker::tr("%1 names the files %2 alike, letter case ignored: the game takes %3. "
                                    "Write the name as the file meant is named.")
                              .arg(path.mid(cut + 1), alike.join(QStringLiteral(", ")),
                                   QFileInfo(found).fileName()));
    }

    QString dat_, root_;
    SetText text_;
    std::array<bool, 3> present_{false, false, false};
    std::optional<int> count_;
    std::vector<Finding> findings_;
};

}  // namespace

namespace detail {

QString rootOf(const QString& datPath) {
    return QFileInfo(QFileInfo(datPath).absolutePath()).absolutePath();
}

QString located(const QString& root, const QString& entry) {
    if (entry.isEmpty() || entry.startsWith(u'\\') || entry.startsWith(u'/') ||
        (entry.size() > 1 && entry[1] == u':'))
        return entry;
    return root + u'/' + entry;
}

}  // namespace detail

std::vector<Finding> withoutWindowsOnly(std::vector<Finding> findings) {
    std::erase_if(findings, [](const Finding& f) { return f.windowsOnly; });
    return findings;
}

std::vector<Finding> checkSet(const QString& datPath, const QString& root) {
    return Checker(datPath, root).run();
}

}  // namespace kavimo::maker
