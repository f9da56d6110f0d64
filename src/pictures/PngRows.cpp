// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PngRows.h"

#include "pictures/PictureLoader.h"

#include <QFile>
#include <QtEndian>

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

namespace kavimo::pictures {

namespace {

constexpr size_t kSignatureBytes = 8;
// Where a PNG ends before its last row: as libjpeg shows a JPEG that ends early.
constexpr QRgb kMissingGrey = 0xff808080;

// One read. Everything with a destructor lives here, on the heap and made before setjmp,
// so that libpng's longjmp on an error skips no destructor and leaves nothing undefined.
struct PngRead {
    QIODevice* device = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_byte> row;
    std::vector<int> columnOf;    // shrinking: the stamp's column of each picture column
    std::vector<quint64> sums;    // shrinking: premultiplied B, G, R and alpha per stamp column
    std::vector<quint64> columns; // shrinking: picture columns per stamp column
    int stampRow = 0;             // shrinking: the stamp row being summed
    quint64 rows = 0;             // shrinking: picture rows summed into it
    QImage image;

    ~PngRead() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

extern "C" {

void readFromDevice(png_structp png, png_bytep data, size_t length) {
    auto* device = static_cast<QIODevice*>(png_get_io_ptr(png));
    while (length > 0) {
        const qint64 got = device->read(reinterpret_cast<char*>(data), static_cast<qint64>(length));
        if (got <= 0) png_error(png, "read error");
        data += got;
        length -= static_cast<size_t>(got);
    }
}

[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void onWarning(png_structp, png_const_charp) {}

}  // extern "C"

quint32 bigEndian32(const char* p) {
    const auto* b = reinterpret_cast<const uchar*>(p);
    return quint32{b[0]} << 24 | quint32{b[1]} << 16 | quint32{b[2]} << 8 | b[3];
}

// The QImage format that Qt gives the kinds read here, Format_Invalid for every other.
QImage::Format formatOf(int depth, int colour, int interlace, bool transparentColour) {
    if (depth != 8 || interlace != PNG_INTERLACE_NONE) return QImage::Format_Invalid;
    switch (colour) {
    case PNG_COLOR_TYPE_GRAY:
        // Qt makes a palette of a grey picture with a transparent colour.
        return transparentColour ? QImage::Format_Invalid : QImage::Format_Grayscale8;
    case PNG_COLOR_TYPE_PALETTE:
        return QImage::Format_Indexed8;
    case PNG_COLOR_TYPE_RGB:
        return transparentColour ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    case PNG_COLOR_TYPE_RGB_ALPHA:
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return QImage::Format_ARGB32;
    default:
        return QImage::Format_Invalid;
    }
}

QImage::Format formatOf(png_structp png, png_infop info) {
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    return formatOf(depth, colour, interlace, png_get_valid(png, info, PNG_INFO_tRNS) != 0);
}

// Sets up the same libpng transformations as Qt's PNG reader for the kinds read here and
// returns the QImage format that Qt gives them; Format_Invalid for every other kind.
QImage::Format prepare(png_structp png, png_infop info) {
    const QImage::Format format = formatOf(png, info);
    if (format == QImage::Format_Invalid || format == QImage::Format_Indexed8) return format;
    png_set_expand(png);
    if (format == QImage::Format_Grayscale8) return format;
    if (png_get_color_type(png, info) == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (format == QImage::Format_RGB32) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_bgr(png);  // QImage's 32-bit pixels are B, G, R, A in memory on this machine
    return format;
}

// Every kind read here as B, G, R, A bytes; false for every other kind.
bool prepareBgra(png_structp png, png_infop info) {
    if (formatOf(png, info) == QImage::Format_Invalid) return false;
    png_set_expand(png);  // a palette to colours, a transparent colour to alpha
    const int colour = png_get_color_type(png, info);
    if (!(colour & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);  // only where no alpha comes from above
    png_set_bgr(png);
    return true;
}

// The palette as Qt builds it: the transparency chunk's alpha for the first entries.
QList<QRgb> colourTable(png_structp png, png_infop info) {
    png_colorp palette = nullptr;
    int entries = 0;
    png_get_PLTE(png, info, &palette, &entries);
    png_bytep alpha = nullptr;
    int alphas = 0;
    png_color_16p unused = nullptr;
    if (!png_get_tRNS(png, info, &alpha, &alphas, &unused) || !alpha) alphas = 0;
    QList<QRgb> table;
    for (int i = 0; i < entries; ++i)
        table.append(qRgba(palette[i].red, palette[i].green, palette[i].blue, i < alphas ? alpha[i] : 0xff));
    return table;
}

// Reads up to the end of the header; called under the caller's setjmp.
void start(PngRead& r) {
    png_set_sig_bytes(r.png, kSignatureBytes);
    png_set_read_fn(r.png, r.device, readFromDevice);
#if defined(PNG_SET_OPTION_SUPPORTED) && defined(PNG_MAXIMUM_INFLATE_WINDOW)
    // As Qt does: some encoders write streams that only decode with the full window.
    png_set_option(r.png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
#endif
    png_read_info(r.png, r.info);
}

// The picture's size, or an empty one when it is beyond what a picture may be.
QSize checkedSize(const PngRead& r, QImage::Format format) {
    const png_uint_32 width = png_get_image_width(r.png, r.info);
    const png_uint_32 height = png_get_image_height(r.png, r.info);
    // libpng refuses sides over a million pixels, so both fit an int.
    const QSize size(static_cast<int>(width), static_cast<int>(height));
    return size.isEmpty() || tooBigToHold(size, format) ? QSize() : size;
}

// Only trivially destructible locals from setjmp on.
bool decodePart(PngRead& r, QRect part) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    start(r);
    const QImage::Format format = prepare(r.png, r.info);
    if (format == QImage::Format_Invalid) return false;
    const QSize size = checkedSize(r, format);
    if (part.isNull()) part = QRect(QPoint(0, 0), size);  // the whole picture
    if (size.isEmpty() || !QRect(QPoint(0, 0), size).contains(part)) return false;
    png_read_update_info(r.png, r.info);

    r.row.resize(png_get_rowbytes(r.png, r.info));
    r.image = QImage(part.size(), format);
    if (r.image.isNull()) return false;
    if (format == QImage::Format_Indexed8) r.image.setColorTable(colourTable(r.png, r.info));

    const int colours = static_cast<int>(r.image.colorCount());
    const size_t bytesPerPixel = format == QImage::Format_Grayscale8 || format == QImage::Format_Indexed8 ? 1 : 4;
    const size_t from = static_cast<size_t>(part.left()) * bytesPerPixel;
    const size_t shownBytes = static_cast<size_t>(part.width()) * bytesPerPixel;
    if (from + shownBytes > r.row.size()) return false;
    for (int y = 0; y <= part.bottom(); ++y) {
        png_read_row(r.png, r.row.data(), nullptr);
        if (y < part.top()) continue;
        uchar* line = r.image.scanLine(y - part.top());
        std::memcpy(line, r.row.data() + from, shownBytes);
        if (format == QImage::Format_Indexed8) {
            // An index beyond the palette shows its first colour, as in Qt.
            for (int x = 0; x < part.width(); ++x) {
                if (line[x] >= colours) line[x] = 0;
            }
        }
    }
    // The rows below the part are never inflated; the file closes here.
    return true;
}

// Writes the averages of one stamp row and starts the next.
void flushRow(PngRead& r, int stampRow, quint64 rows) {
    auto* line = reinterpret_cast<QRgb*>(r.image.scanLine(stampRow));
    for (int x = 0; x < r.image.width(); ++x) {
        const quint64 n = r.columns[size_t(x)] * rows;
        const quint64* s = &r.sums[size_t(x) * 4];
        const auto colour = [n](quint64 sum) { return int((sum + 255 * n / 2) / (255 * n)); };
        line[x] = qRgba(colour(s[2]), colour(s[1]), colour(s[0]), int((s[3] + n / 2) / n));
    }
    std::fill(r.sums.begin(), r.sums.end(), 0);
}

bool decodeShrunk(PngRead& r, QSize box) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    start(r);
    const QImage::Format format = formatOf(r.png, r.info);
    if (!prepareBgra(r.png, r.info)) return false;
    const QSize size = checkedSize(r, format);
    if (size.isEmpty()) return false;
    png_read_update_info(r.png, r.info);
    r.row.resize(png_get_rowbytes(r.png, r.info));
    if (r.row.size() != size_t(size.width()) * 4) return false;

    const QSize stamp = size.boundedTo(box);
    r.image = QImage(stamp, QImage::Format_ARGB32_Premultiplied);
    if (r.image.isNull()) return false;
    r.columnOf.resize(size_t(size.width()));
    r.columns.assign(size_t(stamp.width()), 0);
    for (int x = 0; x < size.width(); ++x) {
        const int column = int(qint64{x} * stamp.width() / size.width());
        r.columnOf[size_t(x)] = column;
        ++r.columns[size_t(column)];
    }
    r.sums.assign(size_t(stamp.width()) * 4, 0);
    r.image.fill(kMissingGrey);

    for (int y = 0; y < size.height(); ++y) {
        const int target = int(qint64{y} * stamp.height() / size.height());
        if (target != r.stampRow) {
            flushRow(r, r.stampRow, r.rows);
            r.stampRow = target;
            r.rows = 0;
        }
        png_read_row(r.png, r.row.data(), nullptr);
        const png_byte* pixel = r.row.data();
        for (int x = 0; x < size.width(); ++x, pixel += 4) {
            quint64* s = &r.sums[size_t(r.columnOf[size_t(x)]) * 4];
            const quint64 alpha = pixel[3];
            s[0] += pixel[0] * alpha;
            s[1] += pixel[1] * alpha;
            s[2] += pixel[2] * alpha;
            s[3] += alpha;
        }
        ++r.rows;
    }
    flushRow(r, r.stampRow, r.rows);
    return true;
}

// A read set up on device at a PNG's start; nothing for a file that is no PNG.
std::unique_ptr<PngRead> open(QIODevice& device) {
    if (!device.seek(0)) return nullptr;
    auto read = std::make_unique<PngRead>();
    read->device = &device;
    png_byte signature[kSignatureBytes];
    if (device.read(reinterpret_cast<char*>(signature), kSignatureBytes) != qint64{kSignatureBytes} ||
        png_sig_cmp(signature, 0, kSignatureBytes) != 0)
        return nullptr;
    read->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!read->png) return nullptr;
    read->info = png_create_info_struct(read->png);
    if (!read->info) return nullptr;
    return read;
}

}  // namespace

bool readsByRows(const QByteArray& head) {
    constexpr qsizetype kHeaderEnd = 8 + 8 + 13;  // signature, IHDR's length and type, its data
    if (head.size() < kHeaderEnd ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(head.constData()), 0, kSignatureBytes) != 0 ||
        head.mid(12, 4) != "IHDR")
        return false;
    const auto byteAt = [&head](qsizetype i) { return static_cast<uchar>(head[i]); };
    const int depth = byteAt(24), colour = byteAt(25), interlace = byteAt(28);
    if (formatOf(depth, colour, interlace, false) == QImage::Format_Invalid) return false;
    if (colour != PNG_COLOR_TYPE_GRAY) return true;
    // Grey only without a transparent colour, whose chunk comes before the rows.
    for (qsizetype pos = kSignatureBytes; pos + 8 <= head.size();) {
        const QByteArray type = head.mid(pos + 4, 4);
        if (type == "IDAT") return true;
        if (type == "tRNS") return false;
        pos += 12 + qsizetype{bigEndian32(head.constData() + pos)};
    }
    return false;  // the header goes on beyond head: left to Qt
}

std::optional<QImage> readPngPart(QIODevice& device, QRect part) {
    if (part.isEmpty() || part.left() < 0 || part.top() < 0) return std::nullopt;
    auto read = open(device);
    if (!read || !decodePart(*read, part)) return std::nullopt;
    return std::move(read->image);
}

std::optional<QImage> readPng(QIODevice& device) {
    auto read = open(device);
    if (!read || !decodePart(*read, QRect())) return std::nullopt;
    return std::move(read->image);
}

std::optional<QImage> readPng(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? readPng(file) : std::nullopt;
}

std::optional<QImage> readPngShrunk(QIODevice& device, QSize box) {
    if (box.isEmpty()) return std::nullopt;
    auto read = open(device);
    if (!read) return std::nullopt;
    if (!decodeShrunk(*read, box)) {
        if (read->stampRow == 0 && read->rows == 0) return std::nullopt;  // not one row read
        if (read->rows > 0) flushRow(*read, read->stampRow, read->rows);  // the rows of it there are
    }
    return std::move(read->image);
}

bool pngCutShort(QByteArrayView png) {
    constexpr qsizetype kSignatureBytes = 8, kChunkHead = 8, kChunkFrame = 12;  // length, type; CRC
    if (!png.startsWith(QByteArrayView("\x89PNG\r\n\x1a\n", kSignatureBytes))) return false;
    // Chunk by chunk, only their lengths and types read.
    for (qint64 pos = kSignatureBytes; pos + kChunkHead <= png.size();) {
        const auto* chunk = reinterpret_cast<const uchar*>(png.data() + pos);
        const qint64 end = pos + kChunkFrame + qFromBigEndian<quint32>(chunk);
        if (png.sliced(pos + 4, 4) == "IEND") return end > png.size();
        pos = end;
    }
    return true;
}

}  // namespace kavimo::pictures
