// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker/MakerWindow.h"
#include "platform/QtPlatform.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Given nothing to do, it is the set maker's window, for those who never open a terminal.
    if (argc == 1) {
        kavimo::QtPlatform platform;
        kavimo::maker::MakerWindow window(platform);
        window.show();
        return app.exec();
    }
    std::puts("usage: kavimo-set make|check ...");
    return 2;
}
