// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtPlatform.h"

#include "platform/FileLookup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaObject>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <thread>

#include <dlfcn.h>

namespace kavimo {

namespace {

// The icon part of a message box style (MB_ICONSTOP and its siblings).
constexpr int kIconMask = 0xf0;
// Sleeps are cut into pieces no longer than this, so that any deadline converts safely.
constexpr double kLongestSleep = 60.0;

// Installed for the moment after a pause when the events queued during it are delivered:
// input is dropped, and timers and close requests, whose handlers would otherwise run
// nested inside the caller, are held back. Queued calls still run: Qt cannot deliver the
// window system's input without its posted events, and the game queues no calls.
class InputDrain : public QObject {
public:
    InputDrain() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputDrain() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputDrain(const InputDrain&) = delete;
    InputDrain& operator=(const InputDrain&) = delete;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->isInputEvent()) return true;  // mouse, keys, wheel, touch, tablet
        switch (event->type()) {
        case QEvent::Shortcut:
        case QEvent::Timer:  // a timer is still armed: it fires again at its next interval
            return true;
        case QEvent::Close:
            // A close asked for during the pause is asked for again once the caller is done.
            event->ignore();
            closeLater(target);
            return true;
        default:
            return false;
        }
    }

private:
    static void closeLater(QObject* target) {
        if (auto* widget = widgetOf(target)) {
            QMetaObject::invokeMethod(widget, &QWidget::close, Qt::QueuedConnection);
        } else if (auto* window = qobject_cast<QWindow*>(target)) {
            QMetaObject::invokeMethod(window, &QWindow::close, Qt::QueuedConnection);
        }
    }

    // A widget's own window passes queued calls on to the widget, so a call is queued on the
    // widget instead.
    static QWidget* widgetOf(QObject* target) {
        if (auto* widget = qobject_cast<QWidget*>(target)) return widget;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->windowHandle() == target) return widget;
        }
        return nullptr;
    }
};

// The sound module's file, beside the program file.
constexpr char kSoundModuleFile[] = "/kavimo_sound.so";

SoundFactory soundModuleIn(const QString& folder) {
    const QByteArray file = QFile::encodeName(folder + QLatin1String(kSoundModuleFile));
    return [file]() -> std::unique_ptr<SoundBackend> {
        // Never unloaded: SDL's threads and exit handlers live in it until the end.
        void* module = dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) return nullptr;
        const auto open = reinterpret_cast<OpenSoundFunction>(dlsym(module, kOpenSoundSymbol));
        return std::unique_ptr<SoundBackend>(open ? open() : nullptr);
    };
}

// Starts the sound output on the next turn of the event loop after the window's first paint,
// and then goes away.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget& window, DeferredSound& sound) : QObject(&window), sound_(sound) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            target->removeEventFilter(this);
            // Queued, so that the paint and the rest of it run first.
            QMetaObject::invokeMethod(
                this, [this] { sound_.start(); deleteLater(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    DeferredSound& sound_;
};

// Delivers, and so drops, the input that the window system queued while the thread slept.
void dropQueuedInput() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    const InputDrain drain;
    // Round trip to the window server first, so that every click made up to now is in the
    // queue and not still on its way.
    QGuiApplication::sync();
    QCoreApplication::processEvents();
}

}  // namespace

QtPlatform::QtPlatform(SoundFactory makeSound)
    : sound_(makeSound ? std::move(makeSound) : soundModuleIn(QCoreApplication::applicationDirPath())) {}

void QtPlatform::setUpSoundAfterFirstPaint(QWidget& window) {
    soundHeldBack_ = true;
    new AfterFirstPaint(window, sound_);  // owned by window
}

int32_t QtPlatform::sndPlaySoundA(const QString& path, uint32_t flags) {
    // The game only ever asks for SND_ASYNC, and every sound plays on here.
    (void)flags;
    // The OS's bytes: a name unpacked from an old Windows zip is no valid UTF-8.
    const QByteArray file = fs::nativePath(path);
    if (file.isEmpty()) return 0;
    if (!soundHeldBack_) sound_.start();
    return sound_.play(file) ? 1 : 0;
}

void QtPlatform::beep() {
    // The X bell is silent on most desktops; it only stands in when the game has no sound.
    if (!soundHeldBack_) sound_.start();
    if (!sound_.bell()) QApplication::beep();
}

void QtPlatform::messageBox(const QString& text, const QString& title, int style) {
    if (beforeMessageBox_) beforeMessageBox_();
    const QMessageBox::Icon icon =
        (style & kIconMask) == MB_ICONSTOP ? QMessageBox::Critical : QMessageBox::NoIcon;
    QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

double QtPlatform::clock() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(sinceStart).count();
}

void QtPlatform::sleepUntil(double deadline) {
    double now = clock();
    if (!(deadline > now)) return;
    while (now < deadline) {
        const double left = std::min(deadline - now, kLongestSleep);
        std::this_thread::sleep_for(std::chrono::ceil<std::chrono::nanoseconds>(
            std::chrono::duration<double>(left)));
        now = clock();
    }
    dropQueuedInput();
}

QString QtPlatform::applicationDir() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString resolved = QFileInfo(dir).canonicalFilePath();
    return resolved.isEmpty() ? dir : resolved;
}

}  // namespace kavimo
