// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures over arbitrary bytes, decoded the ways the game asks for them: a card's
// top-left corner, the preview's box, the closing picture whole. The PNG top-row reader
// must give exactly the pixels that Qt's own reader gives for the same corner.
#include "pictures/PictureLoader.h"
#include "pictures/PngRows.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using kavimo::pictures::PictureRequest;
namespace pictures = kavimo::pictures;

// The card sides of the two grids, inside their borders, and the preview's box.
const QSize kCardSides[] = {QSize(99, 99), QSize(63, 63), QSize(1, 1)};
const QSize kPreview(49, 49);
// Decoding a large picture whole is slow under the sanitizers and proves nothing more.
constexpr qint64 kWholeDecodePixels = 512 * 512;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "picture decoding disagrees: %s\n", what);
    std::abort();
}

void checkCorner(const QString& path, QSize clip) {
    const QImage card = pictures::load(path, {clip, QSize()});
    if (!card.isNull() && (card.width() > clip.width() || card.height() > clip.height()))
        fail("card larger than asked");

    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid()) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) std::abort();
    const QRect part(QPoint(0, 0), size.boundedTo(clip));
    const std::optional<QImage> top = pictures::readPngPart(file, part);
    if (!top || qint64{size.width()} * size.height() > kWholeDecodePixels) return;
    const QImage whole = reader.read();
    if (whole.isNull()) return;  // Qt gave up further down than the rows read here
    const QImage corner = whole.copy(part);
    if (top->size() != corner.size()) fail("corner size");
    if (top->convertToFormat(QImage::Format_ARGB32) != corner.convertToFormat(QImage::Format_ARGB32))
        fail("corner pixels");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "fuzz_picture";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    static const QString path = dir.path() + "/picture.png";
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    for (const QSize& clip : kCardSides) checkCorner(path, clip);

    const QImage preview = pictures::load(path, {QSize(), kPreview});
    if (!preview.isNull() && preview.size() != kPreview) fail("preview not stretched to its box");

    QImageReader reader(path);
    const QSize whole = reader.size();
    if (whole.isValid() && qint64{whole.width()} * whole.height() <= kWholeDecodePixels) pictures::load(path);
    return 0;
}
