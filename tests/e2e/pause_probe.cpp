// A window for trying the platform's pause with real clicks: the top button's handler
// waits one second with QtPlatform::sleepUntil, the bottom button ends the probe. On exit
// it prints how many times the top button's handler ran.
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kavimo::QtPlatform platform;

    QWidget window;
    window.setWindowTitle("Kavimo pause probe");
    window.setFixedSize(200, 200);
    QPushButton pause("Pause", &window);
    pause.setGeometry(0, 0, 200, 100);
    QPushButton quit("Quit", &window);
    quit.setGeometry(0, 100, 200, 100);

    int runs = 0;
    QObject::connect(&pause, &QPushButton::clicked, [&] {
        ++runs;
        pause.repaint();
        platform.sleepUntil(platform.clock() + 1.0);
    });
    QObject::connect(&quit, &QPushButton::clicked, &app, &QApplication::quit);

    window.show();
    const int status = app.exec();
    std::printf("pause handler runs: %d\n", runs);
    return status;
}
