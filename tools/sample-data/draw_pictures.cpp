// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the pictures of the sample sets, the closing sea picture and the window icon.
//
// Reads one job per line from standard input, fields separated by tabs:
//   picture <side> <index> emoji <text> <out>      an emoji on a pale square
//   picture <side> <index> <shape> <#rrggbb> <out> shape: circle, triangle or star
//   sea <out>                                       the closing picture
//   icon <out>                                      the 32 x 32 window icon
//   icon <side> <out>                               the same icon, side x side (menu icons)
//   maker-icon <side> <out>                         the set maker's icon: the cards and a pencil
// The index only picks the pale background, so neighbouring pairs differ. Output files
// ending in ".jpg" are baseline JPEGs of a fixed quality, anything else is PNG.
// Exits non-zero on the first job it cannot do, so a missing font never goes unnoticed.

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <optional>

namespace {

constexpr int kJpegQuality = 85;

// The emoji font's bitmaps are 136 x 128 at this size; drawing at it avoids a double scaling.
constexpr int kEmojiDrawSize = 109;
constexpr int kEmojiCanvas = 192;
constexpr int kInkAlphaThreshold = 8;

// Share of the card side the picture may fill; the rest stays background so the picture
// still shows inside the red selection frame.
constexpr double kPictureShare = 0.80;

constexpr int kSeaWidth = 300;
constexpr int kSeaHeight = 220;

constexpr int kIconSide = 32;
constexpr int kIconOversample = 8;

const QString kEmojiFamily = QStringLiteral("Noto Color Emoji");

void fail(const QString& message) {
    std::fprintf(stderr, "draw_pictures: %s\n", qPrintable(message));
    std::exit(1);
}

// Pale, evenly spread hues: the golden ratio keeps consecutive indices far apart.
QColor paleBackground(int index) {
    const double hue = std::fmod(0.11 + index * 0.6180339887, 1.0);
    return QColor::fromHsvF(static_cast<float>(hue), 0.16f, 1.0f);
}

QImage newCanvas(int width, int height, QColor fill) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

// Renders emoji text and crops it to its ink, so every picture can be centred on what
// is actually drawn, whatever the font's metrics say.
class EmojiRenderer {
public:
    EmojiRenderer() : font_(kEmojiFamily) {
        font_.setPixelSize(kEmojiDrawSize);
        if (QFontInfo(font_).family() != kEmojiFamily)
            fail(QStringLiteral("font \"%1\" not found (Debian package fonts-noto-color-emoji)")
                     .arg(kEmojiFamily));
    }

    QImage render(const QString& text) const {
        checkGlyphs(text);
        QImage canvas = newCanvas(kEmojiCanvas, kEmojiCanvas, Qt::transparent);
        {
            QPainter painter(&canvas);
            painter.setFont(font_);
            painter.drawText(canvas.rect(), Qt::AlignCenter, text);
        }
        const std::optional<QRect> ink = inkBounds(canvas);
        if (!ink) fail(QStringLiteral("emoji \"%1\" drew nothing").arg(text));
        return canvas.copy(*ink);
    }

private:
    void checkGlyphs(const QString& text) const {
        const QFontMetrics metrics(font_);
        for (const char32_t code : text.toUcs4()) {
            const bool selector = code == 0xFE0F || code == 0x200D;
            if (!selector && !metrics.inFontUcs4(code))
                fail(QStringLiteral("U+%1 is not in the emoji font").arg(code, 4, 16, QChar('0')));
        }
    }

    static std::optional<QRect> inkBounds(const QImage& image) {
        int left = image.width(), top = image.height(), right = -1, bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(row[x]) < kInkAlphaThreshold) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        if (right < 0) return std::nullopt;
        return QRect(QPoint(left, top), QPoint(right, bottom));
    }

    QFont font_;
};

