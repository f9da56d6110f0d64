// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker/MakerWindow.h"
#include "platform/QtPlatform.h"

#include <QApplication>

namespace kavimo::maker {

int runMakerWindow(int& argc, char** argv) {
    QApplication app(argc, argv);
    // The menu entry's name, so that Wayland shows the set maker's own icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kavimo.setmaker"));
    loadTranslations();
    QtPlatform platform;
    MakerWindow window(platform);
    window.show();
    return app.exec();
}

}  // namespace kavimo::maker
