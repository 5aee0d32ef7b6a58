// Global hot keys against a real X server: run by hotkeys_x11.sh inside its own Xvfb session, with
// GRAB_KEY_HELPER naming the helper that holds combinations like another application.
#include "Foundation/Log.h"
#include "HotKeys/HotKeyController.h"
#include "Platform/Platform.h"
#include "Platform/X11/X11GlobalHotKeys.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

using tessary::HotKeyCombination;
using tessary::HotKeyModifiers;
using Result = HotKeyController::ApplyResult;
using Clock = std::chrono::steady_clock;

namespace {

const HotKeyCombination ctrlAltA = HotKeyCombination::defaultCombination();
const HotKeyCombination ctrlAltS{HotKeyModifiers::control | HotKeyModifiers::option, 1};
const HotKeyCombination superShiftX{HotKeyModifiers::command | HotKeyModifiers::shift, 7};

// Runs the event loop the way the application does, asleep until something arrives, until `done`
// holds or the time is up; a ticking timer wakes it to look at the clock.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 3000) {
    QElapsedTimer timer;
    timer.start();
    QTimer tick;
    tick.start(10);
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void settle(int ms = 150) {
    QElapsedTimer timer;
    timer.start();
    waitFor([&] { return timer.elapsed() >= ms; }, ms + 100);
}

// Another X client holding a combination until destroyed.
class OtherApplication {
public:
    OtherApplication(const char* keysym, const char* modifiers, const char* scope = "all") {
        m_process.start(qEnvironmentVariable("GRAB_KEY_HELPER"),
                        {QLatin1String(keysym), QLatin1String(modifiers), QLatin1String(scope)});
        m_process.waitForReadyRead(5000);
        m_answer = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~OtherApplication() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(2000)) {
            m_process.kill();
            m_process.waitForFinished(1000);
        }
    }
    bool holds() const { return m_answer == QLatin1String("grabbed"); }

private:
    QProcess m_process;
    QString m_answer;
};

// Whether a fresh client could take the whole combination, i.e. we hold no part of it.
bool freeForOthers(const char* keysym, const char* modifiers) {
    return OtherApplication(keysym, modifiers).holds();
}

// Runs `xdotool ARGS` without blocking the event loop.
bool xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return waitFor([&] { return process.state() == QProcess::NotRunning; }, 5000) && process.exitCode() == 0;
}

std::uint16_t serverModifierState() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
    const std::uint16_t mask = reply ? reply->mask : 0;
    std::free(reply);
    return mask;
}

// The X server's own clock, read through a second connection: a property change on a window of
// ours comes back stamped with the server time, in the same unit as key events (milliseconds).
class ServerClock {
public:
    ServerClock() : m_connection(xcb_connect(nullptr, nullptr)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_window = xcb_generate_id(m_connection);
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        const char name[] = "TESSARY_TEST_CLOCK";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        m_atom = atom ? atom->atom : XCB_ATOM_WM_NAME;
        std::free(atom);
    }
    ~ServerClock() { xcb_disconnect(m_connection); }

    xcb_timestamp_t now() {
        xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_window, m_atom, XCB_ATOM_STRING, 8, 0,
                            nullptr);
        xcb_flush(m_connection);
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_connection)) {
            const bool stamped = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
            const xcb_timestamp_t time =
                stamped ? reinterpret_cast<xcb_property_notify_event_t*>(event)->time : 0;
            std::free(event);
            if (stamped) {
                return time;
            }
        }
        return 0;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_window = 0;
    xcb_atom_t m_atom = XCB_ATOM_NONE;
};

