// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/JpegTop.h"

#include "pictures/PictureLoader.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kavimo::pictures {

namespace {

constexpr uint8_t kMarkerByte = 0xff;
constexpr uint8_t kStartOfImage = 0xd8;
constexpr uint8_t kEndOfImage = 0xd9;
constexpr uint8_t kStartOfScan = 0xda;
constexpr uint8_t kRestartInterval = 0xdd;
constexpr uint8_t kApp1 = 0xe1;
constexpr uint8_t kProgressiveFrame = 0xc2;  // progressive, Huffman-coded
constexpr uint8_t kProgressiveArithmeticFrame = 0xca;
constexpr uint8_t kTemporary = 0x01;
// The frame header's fields, counted from its first byte after the length.
constexpr int kFramePrecision = 0;
constexpr int kFrameHeight = 1;
constexpr int kFrameWidth = 3;
constexpr int kFrameComponents = 5;
constexpr int kFrameFirstComponent = 6;
constexpr int kBlockSide = 8;
// Camera photos are a few MB; a file far bigger is read the usual way.
constexpr qint64 kMaxFileBytes = qint64{64} * 1024 * 1024;

bool isRestart(uint8_t marker) { return marker >= 0xd0 && marker <= 0xd7; }

// SOF0 to SOF15, without DHT (0xc4), JPG (0xc8) and DAC (0xcc).
bool isFrame(uint8_t marker) { return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc; }

int bigEndian16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

// Where the coded data that starts at pos ends: at the next marker. A 0xff in it is followed
// by 0 (a stuffed byte), by a restart marker, or begins the next marker. n when the data runs
// to the end of the file; -1 at a restart marker unless restarts are passed over.
qsizetype pastCodedData(const uint8_t* b, qsizetype n, qsizetype pos, bool passRestarts) {
    for (;;) {
        const auto* next = static_cast<const uint8_t*>(std::memchr(b + pos, kMarkerByte, size_t(n - pos)));
        if (!next || next + 1 >= b + n) return n;
        pos = next - b;
        if (next[1] == 0 || next[1] == kMarkerByte) {
            pos += next[1] == 0 ? 2 : 1;
        } else if (isRestart(next[1])) {
            if (!passRestarts) return -1;
            pos += 2;
        } else {
            return pos;
        }
    }
}

}  // namespace

std::optional<JpegFrame> jpegFrame(QIODevice& device) {
    // Segment by segment, only their lengths read: Exif, colour profiles and the depth maps
    // some phones add may well fill more than any fixed head before the frame header.
    char start[2];
    if (!device.seek(0) || device.read(start, 2) != 2 || uint8_t(start[0]) != kMarkerByte ||
        uint8_t(start[1]) != kStartOfImage)
        return std::nullopt;
    uint8_t marker = 0;
    QByteArray exif;
    bool otherApp1 = false;  // before the Exif segment
    for (;;) {
        char byte = 0;
        if (!device.getChar(&byte) || uint8_t(byte) != kMarkerByte) return std::nullopt;
        while (uint8_t(byte) == kMarkerByte) {
            if (!device.getChar(&byte)) return std::nullopt;
        }
        marker = uint8_t(byte);
        if (marker == kTemporary) continue;
        if (marker == kStartOfScan || marker == kEndOfImage || marker == kStartOfImage) return std::nullopt;
        if (isFrame(marker)) break;
        char length[2];
        if (device.read(length, 2) != 2) return std::nullopt;
        const int bytes = bigEndian16(reinterpret_cast<const uint8_t*>(length));
        if (bytes < 2) return std::nullopt;
        const bool firstExif =
            marker == kApp1 && exif.isEmpty() && device.peek(6) == QByteArrayView("Exif\0\0", 6);
        if (firstExif) {
            exif = device.read(bytes - 2);
            if (exif.size() != bytes - 2) return std::nullopt;
        } else {
            otherApp1 = otherApp1 || (marker == kApp1 && exif.isEmpty());
            if (!device.seek(device.pos() + bytes - 2)) return std::nullopt;
        }
    }
    const QByteArray lengthBytes = device.read(2);
    if (lengthBytes.size() != 2) return std::nullopt;
    const QByteArray header =
        device.read(bigEndian16(reinterpret_cast<const uint8_t*>(lengthBytes.constData())) - 2);
    const auto* segment = reinterpret_cast<const uint8_t*>(header.constData());
    if (header.size() < kFrameFirstComponent) return std::nullopt;
    const int components = segment[kFrameComponents];
    if (header.size() < kFrameFirstComponent + 3 * components) return std::nullopt;

    JpegFrame frame;
    frame.progressive = marker == kProgressiveFrame || marker == kProgressiveArithmeticFrame;
    frame.size = QSize(bigEndian16(segment + kFrameWidth), bigEndian16(segment + kFrameHeight));
    frame.exif = std::move(exif);
    frame.exifAfterOtherApp1 = otherApp1 && !frame.exif.isEmpty();
    int horizontal = 1, vertical = 1;
    for (int c = 0; c < components; ++c) {
        const uint8_t sampling = segment[kFrameFirstComponent + 3 * c + 1];
        horizontal = std::max(horizontal, sampling >> 4);
        vertical = std::max(vertical, sampling & 0x0f);
    }
    // As the decoder allocates them: whole MCUs, each component its sampling's blocks in one.
    const qint64 mcusWide = (frame.size.width() + kBlockSide * horizontal - 1) / (kBlockSide * horizontal);
    const qint64 mcusHigh = (frame.size.height() + kBlockSide * vertical - 1) / (kBlockSide * vertical);
    for (int c = 0; c < components; ++c) {
        const uint8_t sampling = segment[kFrameFirstComponent + 3 * c + 1];
        const qint64 blocks = mcusWide * (sampling >> 4) * mcusHigh * (sampling & 0x0f);
        frame.coefficientBytes += blocks * kBlockSide * kBlockSide * 2;
    }
    return frame;
}

