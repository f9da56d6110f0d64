// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "maker/MakerWindow.h"
#include "platform/QtPlatform.h"

namespace kavimo::maker {

int runMakerWindow(int& argc, char** argv) {
    QApplication app(argc, argv);
    loadTranslations();
    QtPlatform platform;
    MakerWindow window(platform);
    window.show();
    return app.exec();
}

}  // namespace kavimo::maker
