// SPDX-License-Identifier: GPL-3.0-or-later
// Kavimo: a picture-matching game for young children.
#include "platform/FileLookup.h"
#include "platform/Platform.h"
#include "platform/QtPlatform.h"
#include "shell/Form1.h"
#include "shell/WindowFonts.h"

#include <QApplication>
#include <QLabel>

#include <cstdio>

int main(int argc, char** argv) {
    if (!kavimo::hasDisplay()) {
        std::fputs("kavimo: there is no display to show the game on (DISPLAY is not set).\n", stderr);
        return 1;
    }
    std::jthread fontConfiguration = kavimo::fonts::readConfigurationInBackground();
    QApplication app(argc, argv);
    // Wayland compositors find the window's icon and menu entry through this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kavimo.kavimo"));
    const std::jthread fontLoader = kavimo::fonts::loadDatabaseInBackground(std::move(fontConfiguration));
    kavimo::QtPlatform platform;
    platform.setBeforeMessageBox(&kavimo::fonts::useSystemConfiguration);
    kavimo::Form1 form(platform);
    platform.setUpSoundAfterFirstPaint(form);
    // kavimo SET.dat: that set chosen first, as the set maker's "Play it now" starts it. Taken
    // from where the game was started, before it moves into its own folder.
    // (QApplication has taken its own options out of argv.)
    if (argc > 1) form.ChooseFirst(kavimo::fs::absolute(kavimo::fs::decodePath(argv[1])));
    form.Form_Load();
    // A title beyond the window's font needs the system's fallback fonts from the first paint.
    if (!kavimo::fonts::shows(form.Label1->text())) kavimo::fonts::useSystemConfiguration();
    form.show();
    return app.exec();
}