// Draws ink scaled to fit the central share of a square card, centred.
void drawCentred(QPainter& painter, int side, const QImage& ink) {
    const double box = side * kPictureShare;
    const QSize fitted = ink.size().scaled(QSize(qRound(box), qRound(box)), Qt::KeepAspectRatio);
    const QImage scaled = ink.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.drawImage(QPoint((side - fitted.width()) / 2, (side - fitted.height()) / 2), scaled);
}

QPolygonF starPolygon(QPointF centre, double outer, double inner) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? outer : inner;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        star << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    return star;
}

// A friendly face, so the shapes look like little characters rather than diagrams.
void drawFace(QPainter& painter, QPointF centre, double size) {
    const QColor ink(40, 40, 60);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    const double eyeGap = size * 0.17, eyeRadius = size * 0.045;
    painter.drawEllipse(centre + QPointF(-eyeGap, -size * 0.06), eyeRadius, eyeRadius);
    painter.drawEllipse(centre + QPointF(eyeGap, -size * 0.06), eyeRadius, eyeRadius);
    QPen smile(ink, std::max(1.5, size * 0.035), Qt::SolidLine, Qt::RoundCap);
    painter.setPen(smile);
    painter.setBrush(Qt::NoBrush);
    const QRectF mouth(centre.x() - size * 0.13, centre.y() - size * 0.04, size * 0.26, size * 0.2);
    painter.drawArc(mouth, 200 * 16, 140 * 16);
}

