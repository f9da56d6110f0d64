#include "pictures/PngRows.h"

#include "pictures/PictureLoader.h"

#include <QFile>

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

namespace kavimo::pictures {

namespace {

constexpr size_t kSignatureBytes = 8;

// One read. Everything with a destructor lives here, on the heap and made before setjmp,
// so that libpng's longjmp on an error skips no destructor and leaves nothing undefined.
struct PngRead {
    QFile file;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_byte> row;
    QImage image;

    ~PngRead() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

extern "C" {

void readFromFile(png_structp png, png_bytep data, size_t length) {
    auto* file = static_cast<QFile*>(png_get_io_ptr(png));
    while (length > 0) {
        const qint64 got = file->read(reinterpret_cast<char*>(data), static_cast<qint64>(length));
        if (got <= 0) png_error(png, "read error");
        data += got;
        length -= static_cast<size_t>(got);
    }
}

[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void onWarning(png_structp, png_const_charp) {}

}  // extern "C"

// Sets up the same libpng transformations as Qt's PNG reader for the kinds read here and
// returns the QImage format that Qt gives them; Format_Invalid for every other kind.
QImage::Format prepare(png_structp png, png_infop info) {
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    if (depth != 8 || interlace != PNG_INTERLACE_NONE) return QImage::Format_Invalid;
    const bool transparentColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;

    switch (colour) {
    case PNG_COLOR_TYPE_GRAY:
        if (transparentColour) return QImage::Format_Invalid;  // Qt makes a palette of it
        png_set_expand(png);
        return QImage::Format_Grayscale8;
    case PNG_COLOR_TYPE_PALETTE:
        return QImage::Format_Indexed8;
    case PNG_COLOR_TYPE_RGB:
    case PNG_COLOR_TYPE_RGB_ALPHA:
    case PNG_COLOR_TYPE_GRAY_ALPHA: {
        png_set_expand(png);
        if (colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
        const bool opaque = !(colour & PNG_COLOR_MASK_ALPHA) && !transparentColour;
        if (opaque) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
        png_set_bgr(png);  // QImage's 32-bit pixels are B, G, R, A in memory on this machine
        return opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32;
    }
    default:
        return QImage::Format_Invalid;
    }
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

// Only trivially destructible locals from setjmp on.
bool decodeTop(PngRead& r, QSize clip) {
    if (setjmp(png_jmpbuf(r.png))) return false;

    png_set_sig_bytes(r.png, kSignatureBytes);
    png_set_read_fn(r.png, &r.file, readFromFile);
#if defined(PNG_SET_OPTION_SUPPORTED) && defined(PNG_MAXIMUM_INFLATE_WINDOW)
    // As Qt does: some encoders write streams that only decode with the full window.
    png_set_option(r.png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
#endif
    png_read_info(r.png, r.info);

    const QImage::Format format = prepare(r.png, r.info);
    if (format == QImage::Format_Invalid) return false;
    const png_uint_32 width = png_get_image_width(r.png, r.info);
    const png_uint_32 height = png_get_image_height(r.png, r.info);
    // libpng refuses sides over a million pixels, so both fit an int.
    if (width == 0 || height == 0 || tooBigToHold(QSize(int(width), int(height)), format)) return false;
    png_read_update_info(r.png, r.info);

    const int shownWidth = static_cast<int>(std::min<png_uint_32>(width, static_cast<png_uint_32>(clip.width())));
    const int shownHeight = static_cast<int>(std::min<png_uint_32>(height, static_cast<png_uint_32>(clip.height())));
    r.row.resize(png_get_rowbytes(r.png, r.info));
    r.image = QImage(shownWidth, shownHeight, format);
    if (r.image.isNull()) return false;
    if (format == QImage::Format_Indexed8) r.image.setColorTable(colourTable(r.png, r.info));

    const int colours = static_cast<int>(r.image.colorCount());
    const size_t bytesPerPixel = format == QImage::Format_Grayscale8 || format == QImage::Format_Indexed8 ? 1 : 4;
    const size_t shownBytes = static_cast<size_t>(shownWidth) * bytesPerPixel;
    if (shownBytes > r.row.size()) return false;
    for (int y = 0; y < shownHeight; ++y) {
        png_read_row(r.png, r.row.data(), nullptr);
        uchar* line = r.image.scanLine(y);
        std::memcpy(line, r.row.data(), shownBytes);
        if (format == QImage::Format_Indexed8) {
            // An index beyond the palette shows its first colour, as in Qt.
            for (int x = 0; x < shownWidth; ++x) {
                if (line[x] >= colours) line[x] = 0;
            }
        }
    }
    // The rows below the clip are never inflated; the file closes here.
    return true;
}

}  // namespace

std::optional<QImage> readPngTop(const QString& path, QSize clip) {
    if (clip.isEmpty()) return std::nullopt;
    auto read = std::make_unique<PngRead>();
    read->file.setFileName(path);
    if (!read->file.open(QIODevice::ReadOnly)) return std::nullopt;
    png_byte signature[kSignatureBytes];
    if (read->file.read(reinterpret_cast<char*>(signature), kSignatureBytes) != qint64{kSignatureBytes} ||
        png_sig_cmp(signature, 0, kSignatureBytes) != 0)
        return std::nullopt;

    read->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!read->png) return std::nullopt;
    read->info = png_create_info_struct(read->png);
    if (!read->info || !decodeTop(*read, clip)) return std::nullopt;
    return std::move(read->image);
}

}  // namespace kavimo::pictures