class HotKeysX11 : public testing::Test {
protected:
    void SetUp() override {
        platform = Platform::createDefault();
        ASSERT_EQ(platform->name(), QStringLiteral("x11")) << "run under an X server";
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("GRAB_KEY_HELPER"));
        QSettings().clear();
        Log::setFilePath(logDir.filePath(QStringLiteral("log")));
    }
    void TearDown() override {
        controller.reset();
        QSettings().clear();
        Log::setFilePath(QString());
    }

    void makeController() {
        controller =
            std::make_unique<HotKeyController>(platform->globalHotKeys(), platform->systemShortcuts());
        QObject::connect(controller.get(), &HotKeyController::triggered, [this] {
            ++actions;
            actionTimes.push_back(Clock::now());
        });
    }

    // Presses the keys and waits until the action ran once more; then makes sure it runs no more.
    bool pressReachesActionOnce(const QString& keys) {
        const int before = actions;
        if (!xdotool({QStringLiteral("key"), keys}) || !waitFor([&] { return actions > before; })) {
            return false;
        }
        settle(100);
        return actions == before + 1;
    }

    QString log() {
        QFile file(logDir.filePath(QStringLiteral("log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir logDir;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<HotKeyController> controller;
    int actions = 0;
    std::vector<Clock::time_point> actionTimes;
};

TEST_F(HotKeysX11, StoredChoiceHeldByAnotherApplicationFallsBackToTheDefault) {
    QSettings().setValue(QStringLiteral("TessaryHotKeyCombination"), QStringLiteral("ctrl+opt:1"));
    OtherApplication other("0x73", "ctrl+alt");
    ASSERT_TRUE(other.holds());
    makeController();
    controller->activate();
    EXPECT_EQ(controller->active(), ctrlAltA);
    EXPECT_TRUE(controller->fellBackToDefault());
    EXPECT_EQ(QSettings().value(QStringLiteral("TessaryHotKeyCombination")).toString(),
              QStringLiteral("ctrl+opt:1"));
    EXPECT_TRUE(log().contains(QStringLiteral("全局热键：实际生效的是默认组合 ⌃⌥A。")));
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("ctrl+alt+a")));
    // The other application's combination reaches it, not us.
    EXPECT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+s")}));
    settle();
    EXPECT_EQ(actions, 1);
}

TEST_F(HotKeysX11, BothTakenRegistersNothing) {
    QSettings().setValue(QStringLiteral("TessaryHotKeyCombination"), QStringLiteral("ctrl+opt:1"));
    {
        OtherApplication holdsS("0x73", "ctrl+alt");
        OtherApplication holdsA("0x61", "ctrl+alt");
        ASSERT_TRUE(holdsS.holds() && holdsA.holds());
        makeController();
        controller->activate();
        EXPECT_EQ(controller->active(), std::nullopt);
        EXPECT_FALSE(controller->fellBackToDefault());
        EXPECT_TRUE(log().contains(
            QStringLiteral("全局热键注册失败：⌃⌥S 与默认组合都已被其他应用占用。请从菜单栏发起截图。")));
    }
    // Nothing of either combination stayed grabbed by us.
    EXPECT_TRUE(freeForOthers("0x73", "ctrl+alt"));
    EXPECT_TRUE(freeForOthers("0x61", "ctrl+alt"));
}

TEST_F(HotKeysX11, APartialHoldIsAConflictAndNothingStaysGrabbed) {
    {
        OtherApplication capsOnly("0x61", "ctrl+alt", "caps-only");
        ASSERT_TRUE(capsOnly.holds());
        makeController();
        controller->activate();
        EXPECT_EQ(controller->active(), std::nullopt);
    }
    EXPECT_TRUE(freeForOthers("0x61", "ctrl+alt"));
}

TEST_F(HotKeysX11, ApplyingATakenCombinationKeepsThePreviousOne) {
    makeController();
    controller->activate();
    ASSERT_EQ(controller->active(), ctrlAltA);
    OtherApplication other("0x78", "super+shift");
    ASSERT_TRUE(other.holds());
    EXPECT_EQ(controller->apply(superShiftX), Result::conflict());
    EXPECT_EQ(controller->active(), ctrlAltA);
    EXPECT_FALSE(QSettings().contains(QStringLiteral("TessaryHotKeyCombination")));
    EXPECT_TRUE(log().contains(QStringLiteral("全局热键：⇧⌘X 已被其他应用占用，保持原有热键。")));
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("ctrl+alt+a")));
}

TEST_F(HotKeysX11, ApplyingTheActiveCombinationDoesNotRewriteTheSetting) {
    makeController();
    controller->activate();
    EXPECT_EQ(controller->apply(ctrlAltA), Result::applied(ctrlAltA));
    EXPECT_FALSE(QSettings().contains(QStringLiteral("TessaryHotKeyCombination")));
    EXPECT_EQ(controller->apply(ctrlAltS), Result::applied(ctrlAltS));
    EXPECT_EQ(QSettings().value(QStringLiteral("TessaryHotKeyCombination")).toString(),
              QStringLiteral("ctrl+opt:1"));
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("ctrl+alt+s")));
    // The old combination was released for everyone else.
    EXPECT_TRUE(freeForOthers("0x61", "ctrl+alt"));
}

