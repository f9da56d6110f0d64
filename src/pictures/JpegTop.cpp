#include "pictures/JpegTop.h"

#include "pictures/PictureLoader.h"

#include <QBuffer>
#include <QFile>
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
constexpr uint8_t kProgressiveFrame = 0xc2;  // progressive, Huffman-coded
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
// Enough for the segments before the frame header, Exif and its thumbnail among them.
constexpr qint64 kHeaderBytes = qint64{128} * 1024;

bool isRestart(uint8_t marker) { return marker >= 0xd0 && marker <= 0xd7; }

// SOF0 to SOF15, without DHT (0xc4), JPG (0xc8) and DAC (0xcc).
bool isFrame(uint8_t marker) { return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc; }

int bigEndian16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

// The marker of a JPEG's frame header, or 0 when the bytes end before it or are no JPEG.
uint8_t frameMarker(const QByteArray& head) {
    const auto* b = reinterpret_cast<const uint8_t*>(head.constData());
    const qsizetype n = head.size();
    if (n < 4 || b[0] != kMarkerByte || b[1] != kStartOfImage) return 0;
    for (qsizetype pos = 2; pos + 4 <= n && b[pos] == kMarkerByte;) {
        while (pos < n && b[pos] == kMarkerByte) ++pos;
        if (pos + 3 > n) return 0;
        const uint8_t marker = b[pos++];
        if (isFrame(marker)) return marker;
        if (marker == kStartOfScan || marker == kEndOfImage) return 0;
        if (marker != kTemporary) pos += bigEndian16(b + pos);
    }
    return 0;
}

}  // namespace

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

        if (marker == kStartOfScan) {
            // Past the coded data: a 0xff in it is followed by 0 (a stuffed byte), by a
            // restart marker, or begins the next marker.
            for (;;) {
                const auto* next = static_cast<const uint8_t*>(std::memchr(b + pos, kMarkerByte, size_t(n - pos)));
                if (!next || next + 1 >= b + n) {
                    pos = n;  // cut short: the decoder ends it as it does the whole file
                    break;
                }
                pos = next - b;
                if (next[1] == 0 || next[1] == kMarkerByte) {
                    pos += next[1] == 0 ? 2 : 1;
                } else if (isRestart(next[1])) {
                    return std::nullopt;
                } else {
                    break;
                }
            }
        }
    }
    if (heightAt < 0) return std::nullopt;

    jpeg[heightAt] = char(cutHeight >> 8);
    jpeg[heightAt + 1] = char(cutHeight & 0xff);
    return CutJpeg{std::move(jpeg), whole};
}

std::optional<QImage> readProgressiveJpegTop(const QString& path, QSize clip) {
    if (clip.isEmpty()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return std::nullopt;
    // Any other file is left at its header, unread.
    if (frameMarker(file.peek(kHeaderBytes)) != kProgressiveFrame) return std::nullopt;
    std::optional<CutJpeg> cut = cutProgressiveJpeg(file.readAll(), clip.height());
    if (!cut) return std::nullopt;
    // A picture too big to be held whole is left to the usual way, which refuses it.
    if (tooBigToHold(cut->whole)) return std::nullopt;

    QBuffer buffer(&cut->bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid()) return std::nullopt;
    reader.setClipRect(QRect(QPoint(0, 0), size.boundedTo(clip)));
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return image;
}

}  // namespace kavimo::pictures
