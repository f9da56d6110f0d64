// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempDir.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QtEndian>

#include <filesystem>
#include <random>
#include <stdexcept>

#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

namespace kavimo::test {

// By the OS's bytes: Qt's own removal skips a name that is not valid UTF-8 (a Shift_JIS name
// from a Windows zip) and leaves the folder behind.
TempDir::~TempDir() {
    std::error_code ignored;  // a test that failed may leave an undeletable file
    std::filesystem::remove_all(QFile::encodeName(dir_.path()).toStdString(), ignored);
}

QString TempDir::write(const QString& relative, const QByteArray& bytes) const {
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
    return full;
}

QString TempDir::writePicture(const QString& relative, int width, int height, unsigned rgb) const {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(rgb);
    return write(relative, encoded(image, "PNG"));
}

QByteArray encoded(const QImage& image, const char* format, int quality, bool progressive) {
    QBuffer buffer;  // opened by the writer
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(image), buffer.data();
}

QImage textured(QSize size, QImage::Format format) {
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgba((x * 5) ^ y, y * 3, (x * y) % 251, 40 + x + y));
    return image.convertToFormat(format, Qt::ThresholdDither);
}

// Four bytes, little-endian unless said otherwise.
static QByteArray word(quint32 value, bool bigEndian = false) {
    QByteArray bytes(4, '\0');
    bigEndian ? qToBigEndian(value, bytes.data()) : qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray squareWav(double seconds, int peak) {
    const int samples = static_cast<int>(seconds * 8000);
    QByteArray wav = "RIFF" + word(36 + samples) + "WAVEfmt " + word(16);
    // PCM, mono, 8000 frames a second, 8000 bytes a second, 1 byte a frame, 8 bits.
    wav += QByteArray("\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00", 16);
    wav += "data" + word(samples);
    for (int i = 0; i < samples; ++i) wav += char(128 + ((i / 8) % 2 ? peak : -peak));
    return wav;
}

QByteArray randomBytes(qsizetype count, uint32_t seed) {
    std::mt19937 random(seed);
    QByteArray bytes(count, Qt::Uninitialized);
    for (char& b : bytes) b = static_cast<char>(random() & 0xff);
    return bytes;
}

static QByteArray pngChunk(const char* type, const QByteArray& data) {
    const QByteArray body = QByteArray(type, 4) + data;
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()));
    return word(quint32(data.size()), true) + body + word(quint32(crc), true);
}

QByteArray png(int width, int height, int depth, int colourType, const QByteArray& zlibRows,
               const QByteArray& before, bool interlaced) {
    QByteArray header = word(quint32(width), true) + word(quint32(height), true);
    for (const int field : {depth, colourType, 0, 0, interlaced ? 1 : 0}) header += char(field);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + before +
           pngChunk("IDAT", zlibRows) + pngChunk("IEND", {});
}

QByteArray pngBomb() {
    // Every row is a filter byte and 30000 zero pixels: in deflate's fixed codes one
    // literal 0, then matches of 258 bytes at distance 1, 13 bits each.
    const quint64 zeros = quint64{30000} * 30001;
    QByteArray zlib("\x78\x01", 2);
    quint64 bits = 0;
    int used = 0;
    auto put = [&](quint32 value, int count) {
        for (bits |= quint64{value} << used, used += count; used >= 8; used -= 8, bits >>= 8)
            zlib += char(bits & 0xff);
    };
    put(3, 3);  // the last block, fixed codes
    put(0x0c, 8);
    for (quint64 m = 0; m < (zeros - 1) / 258; ++m) put(0xa3, 13);
    for (quint64 t = 0; t < (zeros - 1) % 258; ++t) put(0x0c, 8);
    put(0, 7 + 7);  // the end of the block, then up to a whole byte
    return png(30000, 30000, 8, 0, zlib + word(quint32((zeros % 65521) << 16 | 1), true));
}

QByteArray jpegBomb() {
    QByteArray jpeg = QByteArray::fromBase64(
        "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDABALDA4MChAODQ4SERATGCgaGBYWGDEjJR0oOjM9PDkz"
        "ODdASFxOQERXRTc4UG1RV19iZ2hnPk1xeXBkeFxlZ2P/wgALCHgYiAABAREA/8QAFAABAAAAAAAA"
        "AAAAAAAAAAAABf/aAAgBAQAAAAEh6HUQAQEAAAAAAAAAAAAAAAAAAAAT2ggAAf8BAAEFApppvwE7"
        "/+EQAQAQAAMAAAAAAAAAAAAAAAAAAAAQcf9O9wgBAQABPxApV//Z");
    return jpeg.replace(jpeg.indexOf("\xff\xc2") + 5, 4, QByteArray("\x25\x1c\x25\x1c", 4));
}

