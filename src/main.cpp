// SPDX-License-Identifier: GPL-3.0-or-later
// Kavimo: a picture-matching game for young children.
#include "platform/QtPlatform.h"
#include "shell/Form1.h"
#include "shell/WindowFonts.h"

#include <QApplication>

int main(int argc, char** argv) {
    std::jthread fontConfiguration = kavimo::fonts::readConfigurationInBackground();
    QApplication app(argc, argv);
    // Wayland compositors find the window's icon and menu entry through this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kavimo.kavimo"));
    const std::jthread fontLoader = kavimo::fonts::loadDatabaseInBackground(std::move(fontConfiguration));
    kavimo::QtPlatform platform;
    kavimo::Form1 form(platform);
    platform.setUpSoundAfterFirstPaint(form);
    form.Form_Load();
    // kavimo SET.dat: that set chosen first, as the set maker's "Play it now" starts it.
    if (const QStringList args = QApplication::arguments(); args.size() > 1) form.ChooseSet(args.at(1));
    form.show();
    return app.exec();
}
