#include "platform/QtPlatform.h"

#include "platform/FileLookup.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaObject>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <thread>

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

int32_t QtPlatform::sndPlaySoundA(const QString& path, uint32_t flags) {
    // The game only ever asks for SND_ASYNC, and every sound plays on here.
    (void)flags;
    const QString file = fs::resolve(path);
    if (file.isEmpty()) return 0;
    return sound_.play(file) ? 1 : 0;
}

void QtPlatform::beep() { QApplication::beep(); }

void QtPlatform::messageBox(const QString& text, const QString& title, int style) {
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