QByteArray withExif(const QByteArray& jpeg, quint16 orientation, const QByteArray& thumbnail, QSize pixels) {
    QByteArray tiff;
    QDataStream out(&tiff, QIODevice::WriteOnly);  // big-endian, as "MM" says
    const quint16 tags = pixels.isEmpty() ? 1 : 2;
    const quint32 sub = 8 + 2 + 12 * tags + 4;  // the Exif directory's start, which holds the size
    const quint32 second = thumbnail.isEmpty() ? 0 : sub + (pixels.isEmpty() ? 0 : 2 + 24 + 4);
    out << quint16(0x4d4d) << quint16(42) << quint32(8);
    out << tags << quint16(0x0112) << quint16(3) << quint32(1) << orientation << quint16(0);
    if (!pixels.isEmpty()) {
        out << quint16(0x8769) << quint16(4) << quint32(1) << sub << second;
        out << quint16(2) << quint16(0xa002) << quint16(4) << quint32(1) << quint32(pixels.width());
        out << quint16(0xa003) << quint16(4) << quint32(1) << quint32(pixels.height()) << quint32(0);
    } else {
        out << second;
    }
    if (second != 0) {  // where the thumbnail is and its length
        out << quint16(2) << quint16(0x0201) << quint16(4) << quint32(1) << quint32(second + 2 + 24 + 4);
        out << quint16(0x0202) << quint16(4) << quint32(1) << quint32(thumbnail.size()) << quint32(0);
        out.writeRawData(thumbnail.constData(), int(thumbnail.size()));
    }
    QByteArray marker;
    QDataStream(&marker, QIODevice::WriteOnly) << quint16(0xffe1) << quint16(2 + 6 + tiff.size());
    return jpeg.left(2) + marker + QByteArray("Exif\0\0", 6) + tiff + jpeg.mid(2);
}

QByteArray withXmpFirst(const QByteArray& jpeg) {
    const QByteArray xmp =
        QByteArray("http://ns.adobe.com/xap/1.0/\0", 29) + "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>";
    QByteArray marker;
    QDataStream(&marker, QIODevice::WriteOnly) << quint16(0xffe1) << quint16(2 + xmp.size());
    return jpeg.left(2) + marker + xmp + jpeg.mid(2);
}

void makeExtensible(const QString& path) {
    const QByteArray wav = contents(path);
    if (wav.size() < 20) throw std::runtime_error("cannot rewrite test file");
    const quint32 fmtBytes = qFromLittleEndian<quint32>(wav.constData() + 16);
    const QByteArray fmt = wav.mid(20, fmtBytes), data = wav.mid(20 + fmtBytes + (fmtBytes & 1));
    const QByteArray description = fmt.mid(18, qFromLittleEndian<quint16>(fmt.constData() + 16));
    const QByteArray guidTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
    // The extensible tag, the common fields, the extension's size, no valid bits or channel mask.
    const QByteArray extensible = "\xfe\xff" + fmt.mid(2, 14) + word(22 + description.size()).left(2) +
                                  QByteArray(6, 0) + fmt.left(2) + guidTail + description;
    const QByteArray out = "RIFF" + word(12 + extensible.size() + data.size()) + "WAVEfmt " +
                           word(extensible.size()) + extensible + data;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(out) != out.size())
        throw std::runtime_error("cannot rewrite test file");
}

void makeUnsized(const QString& path) {
    QByteArray wav = contents(path);
    const qsizetype data = wav.indexOf("data", 12);
    if (data < 0) throw std::runtime_error("cannot rewrite test file");
    wav.replace(4, 4, word(0));
    wav.replace(data + 4, 4, word(0));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(wav) != wav.size())
        throw std::runtime_error("cannot rewrite test file");
}

void makeUnreadable(const QString& path) {
    if (geteuid() != 0) return void(QFile::setPermissions(path, {}));
    QFile::remove(path);
    QFile::link(QStringLiteral("/proc/self/mem"), path);
}

int64_t peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return int64_t{usage.ru_maxrss} * 1024;
}

}  // namespace kavimo::test
