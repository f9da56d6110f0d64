// The real platform: message boxes, the pause, sounds by the game's path names, folders.
#include "platform/QtPlatform.h"
#include "platform/SdlSound.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

namespace kavimo {
namespace {

using test::TempDir;

struct SeenBox {
    bool opened = false;
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* parent = nullptr;
};

// Looks at the message box as soon as it is open, then presses its OK button.
void pressOkWhenBoxOpens(SeenBox& seen) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll->stop();
        poll->deleteLater();
        seen = {true, box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
                box->parentWidget()};
        box->button(QMessageBox::Ok)->click();
    });
    poll->start(5);
}

struct BoxCase {
    int style;
    QMessageBox::Icon icon;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << "style " << c.style; }

class QtPlatformMessageBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(QtPlatformMessageBox, showsTheTextAndTitleWithOneOkButton) {
    QtPlatform platform;
    SeenBox seen;
    pressOkWhenBoxOpens(seen);
    platform.messageBox(QString::fromUtf8("ﾃﾞｰﾀﾌｧｲﾙが見つかりませんでした。"),
                        QString::fromUtf8("ｴﾗｰ"), GetParam().style);

    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(seen.text, QString::fromUtf8("ﾃﾞｰﾀﾌｧｲﾙが見つかりませんでした。"));
    EXPECT_EQ(seen.title, QString::fromUtf8("ｴﾗｰ"));
    EXPECT_EQ(seen.icon, GetParam().icon);
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

INSTANTIATE_TEST_SUITE_P(Styles, QtPlatformMessageBox,
                         ::testing::Values(BoxCase{MB_OK + MB_ICONSTOP, QMessageBox::Critical},
                                           BoxCase{MB_OK, QMessageBox::NoIcon}));

TEST(QtPlatform, aMessageBoxBelongsToTheActiveWindow) {
    QtPlatform platform;
    QWidget window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    SeenBox seen;
    pressOkWhenBoxOpens(seen);
    platform.messageBox("text", "title", MB_OK);
    EXPECT_EQ(seen.parent, &window);
}

TEST(QtPlatform, thePauseLastsUntilTheDeadline) {
    QtPlatform platform;
    const double deadline = platform.clock() + 0.05;
    platform.sleepUntil(deadline);
    EXPECT_GE(platform.clock(), deadline);
}

// A button whose clicks are counted, and a click on it waiting in the event queue.
struct QueuedClick {
    QPushButton button{"card"};
    int clicks = 0;

    QueuedClick() {
        button.resize(100, 100);
        button.show();
        QObject::connect(&button, &QPushButton::clicked, [this] { ++clicks; });
        const QPointF at(50, 50);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QCoreApplication::postEvent(
                &button, new QMouseEvent(type, at, button.mapToGlobal(at), Qt::LeftButton,
                                         type == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                          : Qt::NoButton,
                                         Qt::NoModifier));
        }
    }
};

TEST(QtPlatform, aClickQueuedBeforeThePauseEndsIsDropped) {
    QtPlatform platform;
    QueuedClick queued;
    platform.sleepUntil(platform.clock() + 0.02);
    QCoreApplication::processEvents();
    EXPECT_EQ(queued.clicks, 0);
}

TEST(QtPlatform, aQueuedClickWithoutPauseIsDelivered) {
    QueuedClick queued;
    QCoreApplication::processEvents();
    EXPECT_EQ(queued.clicks, 1);
}

TEST(QtPlatform, aTimerDueDuringThePauseFiresOnlyAfterIt) {
    QtPlatform platform;
    bool fired = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] { fired = true; });
    timer.start(0);
    platform.sleepUntil(platform.clock() + 0.02);
    EXPECT_FALSE(fired);
    for (int i = 0; i < 100 && !fired; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(fired);
}

class ClosingWidget : public QWidget {
public:
    int closeEvents = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closeEvents;
        QWidget::closeEvent(event);
    }
};

struct CloseCase {
    const char* name;
    std::function<void(ClosingWidget&)> askToClose;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class QtPlatformPause : public ::testing::TestWithParam<CloseCase> {};

TEST_P(QtPlatformPause, holdsBackACloseRequestUntilItIsOver) {
    QtPlatform platform;
    ClosingWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    GetParam().askToClose(window);

    platform.sleepUntil(platform.clock() + 0.02);
    EXPECT_EQ(window.closeEvents, 0);
    EXPECT_TRUE(window.isVisible());

    for (int i = 0; i < 10 && window.isVisible(); ++i) QCoreApplication::processEvents();
    EXPECT_EQ(window.closeEvents, 1);
    EXPECT_FALSE(window.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Requests, QtPlatformPause,
    ::testing::Values(
        CloseCase{"ByTheProgram",
                  [](ClosingWidget& w) {
                      QMetaObject::invokeMethod(&w, &QWidget::close, Qt::QueuedConnection);
                  }},
        CloseCase{"ByTheWindowSystem",
                  [](ClosingWidget& w) {
                      QCoreApplication::postEvent(w.windowHandle(), new QCloseEvent);
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QtPlatform, playsASoundByTheGamesPathName) {
    TempDir tmp;
    tmp.writeWav("Data/Asonde00@22.wav");
    QtPlatform platform(openSdlSound);
    EXPECT_EQ(platform.sndPlaySoundA(tmp.path() + "\\DATA\\asonde00@22.wav", SND_ASYNC), 1);
    EXPECT_EQ(platform.sndPlaySoundA(tmp.path() + "\\Data\\missing.wav", SND_ASYNC), 0);
    EXPECT_EQ(platform.sndPlaySoundA("C:\\Windows\\Media\\ding.wav", SND_ASYNC), 0);
}

TEST(QtPlatform, theApplicationFolderHoldsTheProgramFile) {
    QtPlatform platform;
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    EXPECT_TRUE(QFileInfo(platform.applicationDir() + "/" + program).isFile());
}

}  // namespace
}  // namespace kavimo