bool jpegCutShort(const QByteArray& jpeg) {
    const auto* b = reinterpret_cast<const uint8_t*>(jpeg.constData());
    const qsizetype n = jpeg.size();
    if (n < 2 || b[0] != kMarkerByte || b[1] != kStartOfImage) return false;
    qsizetype pos = 2;
    while (pos < n) {
        if (b[pos] != kMarkerByte) return false;  // no marker where one belongs: left to the decoder
        while (pos < n && b[pos] == kMarkerByte) ++pos;
        if (pos >= n) break;
        const uint8_t marker = b[pos++];
        if (marker == kEndOfImage) return false;
        if (marker == kTemporary || isRestart(marker)) continue;
        if (pos + 2 > n) break;
        const int length = bigEndian16(b + pos);
        if (length < 2) return false;
        pos += length;
        if (marker == kStartOfScan && pos < n) pos = pastCodedData(b, n, pos, true);
    }
    return true;
}

std::optional<CutJpeg> cutProgressiveJpeg(QByteArray jpeg, int rows) {
    const auto* b = reinterpret_cast<const uint8_t*>(jpeg.constData());
    const qsizetype n = jpeg.size();
    if (rows <= 0 || n < 4 || b[0] != kMarkerByte || b[1] != kStartOfImage) return std::nullopt;

    qsizetype heightAt = -1;  // where the frame's height is written
    int cutHeight = 0;
    QSize whole;
    qsizetype pos = 2;
    while (pos < n) {
        // Between segments only markers stand; fill bytes may precede one.
        if (b[pos] != kMarkerByte) return std::nullopt;
        while (pos < n && b[pos] == kMarkerByte) ++pos;
        if (pos >= n) break;
        const uint8_t marker = b[pos++];
        if (marker == kEndOfImage) break;
        if (marker == kTemporary) continue;
        if (marker == kStartOfImage || isRestart(marker) || pos + 2 > n) return std::nullopt;
        const int length = bigEndian16(b + pos);
        if (length < 2 || pos + length > n) return std::nullopt;
        const uint8_t* segment = b + pos + 2;
        const int bytes = length - 2;

        if (marker == kRestartInterval) {
            if (bytes < 2 || bigEndian16(segment) != 0) return std::nullopt;
        } else if (isFrame(marker)) {
            if (marker != kProgressiveFrame || heightAt >= 0 || bytes < kFrameFirstComponent) return std::nullopt;
            const int height = bigEndian16(segment + kFrameHeight);
            const int components = segment[kFrameComponents];
            if (segment[kFramePrecision] != 8 || height == 0 || components == 0 ||
                bytes < kFrameFirstComponent + 3 * components)
                return std::nullopt;
            int vertical = 1;  // the largest vertical sampling factor: the block rows of one MCU row
            for (int c = 0; c < components; ++c) {
                const int v = segment[kFrameFirstComponent + 3 * c + 1] & 0x0f;
                if (v < 1 || v > 4) return std::nullopt;
                vertical = std::max(vertical, v);
            }
            const int mcuRows = kBlockSide * vertical;
            cutHeight = ((rows + mcuRows - 1) / mcuRows + 1) * mcuRows;
            if (cutHeight >= height) return std::nullopt;
            heightAt = pos + 2 + kFrameHeight;
            whole = QSize(bigEndian16(segment + kFrameWidth), height);
        } else if (marker == kStartOfScan && heightAt < 0) {
            return std::nullopt;  // a scan before the frame
        }
        pos += length;

        // A file cut short in its coded data is ended by the decoder as it ends the whole file.
        if (marker == kStartOfScan && (pos = pastCodedData(b, n, pos, false)) < 0) return std::nullopt;
    }
    if (heightAt < 0) return std::nullopt;

    jpeg[heightAt] = char(cutHeight >> 8);
    jpeg[heightAt + 1] = char(cutHeight & 0xff);
    return CutJpeg{std::move(jpeg), whole};
}

std::optional<QImage> readProgressiveJpegTop(QIODevice& device, QRect part) {
    if (part.isEmpty() || part.top() != 0 || part.left() < 0) return std::nullopt;
    if (!device.seek(0) || device.size() > kMaxFileBytes) return std::nullopt;
    // Any other file is left at its header, unread.
    const std::optional<JpegFrame> frame = jpegFrame(device);
    if (!frame || !frame->progressive || !device.seek(0)) return std::nullopt;
    std::optional<CutJpeg> cut = cutProgressiveJpeg(device.readAll(), part.height());
    if (!cut) return std::nullopt;
    // A picture too big to be held whole is left to the usual way, which refuses it.
    if (tooBigToHold(cut->whole)) return std::nullopt;

    QBuffer buffer(&cut->bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoDetectImageFormat(false);  // else Qt loads every picture plugin first
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || !QRect(QPoint(0, 0), size).contains(part)) return std::nullopt;
    reader.setClipRect(part);
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return image;
}

}  // namespace kavimo::pictures
