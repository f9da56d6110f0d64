#pragma once
// Broken files as a parent's hand-made set may hold them, made on the spot. Header-only:
// the build compiles only the test files of this folder.

#include "support/TestFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace kavimo::test {

namespace detail {

inline uint32_t crc32(QByteArrayView bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xffffffffu;
    for (const char b : bytes) c = table[(c ^ static_cast<uint8_t>(b)) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

inline void appendBigEndian(QByteArray& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.append(static_cast<char>((value >> shift) & 0xff));
}

inline QByteArray pngChunk(const char* type, const QByteArray& data) {
    QByteArray typed = QByteArray(type) + data;
    QByteArray chunk;
    appendBigEndian(chunk, static_cast<uint32_t>(data.size()));
    chunk += typed;
    appendBigEndian(chunk, crc32(typed));
    return chunk;
}

// Deflate's bit order: values least significant bit first.
class BitWriter {
public:
    explicit BitWriter(qsizetype reserve) { out_.reserve(reserve); }
    void bits(uint32_t value, int count) {
        acc_ |= value << used_;
        used_ += count;
        while (used_ >= 8) {
            out_.append(static_cast<char>(acc_ & 0xff));
            acc_ >>= 8;
            used_ -= 8;
        }
    }
    QByteArray finish() {
        if (used_ > 0) out_.append(static_cast<char>(acc_ & 0xff));
        acc_ = 0;
        used_ = 0;
        return out_;
    }

private:
    QByteArray out_;
    uint32_t acc_ = 0;
    int used_ = 0;
};

}  // namespace detail

inline QByteArray compressiblePng(uint32_t side) {
    const uint64_t zeros = uint64_t{side} * (side + 1);  // each row: filter byte 0, then its pixels
    constexpr uint64_t kLongestMatch = 258;
    // Fixed Huffman codes, bit-reversed for the writer: literal 0 (00110000), length 258
    // (code 285, 11000101) with distance 1 (code 0, five zero bits), end of block (0000000).
    constexpr uint32_t kLiteralZero = 0x0c;
    constexpr uint32_t kMatch258Distance1 = 0xa3;

    const uint64_t matches = (zeros - 1) / kLongestMatch;
    const uint64_t tail = (zeros - 1) % kLongestMatch;
    detail::BitWriter deflate(static_cast<qsizetype>(matches * 13 / 8 + 64));
    deflate.bits(1, 1);  // the final block
    deflate.bits(1, 2);  // fixed codes
    deflate.bits(kLiteralZero, 8);
    for (uint64_t m = 0; m < matches; ++m) deflate.bits(kMatch258Distance1, 13);
    for (uint64_t t = 0; t < tail; ++t) deflate.bits(kLiteralZero, 8);
    deflate.bits(0, 7);

    QByteArray zlib("\x78\x01", 2);
    zlib += deflate.finish();
    // Adler-32 of zeros: the first sum stays 1, the second counts the bytes.
    detail::appendBigEndian(zlib, static_cast<uint32_t>((zeros % 65521) << 16 | 1));

    QByteArray header;
    detail::appendBigEndian(header, side);
    detail::appendBigEndian(header, side);
    header.append("\x08\x00\x00\x00\x00", 5);  // 8-bit grey, no interlace
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + detail::pngChunk("IHDR", header) +
           detail::pngChunk("IDAT", zlib) + detail::pngChunk("IEND", {});
}

inline QByteArray truncatedPicture(const char* format, int side, int keep) {
    QImage image(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) image.setPixel(x, y, 0xff000000u | static_cast<uint32_t>(x * 7919 + y * 104729));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.left(keep);
}

inline QByteArray randomBytes(qsizetype count, uint32_t seed) {
    std::mt19937 random(seed);
    QByteArray bytes(count, Qt::Uninitialized);
    for (char& b : bytes) b = static_cast<char>(random() & 0xff);
    return bytes;
}

inline void makeUnreadable(const QString& path) {
    if (geteuid() != 0) {
        QFile::setPermissions(path, {});
    } else {
        QFile::remove(path);
        QFile::link(QStringLiteral("/proc/self/mem"), path);
    }
}

inline int64_t peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return int64_t{usage.ru_maxrss} * 1024;
}

inline int64_t residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}


}  // namespace kavimo::test