std::optional<QImage> drawShape(int side, const QString& kind, QColor colour, QColor background) {
    QImage image = newCanvas(side, side, background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double size = side * kPictureShare;
    const QPointF centre(side / 2.0, side / 2.0);
    painter.setPen(
        QPen(colour.darker(150), std::max(1.5, side * 0.03), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(colour);
    QPointF faceCentre = centre;
    if (kind == QLatin1String("circle")) {
        painter.drawEllipse(centre, size / 2, size / 2);
    } else if (kind == QLatin1String("triangle")) {
        const double height = size * std::sqrt(3.0) / 2;
        const double top = centre.y() - height * 0.55;
        painter.drawPolygon(QPolygonF{
            {centre.x(), top}, {centre.x() + size / 2, top + height}, {centre.x() - size / 2, top + height}});
        faceCentre.ry() += height * 0.15;
    } else if (kind == QLatin1String("star")) {
        painter.drawPolygon(starPolygon(centre + QPointF(0, size * 0.04), size / 2, size * 0.23));
        faceCentre.ry() += size * 0.06;
        drawFace(painter, faceCentre, size * 0.75);
        return image;
    } else {
        return std::nullopt;
    }
    drawFace(painter, faceCentre, size);
    return image;
}

QImage drawPicture(const EmojiRenderer& emoji, int side, int index, const QString& kind,
                   const QString& argument) {
    if (side < 16 || side > 512) fail(QStringLiteral("card side %1 out of range").arg(side));
    const QColor background = paleBackground(index);
    if (kind == QLatin1String("emoji")) {
        QImage image = newCanvas(side, side, background);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        drawCentred(painter, side, emoji.render(argument));
        return image;
    }
    const QColor colour = QColor::fromString(argument);
    if (!colour.isValid()) fail(QStringLiteral("bad colour \"%1\"").arg(argument));
    const std::optional<QImage> shape = drawShape(side, kind, colour, background);
    if (!shape) fail(QStringLiteral("unknown picture kind \"%1\"").arg(kind));
    return *shape;
}

void drawEmojiAt(QPainter& painter, const EmojiRenderer& emoji, const QString& text, QPointF centre,
                 double size, bool mirrored = false) {
    QImage ink = emoji.render(text);
    if (mirrored) ink = ink.mirrored(true, false);
    const QSize fitted = ink.size().scaled(QSize(qRound(size), qRound(size)), Qt::KeepAspectRatio);
    const QImage scaled = ink.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.drawImage(centre - QPointF(fitted.width() / 2.0, fitted.height() / 2.0), scaled);
}

QPainterPath wave(double y, double amplitude, double length, double phase, int width) {
    QPainterPath path;
    path.moveTo(0, y + amplitude * std::sin(phase));
    for (int x = 2; x <= width; x += 2)
        path.lineTo(x, y + amplitude * std::sin(phase + 2 * std::numbers::pi * x / length));
    return path;
}

QImage drawSea(const EmojiRenderer& emoji) {
    const int width = kSeaWidth, height = kSeaHeight;
    const double horizon = 108;
    QImage image = newCanvas(width, height, Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, QColor(120, 190, 245));
    sky.setColorAt(1, QColor(215, 238, 252));
    painter.fillRect(QRectF(0, 0, width, horizon), sky);

    QRadialGradient glow(QPointF(248, 40), 42);
    glow.setColorAt(0, QColor(255, 245, 170, 200));
    glow.setColorAt(1, QColor(255, 245, 170, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(248, 40), 42, 42);
    painter.setBrush(QColor(255, 214, 60));
    painter.drawEllipse(QPointF(248, 40), 20, 20);

    painter.setBrush(QColor(255, 255, 255, 235));
    for (const QPointF cloud : {QPointF(60, 30), QPointF(150, 52)}) {
        painter.drawEllipse(cloud, 22, 11);
        painter.drawEllipse(cloud + QPointF(-16, 4), 14, 9);
        painter.drawEllipse(cloud + QPointF(17, 3), 15, 9);
        painter.drawEllipse(cloud + QPointF(2, -7), 13, 10);
    }

    QLinearGradient water(0, horizon, 0, height);
    water.setColorAt(0, QColor(64, 156, 220));
    water.setColorAt(1, QColor(18, 82, 160));
    painter.fillRect(QRectF(0, horizon, width, height - horizon), water);

    QPainterPath sand;
    sand.moveTo(0, height);
    sand.lineTo(0, 196);
    sand.cubicTo(70, 184, 150, 206, 210, 200);
    sand.cubicTo(250, 196, 280, 190, width, 192);
    sand.lineTo(width, height);
    sand.closeSubpath();
    painter.fillPath(sand, QColor(244, 222, 164));

    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 5; ++i) {
        const double y = horizon + 12 + i * 17;
        painter.setPen(
            QPen(QColor(255, 255, 255, 150 - i * 15), 2.0 - i * 0.15, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(wave(y, 2.5, 38 + i * 6, i * 1.3, width));
    }

    drawEmojiAt(painter, emoji, QStringLiteral("⛵"), QPointF(78, horizon - 16), 40);
    drawEmojiAt(painter, emoji, QStringLiteral("🐳"), QPointF(200, horizon + 46), 58);
    drawEmojiAt(painter, emoji, QStringLiteral("🐠"), QPointF(58, 160), 30, true);
    drawEmojiAt(painter, emoji, QStringLiteral("🐙"), QPointF(120, 168), 28);
    drawEmojiAt(painter, emoji, QStringLiteral("🦀"), QPointF(38, 203), 26);
    drawEmojiAt(painter, emoji, QStringLiteral("🐚"), QPointF(262, 202), 22);
    return image;
}

// Two playing cards, one turned over the other, the front one with a heart: drawn large
// and scaled down so the small icon keeps smooth edges. Laid out on a 32-unit grid.
QImage drawIcon(int side = kIconSide) {
    const int big = side * kIconOversample;
    const double unit = static_cast<double>(big) / kIconSide;
    QImage image = newCanvas(big, big, Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF card(-8 * unit, -11 * unit, 16 * unit, 22 * unit);
    const double corner = 3 * unit;
    const QPen edge(QColor(60, 60, 90), 1.2 * unit);

    painter.save();
    painter.translate(10.5 * unit, 15 * unit);
    painter.rotate(-16);
    painter.setPen(edge);
    painter.setBrush(QColor(90, 170, 240));
    painter.drawRoundedRect(card, corner, corner);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1.0 * unit));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(card.adjusted(2.5 * unit, 2.5 * unit, -2.5 * unit, -2.5 * unit), 1.5 * unit,
                            1.5 * unit);
    painter.restore();

    painter.save();
    painter.translate(21 * unit, 17 * unit);
    painter.rotate(12);
    painter.setPen(edge);
    painter.setBrush(QColor(255, 250, 235));
    painter.drawRoundedRect(card, corner, corner);
    QPainterPath heart;
    const double s = 5.6 * unit;
    heart.moveTo(0, s * 0.95);
    heart.cubicTo(-s * 1.5, -s * 0.1, -s * 0.9, -s * 1.25, 0, -s * 0.45);
    heart.cubicTo(s * 0.9, -s * 1.25, s * 1.5, -s * 0.1, 0, s * 0.95);
    painter.setPen(QPen(QColor(170, 20, 50), 0.8 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(235, 50, 80));
    painter.drawPath(heart);
    painter.restore();
    painter.end();

    return image.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The game's cards with a pencil over their lower right corner: making a set of one's own.
QImage drawMakerIcon(const EmojiRenderer& emoji, int side) {
    QImage image = drawIcon(side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    drawEmojiAt(painter, emoji, QStringLiteral("✏️"), QPointF(side * 0.68, side * 0.68), side * 0.56);
    return image;
}

constexpr int kIconSideMax = 1024;

int iconSide(const QString& field) {
    bool ok = false;
    const int side = field.toInt(&ok);
    if (!ok || side < 16 || side > kIconSideMax) fail(QStringLiteral("bad icon side \"%1\"").arg(field));
    return side;
}

void save(const QImage& image, const QString& path) {
    const bool jpeg = path.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
    QImageWriter writer(path, jpeg ? "jpeg" : "png");
    if (jpeg) {
        writer.setQuality(kJpegQuality);
        writer.setProgressiveScanWrite(false);
        writer.setOptimizedWrite(true);
    }
    // JPEG has no alpha; flatten so transparent corners never turn black.
    const QImage out = jpeg ? image.convertToFormat(QImage::Format_RGB32) : image;
    if (!writer.write(out)) fail(QStringLiteral("cannot write %1: %2").arg(path, writer.errorString()));
}

void runJob(const EmojiRenderer& emoji, const QStringList& fields) {
    const QString& job = fields.value(0);
    if (job == QLatin1String("picture") && fields.size() == 6) {
        bool sideOk = false, indexOk = false;
        const int side = fields[1].toInt(&sideOk);
        const int index = fields[2].toInt(&indexOk);
        if (!sideOk || !indexOk) fail(QStringLiteral("bad numbers in job: %1").arg(fields.join(' ')));
        save(drawPicture(emoji, side, index, fields[3], fields[4]), fields[5]);
    } else if (job == QLatin1String("sea") && fields.size() == 2) {
        save(drawSea(emoji), fields[1]);
    } else if (job == QLatin1String("icon") && fields.size() == 2) {
        save(drawIcon(), fields[1]);
    } else if (job == QLatin1String("icon") && fields.size() == 3) {
        save(drawIcon(iconSide(fields[1])), fields[2]);
    } else if (job == QLatin1String("maker-icon") && fields.size() == 3) {
        save(drawMakerIcon(emoji, iconSide(fields[1])), fields[2]);
    } else {
        fail(QStringLiteral("bad job: %1").arg(fields.join(' ')));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const EmojiRenderer emoji;

    QTextStream input(stdin);
    input.setEncoding(QStringConverter::Utf8);
    QString line;
    while (input.readLineInto(&line)) {
        if (line.isEmpty()) continue;
        runJob(emoji, line.split(QLatin1Char('\t')));
    }
    return 0;
}