TEST_F(HotKeysX11, EveryPressReachesTheActionOnceWhateverLocksAreOn) {
    makeController();
    controller->activate();
    ASSERT_EQ(controller->active(), ctrlAltA);
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("ctrl+alt+a")));

    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")}));
    ASSERT_TRUE(serverModifierState() & XCB_MOD_MASK_LOCK);
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("ctrl+alt+a")));

    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")}));
    ASSERT_TRUE(serverModifierState() & XCB_MOD_MASK_2);
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("ctrl+alt+a")));

    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")}));
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("ctrl+alt+a")));
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")}));
    EXPECT_EQ(serverModifierState() & (XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2), 0);

    // Other modifiers or the bare key are not the hot key.
    for (const char* keys : {"ctrl+a", "alt+a", "a", "ctrl+alt+shift+a", "ctrl+alt+b"}) {
        EXPECT_TRUE(xdotool({QStringLiteral("key"), QLatin1String(keys)}));
    }
    settle();
    EXPECT_EQ(actions, 4);
}

TEST_F(HotKeysX11, FunctionKeysAndSuperWork) {
    makeController();
    controller->activate();
    EXPECT_EQ(controller->apply(HotKeyCombination{{}, 100}), Result::applied(HotKeyCombination{{}, 100}));
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("F8")));
    EXPECT_EQ(controller->apply(superShiftX), Result::applied(superShiftX));
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("super+shift+x")));
    EXPECT_TRUE(freeForOthers("0xffc5", "none"));
}

TEST_F(HotKeysX11, GrabsFollowAKeyboardMappingChange) {
    makeController();
    controller->activate();
    // Put "a" on another key (the one that typed "b"), as a layout switch would.
    ASSERT_EQ(QProcess::execute(QStringLiteral("xmodmap"),
                                {QStringLiteral("-e"), QStringLiteral("keycode 56 = a A"),
                                 QStringLiteral("-e"), QStringLiteral("keycode 38 = b B")}),
              0);
    settle(300);
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("ctrl+alt+a")));
    EXPECT_EQ(QProcess::execute(QStringLiteral("xmodmap"),
                                {QStringLiteral("-e"), QStringLiteral("keycode 38 = a A"),
                                 QStringLiteral("-e"), QStringLiteral("keycode 56 = b B")}),
              0);
    settle(300);
    EXPECT_TRUE(pressReachesActionOnce(QStringLiteral("ctrl+alt+a")));
}

TEST_F(HotKeysX11, PressToActionLatency) {
    ServerClock serverClock;
    std::vector<xcb_timestamp_t> serverTimes;
    controller = std::make_unique<HotKeyController>(platform->globalHotKeys(), platform->systemShortcuts());
    QObject::connect(controller.get(), &HotKeyController::triggered, [&] {
        ++actions;
        actionTimes.push_back(Clock::now());
        serverTimes.push_back(serverClock.now());
    });
    controller->activate();
    auto& backend = static_cast<X11GlobalHotKeys&>(platform->globalHotKeys());
    std::vector<double> fromServer;
    std::vector<double> fromEvent;
    std::vector<double> fromSend;
    for (int i = 0; i < 50; ++i) {
        const auto sent = Clock::now();
        ASSERT_TRUE(pressReachesActionOnce(QStringLiteral("ctrl+alt+a"))) << "press " << i;
        const auto acted = actionTimes.back();
        fromServer.push_back(static_cast<double>(serverTimes.back() - backend.lastPressServerTime()));
        fromEvent.push_back(
            std::chrono::duration<double, std::milli>(acted - backend.lastPressArrival()).count());
        fromSend.push_back(std::chrono::duration<double, std::milli>(acted - sent).count());
    }
    auto report = [](const char* name, std::vector<double> values) {
        std::sort(values.begin(), values.end());
        const auto over5 = std::count_if(values.begin(), values.end(), [](double v) { return v >= 5; });
        std::printf(
            "latency %s over %zu presses: median %.3f ms, p95 %.3f ms, max %.3f ms, %td at 5 ms or more\n",
            name, values.size(), values[values.size() / 2], values[values.size() * 95 / 100], values.back(),
            over5);
        return values.back();
    };
    report("X server key event to action (server clock, 1 ms steps)", fromServer);
    report("key event handled to action", fromEvent);
    report("xdotool start to action", fromSend);
    EXPECT_EQ(actions, 50);
}

} // namespace
