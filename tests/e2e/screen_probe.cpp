// Reads colours out of a screenshot of the game's window.
//
//   e2e_screen_probe colours SHOT.png X,Y [X,Y ...]
//       prints the colour at each point as RRGGBB, one per line
//   e2e_screen_probe stray SHOT.png LEFT,TOP,WIDTH,HEIGHT
//       prints how many pixels outside that rectangle differ from the pixel at 0,0 (the
//       window's background), then their bounding box as LEFT,TOP,WIDTH,HEIGHT (or "none")
//   e2e_screen_probe spread SHOT.png LEFT,TOP,WIDTH,HEIGHT
//       prints the lowest and the highest colour value found in the rectangle, per channel:
//       "RMIN RMAX GMIN GMAX BMIN BMAX"
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

std::optional<std::vector<int>> numbers(const char* text, qsizetype count) {
    const QStringList parts = QString::fromLocal8Bit(text).split(',');
    if (parts.size() != count) return std::nullopt;
    std::vector<int> values;
    for (const QString& part : parts) {
        bool ok = false;
        values.push_back(part.toInt(&ok));
        if (!ok) return std::nullopt;
    }
    return values;
}

std::optional<QRect> rectangle(const char* text) {
    const auto v = numbers(text, 4);
    if (!v) return std::nullopt;
    return QRect((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
}

int colours(const QImage& shot, int count, char** points) {
    for (int i = 0; i < count; ++i) {
        const auto p = numbers(points[i], 2);
        if (!p || !shot.valid((*p)[0], (*p)[1])) {
            std::fprintf(stderr, "colours: %s is not a point of the picture\n", points[i]);
            return 2;
        }
        const QRgb c = shot.pixel((*p)[0], (*p)[1]);
        std::printf("%02X%02X%02X\n", qRed(c), qGreen(c), qBlue(c));
    }
    return 0;
}

int stray(const QImage& shot, const QRect& allowed) {
    const QRgb background = shot.pixel(0, 0);
    long count = 0;
    QRect box;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (allowed.contains(x, y) || shot.pixel(x, y) == background) continue;
            ++count;
            box |= QRect(x, y, 1, 1);
        }
    }
    if (count == 0) {
        std::printf("0 none\n");
    } else {
        std::printf("%ld %d,%d,%d,%d\n", count, box.x(), box.y(), box.width(), box.height());
    }
    return 0;
}

int spread(const QImage& shot, const QRect& area) {
    if (area.isEmpty() || !shot.rect().contains(area)) {
        std::fprintf(stderr, "spread: the rectangle is not inside the picture\n");
        return 2;
    }
    int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = shot.pixel(x, y);
            const int v[3] = {qRed(c), qGreen(c), qBlue(c)};
            for (int k = 0; k < 3; ++k) {
                low[k] = std::min(low[k], v[k]);
                high[k] = std::max(high[k], v[k]);
            }
        }
    }
    std::printf("%d %d %d %d %d %d\n", low[0], high[0], low[1], high[1], low[2], high[2]);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: e2e_screen_probe colours SHOT.png X,Y [X,Y ...]\n"
                 "       e2e_screen_probe stray SHOT.png LEFT,TOP,WIDTH,HEIGHT\n"
                 "       e2e_screen_probe spread SHOT.png LEFT,TOP,WIDTH,HEIGHT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return usage();
    const QString command = QString::fromLocal8Bit(argv[1]);
    const QImage shot = QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
    if (shot.isNull()) {
        std::fprintf(stderr, "cannot read the picture %s\n", argv[2]);
        return 1;
    }
    if (command == "colours") return colours(shot, argc - 3, argv + 3);
    if (argc != 4) return usage();
    const auto area = rectangle(argv[3]);
    if (!area) return usage();
    if (command == "stray") return stray(shot, *area);
    if (command == "spread") return spread(shot, *area);
    return usage();
}
