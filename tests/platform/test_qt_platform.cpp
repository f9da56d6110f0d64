// SPDX-License-Identifier: GPL-3.0-or-later
// The real platform's message boxes, its pause, which takes no input and runs nothing
// until it is over, and its sound without the sound module.
#include "platform/QtPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace kavimo {
namespace {

TEST(QtPlatform, ShowsAMessageOverTheGameWithOneOkButtonAndTheIconItsStyleAsksFor) {
    QWidget game;
    game.show();
    const struct { int style; QMessageBox::Icon icon; } styles[] = {
        {.style = MB_OK + MB_ICONSTOP, .icon = QMessageBox::Critical},
        {.style = MB_OK, .icon = QMessageBox::NoIcon}};
    for (const auto& s : styles) {
        game.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&game));
        QString seen;
        QTimer::singleShot(0, [&] {  // looks at the box, open by then, and presses OK
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            seen = QString("%1 %2 icon %3 buttons %4 over the game %5").arg(box->windowTitle(), box->text());
            seen = seen.arg(box->icon()).arg(int(box->standardButtons())).arg(box->parentWidget() == &game);
            box->button(QMessageBox::Ok)->click();
        });
        QtPlatform().messageBox("ﾃﾞｰﾀﾌｧｲﾙが見つかりませんでした。", "ｴﾗｰ", s.style);
        const QString wanted = "ｴﾗｰ ﾃﾞｰﾀﾌｧｲﾙが見つかりませんでした。 icon %1 buttons %2 over the game 1";
        EXPECT_EQ(seen.toStdString(), wanted.arg(s.icon).arg(int(QMessageBox::Ok)).toStdString());
    }
}

// A click, a timer and two requests to close, all queued before a pause ends: the click
// is dropped, the timer fires and the window closes only once the pause is over.
TEST(QtPlatform, ThePauseDropsClicksAndHoldsTimersAndClosingBackUntilItIsOver) {
    struct Window : QWidget {
        int closeEvents = 0;
        void closeEvent(QCloseEvent* event) override { ++closeEvents, QWidget::closeEvent(event); }
    };
    const QPointF at(10, 10);  // on the card, whose size is a child widget's default of 100 x 30
    for (const bool pause : {false, true}) {
        Window window;
        QPushButton card("card", &window);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        int clicks = 0, timers = 0;
        QObject::connect(&card, &QPushButton::clicked, [&] { ++clicks; });
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(&card, new QMouseEvent(type, at, at, Qt::LeftButton, {}, {}));
        QTimer::singleShot(1, &window, [&] { ++timers; });
        if (pause) {
            QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection);  // by the program
            QCoreApplication::postEvent(window.windowHandle(), new QCloseEvent);  // by the window system
            QtPlatform platform;
            platform.sleepUntil(platform.clock() + 0.02);
            EXPECT_EQ(timers + window.closeEvents, 0);
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return timers == 1; }, 1000)) << pause;  // the click comes before
        EXPECT_EQ(clicks, pause ? 0 : 1);
        EXPECT_EQ(window.closeEvents, pause ? 1 : 0);
    }
}

TEST(QtPlatform, WithoutTheSoundModuleBesideTheProgramTheGameGoesOnSilently) {
    // A good cue, in a folder that lasts until the call is over.
    EXPECT_EQ(QtPlatform().sndPlaySoundA(test::TempDir().writeWav("cue.wav"), SND_ASYNC), 0);
}

}  // namespace
}  // namespace kavimo
