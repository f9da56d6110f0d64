// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the window's fonts as the game does and draws the window's texts, in its fonts,
// before and after the system's font configuration has taken over. Prints how many font
// families Qt lists at each point and whether the window's font shows TEXT.
//
// usage: font_probe BEFORE.png AFTER.png TEXT
#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "shell/WindowFonts.h"

int main(int argc, char** argv) {
    std::jthread configuration = kavimo::fonts::readConfigurationInBackground();
    QApplication app(argc, argv);
    if (argc != 4) return 2;
    const std::jthread loader = kavimo::fonts::loadDatabaseInBackground(std::move(configuration));
    const QString text = QString::fromUtf8(argv[3]);
    const auto draw = [&](const char* file) {
        QImage image(320, 64, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(kavimo::fonts::window());
        painter.drawText(4, 20, QStringLiteral("スタート ") + text);
        painter.setFont(kavimo::fonts::browser());
        painter.drawText(4, 52, QStringLiteral("<< >>"));
        painter.end();
        return image.save(QString::fromLocal8Bit(file));
    };
    const bool shows = kavimo::fonts::shows(text);
    if (!shows) kavimo::fonts::useSystemConfiguration();  // as the game does before its first paint
    if (!draw(argv[1])) return 1;
    std::printf("before %d shows %d\n", int(QFontDatabase::families().size()), shows);
    kavimo::fonts::useSystemConfiguration();
    if (!draw(argv[2])) return 1;
    std::printf("after %d\n", int(QFontDatabase::families().size()));
    return 0;
}
