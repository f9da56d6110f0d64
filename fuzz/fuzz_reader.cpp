// SPDX-License-Identifier: GPL-3.0-or-later
// The set-file reader over arbitrary bytes. The bytes are written as a set file and every
// kind is read with several indexes; each answer, the read-error box and the line
// splitter fed in odd-sized chunks are checked against a plain model of the format, so a
// wrong answer is a finding as much as a crash is.
#include "platform/Platform.h"
#include "sets/Files.h"
#include "sets/SetFileText.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

using kavimo::Files::ReadSetEntry;
using kavimo::Files::StripExtension;

constexpr qsizetype kMaxEntryBytes = 1024 * 1024;

// Counts the read-error boxes; nothing else of the platform is used by the reader.
class CountingPlatform : public kavimo::Platform {
public:
    int32_t sndPlaySoundA(const QString&, uint32_t) override { return 0; }
    void beep() override {}
    void messageBox(const QString&, const QString&, int) override { ++boxes; }
    double clock() override { return 0; }
    void sleepUntil(double) override {}
    QString applicationDir() override { return {}; }
    int boxes = 0;
};

[[noreturn]] void fail(const char* what, int kind, int index) {
    std::fprintf(stderr, "reader disagrees with the model: %s (kind %d, index %d)\n", what, kind, index);
    std::abort();
}

// The format as the game reads it: a byte-order mark at the start is dropped; CR, CR LF and
// LF end a line; a last line without an end counts, a final line end starts no new line.
std::vector<QByteArray> modelLines(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
    std::vector<QByteArray> lines;
    QByteArray line;
    bool open = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line.append(c);
            open = true;
        }
    }
    if (open) lines.push_back(line);
    return lines;
}

std::optional<QByteArray> headerOf(int16_t kind) {
    switch (kind) {
    case kavimo::Files::SectionFile: return QByteArray("[File]");
    case kavimo::Files::SectionPicture: return QByteArray("[Picture]");
    case kavimo::Files::SectionSound: return QByteArray("[Sound]");
    default: return std::nullopt;
    }
}

struct Expected {
    QString entry;
    bool box;
};

Expected model(const std::vector<QByteArray>& lines, int16_t kind, int16_t index) {
    const auto header = headerOf(kind);
    if (!header) return {{}, true};
    for (size_t h = 0; h < lines.size(); ++h) {
        if (lines[h] != *header) continue;
        const int16_t wanted = kind == kavimo::Files::SectionFile ? 0 : index;
        if (wanted < 0 || h + 1 + size_t(wanted) >= lines.size()) return {{}, false};
        return {kavimo::settext::decodeLine(lines[h + 1 + size_t(wanted)].left(kMaxEntryBytes)), false};
    }
    return {{}, true};
}

void checkRead(const QString& path, const std::vector<QByteArray>& lines, int16_t kind, int16_t index) {
    CountingPlatform platform;
    int16_t asked = index;
    const QString entry = ReadSetEntry(path, asked, kind, platform);
    const Expected expected = model(lines, kind, index);
    if (entry != expected.entry) fail("entry", kind, index);
    if (platform.boxes != (expected.box ? 1 : 0)) fail("read-error box", kind, index);
    if (asked != (kind == kavimo::Files::SectionFile ? 0 : index)) fail("caller's index", kind, index);
}

// The splitter on its own, fed in chunks of `chunk` bytes and keeping `keep` bytes a line.
void checkSplitter(QByteArrayView bytes, const std::vector<QByteArray>& lines, qsizetype chunk, qsizetype keep) {
    kavimo::settext::LineSplitter splitter(keep);
    size_t n = 0;
    auto take = [&](const kavimo::settext::Line& line) {
        if (n >= lines.size()) fail("splitter: a line too many", -1, int(n));
        if (line.bytes != QByteArrayView(lines[n]).first(std::min(keep, lines[n].size()))) fail("splitter: kept bytes", -1, int(n));
        if (line.truncated != (lines[n].size() > keep)) fail("splitter: truncation", -1, int(n));
        ++n;
    };
    for (qsizetype at = 0; at < bytes.size(); at += chunk) {
        splitter.feed(bytes.sliced(at, std::min(chunk, bytes.size() - at)));
        while (const auto line = splitter.next()) take(*line);
    }
    if (const auto line = splitter.finish()) take(*line);
    if (n != lines.size()) fail("splitter: lines missing", -1, int(n));
}

void checkTitle(const QString& name) {
    const QString title = StripExtension(name);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 ? !title.isEmpty() : title != name.left(dot)) fail("title", -1, int(dot));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    static const QString file = dir.path() + "/zoo.dat";
    // As the set list hands it on: the folder, a backslash and the name.
    static const QString path = dir.path() + "\\zoo.dat";

    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes.data(), bytes.size()) != bytes.size())
            std::abort();
    }
    const std::vector<QByteArray> lines = modelLines(bytes);
    // A set is read thousands of times in a long session: every read gives its file back.
    const auto openFiles = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto filesBefore = openFiles();

    // Indexes from the bytes themselves, besides the fixed ones.
    const int16_t small = size > 0 ? int16_t(data[0] % 16) : 0;
    const int16_t any = size > 2 ? int16_t(uint16_t(data[1]) << 8 | data[2]) : -1;
    checkRead(path, lines, kavimo::Files::SectionFile, any);
    for (const int16_t kind : {kavimo::Files::SectionPicture, kavimo::Files::SectionSound}) {
        for (const int16_t index : {int16_t(0), int16_t(1), small, any}) checkRead(path, lines, kind, index);
    }
    checkRead(path, lines, int16_t(size > 3 ? data[3] : 3), 0);
    if (openFiles() != filesBefore) fail("a read kept its file open", -1, -1);

    checkSplitter(bytes, lines, 1 + (size > 4 ? data[4] % 7 : 0), size > 5 ? data[5] % 24 : 1 << 20);
    checkTitle(QString::fromUtf8(bytes));
    checkTitle(QString::fromLatin1(bytes));
    return 0;
}
