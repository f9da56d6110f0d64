// SPDX-License-Identifier: GPL-3.0-or-later
// From a photo to a card's picture: upright, the square cut, scaled down smoothly.
#include "maker/SetMaker.h"
#include "maker/Internal.h"
#include "maker/Tr.h"
#include "platform/FileLookup.h"
#include "pictures/PictureLoader.h"

#include <QCollator>
#include <QColorSpace>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace kavimo::maker {

namespace {

// As much as the game allows one picture (pictures::load), so that what the maker takes the
// game can show.
constexpr int kAllocationLimitMB = 512;

}  // namespace

int cardSide(int pairs) {
    return pairs <= 10 ? 99 : 63;
}

QRect largestCentredSquare(QSize upright) {
    const int side = std::min(upright.width(), upright.height());
    if (side <= 0) return {};
    return {(upright.width() - side) / 2, (upright.height() - side) / 2, side, side};
}

QStringList naturalOrder(QStringList names) {
    // The C locale's collator has no numeric mode.
    const QLocale locale =
        QLocale::system().language() == QLocale::C ? QLocale(QLocale::English) : QLocale::system();
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Names equal to the collator keep a fixed order between them.
    std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

QStringList picturesIn(const QString& folder) {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    // Listed as the game lists sets: Shift_JIS names from a Windows zip too, regular files only.
    QStringList pictures;
    for (const QString& name : naturalOrder(fs::listFiles(folder, patterns)))
        pictures << folder + u'/' + name;
    return pictures;
}

namespace detail {

// What a photo holds, told by its first bytes where it can be: a phone may save a HEIC
// photo as "photo.jpg". Otherwise by its name.
QString kindOf(const QString& file, const QString& suffix) {
    const std::unique_ptr<QFile> opened = fs::openRegular(file);
    const QByteArray head = opened ? opened->read(16) : QByteArray();
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") return QStringLiteral("webp");
    if (head.startsWith(QByteArrayView("II*\0", 4)) || head.startsWith(QByteArrayView("MM\0*", 4)))
        return QStringLiteral("tiff");
    if (head.mid(4, 4) != "ftyp") return suffix;
    const QByteArray brand = head.mid(8, 4);
    if (brand == "avif" || brand == "avis") return QStringLiteral("avif");
    for (const char* heic : {"heic", "heix", "heim", "heis", "hevc", "mif1", "msf1"})
        if (brand == heic) return QStringLiteral("heic");
    return suffix;
}

QString convertCommand(const QString& command, const QString& file, const QString& extension, bool inPlace) {
    const QFileInfo info(file);
    const QString stem = info.absolutePath() + u'/' + info.completeBaseName();
    const QString to = stem + (inPlace ? QStringLiteral("-converted.") : QStringLiteral(".")) + extension;
    const QString move = QStringLiteral(" && mv \"%1\" \"%2\"").arg(to, info.absoluteFilePath());
    return command.arg(info.absoluteFilePath(), to) + (inPlace ? move : QString());
}

// WebP and TIFF are read by Qt's extra picture readers, which a portable copy's machine may lack.
bool readerMissing(const QString& kind) {
    return (kind == u"webp" || kind == u"tiff") &&
           !QImageReader::supportedImageFormats().contains(kind.toLatin1());
}

bool convertibleKind(const QString& kind) {
    return kind == u"svg" || kind == u"svgz" || kind == u"avif" || kind == u"heic" || kind == u"heif" ||
           readerMissing(kind);
}

bool convertible(const QString& file) {
    return convertibleKind(kindOf(file, QFileInfo(file).suffix().toLower()));
}

QString photoProblem(const QString& file) {
    const QFileInfo info(file);
    const QString name = info.fileName(), suffix = info.suffix().toLower(), kind = kindOf(file, suffix);
    // The commands name whole paths, so that they work from any folder. A photo whose name
    // already ends as a picture the game shows ("photo.jpg" that is a HEIC photo) is converted
    // in its place, which its set names; the tools write the kind its name says.
    const QString from = info.absoluteFilePath();
    const auto target = [&](const QString& extension) {
        static const QStringList shown = {"jpg", "jpeg", "png", "bmp", "gif"};
        return shown.contains(suffix) ? suffix : extension;
    };
    const auto convert = [&](const QString& command, const QString& extension) {
        return convertCommand(command, from, target(extension), target(extension) == suffix);
    };
    // What avifdec and heif-convert write: the kind that the target's name says.
    const auto written = [&](const QString& extension) {
        return target(extension).startsWith(u'j') ? QStringLiteral("JPEG") : target(extension).toUpper();
    };
    if (kind == u"svg" || kind == u"svgz")
        return Maker::tr("%1 is a drawing (SVG), which the game cannot show. Convert it to PNG first, for "
                         "example with rsvg-convert (package librsvg2-bin): %2")
            .arg(name,
                 convert(QStringLiteral("rsvg-convert -w 400 \"%1\" -o \"%2\""), QStringLiteral("png")));
    if (kind == u"avif")
        return Maker::tr("%1 is an AVIF picture, which the game cannot show. Convert it to %3 first, for "
                         "example with avifdec (package libavif-bin): %2")
            .arg(name, convert(QStringLiteral("avifdec \"%1\" \"%2\""), QStringLiteral("png")),
                 written(QStringLiteral("png")));
    if (readerMissing(kind))
        return Maker::tr("%1 is a %2 picture, which needs Qt's extra picture readers. Install them with: "
                         "sudo apt install qt6-image-formats-plugins")
            .arg(name, kind == u"webp" ? QStringLiteral("WebP") : QStringLiteral("TIFF"));
    if (!convertibleKind(kind)) return Maker::tr("%1 is not a picture that can be read.").arg(name);
    return Maker::tr("%1 is a phone's HEIC photo, which the game cannot show. Convert it to %3 first, for "
                     "example with heif-convert (package libheif-examples): %2")
        .arg(name, convert(QStringLiteral("heif-convert \"%1\" \"%2\""), QStringLiteral("jpg")),
             written(QStringLiteral("jpg")));
}

bool unreadable(const QString& file) {
    if (!fs::fileExists(file)) return false;
    const int fd = ::open(fs::nativePath(file).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
    return fd < 0 && (errno == EACCES || errno == EPERM);
}

QString unreadableProblem(const QString& file) {
    return Maker::tr("%1 cannot be read: you have no permission to read it (files unpacked with sudo belong "
                     "to root). Make it readable, for example with: sudo chmod a+r \"%1\"")
        .arg(fs::resolve(file));
}

QString notFoundProblem(const QString& file) {
    if (unreadable(file)) return unreadableProblem(file);
    // Only a name that holds one as a character: elsewhere a backslash separates folders.
    if (file.contains(u'\\') && QFileInfo::exists(file))
        return Maker::tr("%1 cannot be read: a backslash (\\) in a name separates folders for kavimo-set, "
                         "as it does in the game's sets. Rename it without one.")
            .arg(file);
    return Maker::tr("%1 was not found.").arg(file);
}

QSize decodedSize(QImageReader& reader) {
    const QSize stored = reader.size();
    QSize size = stored;
    for (int part = 2; part <= 8 && reader.format() == "jpeg" && pictures::tooBigToHold(size); part *= 2) {
        size = QSize((stored.width() + part - 1) / part, (stored.height() + part - 1) / part);
        reader.setScaledSize(size);
    }
    return size;
}

QString tooBigProblem(const QString& name, QSize size) {
    return Maker::tr("%1 is too big to load (%2 x %3 pixels). Make it smaller first.")
        .arg(name)
        .arg(size.width())
        .arg(size.height());
}

QString cutShortProblem(const QString& name) {
    return Maker::tr("%1 is cut short, as a download or a copy that did not finish: the game would show it "
                     "grey from where it ends, or not at all. Copy it again.")
        .arg(name);
}

}  // namespace detail

QImage uprightPicture(const QString& file, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return QImage();
    };
    if (QImageReader::allocationLimit() < kAllocationLimitMB)
        QImageReader::setAllocationLimit(kAllocationLimitMB);
    const QString name = QFileInfo(file).fileName();
    const std::unique_ptr<QFile> opened = fs::openRegular(file);
    if (!opened) return fail(detail::notFoundProblem(file));
    QImageReader reader(opened.get());
    reader.setAutoTransform(true);
    if (!reader.canRead()) return fail(detail::photoProblem(file));
    if (pictures::tooBigToHold(detail::decodedSize(reader), pictures::storedFormat(reader)))
        return fail(detail::tooBigProblem(name, reader.size()));
    QImage image = reader.read();
    // Cut short, said so whether or not what is there decodes.
    if (pictures::cutShort(*opened)) return fail(detail::cutShortProblem(name));
    if (image.isNull()) return fail(Maker::tr("%1 does not decode: %2").arg(name, reader.errorString()));
    if (reader.transformation() == QImageIOHandler::TransformationNone)
        image = pictures::turned(std::move(image), pictures::uprightTurn(*opened));
    return image;
}

QImage cardPicture(const QImage& upright, QRect cut, int side) {
    if (upright.isNull() || side <= 0) return {};
    if (cut.isEmpty()) cut = largestCentredSquare(upright.size());
    cut = cut.intersected(upright.rect());
    if (cut.isEmpty()) return {};
    QImage square = upright.copy(cut);
    // Qt scales one-bit and indexed pictures without smoothing.
    square = square.convertToFormat(square.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
    QImage card = square.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The game shows a card's pixels as they stand, as sRGB: a phone's Display P3 photo is
    // turned into sRGB here. Of the photo's data the card keeps its pixels alone, no text.
    if (card.colorSpace().isValid()) card.convertToColorSpace(QColorSpace::SRgb);
    return QImage(card.constBits(), side, side, card.bytesPerLine(), card.format()).copy();
}

}  // namespace kavimo::maker
