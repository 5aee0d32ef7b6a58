#include "Foundation/L10n.h"
#include "HotKeys/HotKeyQtKeys.h"
#include "HotKeys/HotKeyRecorderView.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

using tessary::HotKeyCombination;
using tessary::HotKeyModifiers;
using Result = HotKeyController::ApplyResult;
using Message = HotKeyRecorderView::Message;

namespace {

constexpr HotKeyModifiers ctrl = HotKeyModifiers::control;
constexpr HotKeyModifiers opt = HotKeyModifiers::option;
constexpr HotKeyModifiers shift = HotKeyModifiers::shift;
constexpr HotKeyModifiers cmd = HotKeyModifiers::command;

struct Key {
    QEvent::Type type;
    int key;
    Qt::KeyboardModifiers modifiers;
};
Key press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return {QEvent::KeyPress, key, modifiers};
}
Key release(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return {QEvent::KeyRelease, key, modifiers};
}

// A recorder in a window, recording, with every callback counted.
struct Harness {
    Harness() {
        window.resize(300, 60);
        view = new HotKeyRecorderView(&window);
        view->setCombination(HotKeyCombination::defaultCombination());
        view->onRecordingStateChange = [this](bool recording) { states.push_back(recording); };
        view->onMessageChange = [this](const std::optional<Message>& message) {
            messages.push_back(message);
        };
        view->onRecord = [this](const HotKeyCombination& combination) {
            recorded.push_back(combination);
            return result(combination);
        };
    }

    void send(const Key& key) {
        // Delivered to the window first, as the platform does; the recorder must see it anyway.
        QKeyEvent event(key.type, key.key, key.modifiers);
        QApplication::sendEvent(&window, &event);
    }

    QWidget window;
    HotKeyRecorderView* view = nullptr;
    std::function<Result(const HotKeyCombination&)> result = [](const HotKeyCombination& c) {
        return Result::applied(c);
    };
    std::vector<bool> states;
    std::vector<std::optional<Message>> messages;
    std::vector<HotKeyCombination> recorded;
};

const QString warning = QStringLiteral("exclamationmark.triangle.fill");

TEST(HotKeyRecorderViewTest, KeyPressesWhileRecording) {
    struct Case {
        const char* name;
        std::vector<Key> keys;
        Result outcome;
        std::vector<HotKeyCombination> recorded;
        bool stillRecording;
        std::optional<HotKeyCombination> shown;
        std::optional<Message> message;
    };
    const HotKeyCombination old = HotKeyCombination::defaultCombination();
    const HotKeyCombination shiftCmdX{shift | cmd, 7};
    const auto conflict = [](const QString& display) {
        return Message{warning, L10n::format(QStringLiteral("prefs.hotkey.conflict"), {display})};
    };
    const std::vector<Case> cases = {
        {"shift+A needs a modifier",
         {press(Qt::Key_Shift), press(Qt::Key_A, Qt::ShiftModifier)},
         Result::applied({}),
         {},
         true,
         old,
         Message{warning, L10n::text(QStringLiteral("prefs.hotkey.needsModifier"))}},
        {"escape alone cancels", {press(Qt::Key_Escape)}, Result::applied({}), {}, false, old, std::nullopt},
        {"super+escape records",
         {press(Qt::Key_Escape, Qt::MetaModifier)},
         Result::applied({cmd, 53}),
         {{cmd, 53}},
         false,
         HotKeyCombination{cmd, 53},
         std::nullopt},
        {"applied shows the new caps",
         {press(Qt::Key_Shift), press(Qt::Key_Super_L, Qt::ShiftModifier),
          press(Qt::Key_X, Qt::ShiftModifier | Qt::MetaModifier)},
         Result::applied(shiftCmdX),
         {shiftCmdX},
         false,
         shiftCmdX,
         std::nullopt},
        {"held elsewhere keeps the old caps",
         {press(Qt::Key_X, Qt::ShiftModifier | Qt::MetaModifier)},
         Result::conflict(),
         {shiftCmdX},
         false,
         old,
         conflict(QStringLiteral("Shift+Super+X"))},
        {"desktop shortcut",
         {press(Qt::Key_X, Qt::ShiftModifier | Qt::MetaModifier)},
         Result::systemReserved(),
         {shiftCmdX},
         false,
         old,
         Message{QStringLiteral("lock.fill"), L10n::format(QStringLiteral("prefs.hotkey.systemReserved"),
                                                           {QStringLiteral("Shift+Super+X")})}},
        {"shifted symbol is shift plus its key",
         {press(Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier)},
         Result::applied({ctrl | shift, 18}),
         {{ctrl | shift, 18}},
         false,
         HotKeyCombination{ctrl | shift, 18},
         std::nullopt},
        {"key without a code is ignored",
         {press(Qt::Key_Print, Qt::ControlModifier), press(Qt::Key_VolumeUp, Qt::AltModifier)},
         Result::applied({}),
         {},
         true,
         old,
         std::nullopt},
        {"bare F5 records",
         {press(Qt::Key_F5)},
         Result::applied({{}, 96}),
         {{{}, 96}},
         false,
         HotKeyCombination{{}, 96},
         std::nullopt},
        {"rejection then a valid key",
         {press(Qt::Key_A), press(Qt::Key_A, Qt::AltModifier)},
         Result::applied({opt, 0}),
         {{opt, 0}},
         false,
         HotKeyCombination{opt, 0},
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.result = [&](const HotKeyCombination&) { return c.outcome; };
        h.view->startRecording();
        h.messages.clear();
        for (const Key& key : c.keys) {
            h.send(key);
        }
        EXPECT_EQ(h.recorded, c.recorded);
        EXPECT_EQ(h.view->isRecording(), c.stillRecording);
        EXPECT_EQ(h.view->combination(), c.shown);
        EXPECT_EQ(h.view->message(), c.message);
        EXPECT_EQ(h.states, (c.stillRecording ? std::vector<bool>{true} : std::vector<bool>{true, false}));
        if (c.message) {
            ASSERT_FALSE(h.messages.empty());
            EXPECT_EQ(h.messages.back(), c.message);
        }
    }
}

TEST(HotKeyRecorderViewTest, WithoutAnOwnerAValidPressIsAConflict) {
    Harness h;
    h.view->onRecord = nullptr;
    h.view->startRecording();
    h.send(press(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier));
    EXPECT_FALSE(h.view->isRecording());
    EXPECT_EQ(h.view->combination(), HotKeyCombination::defaultCombination());
    EXPECT_EQ(h.view->message(), (Message{warning, L10n::format(QStringLiteral("prefs.hotkey.conflict"),
                                                                {QStringLiteral("Ctrl+Alt+S")})}));
}

TEST(HotKeyRecorderViewTest, HeldModifiersShowInTheField) {
    Harness h;
    EXPECT_EQ(h.view->keyCapTexts(),
              (QStringList{QStringLiteral("Ctrl"), QStringLiteral("Alt"), QStringLiteral("A")}));
    h.view->startRecording();
    EXPECT_TRUE(h.view->keyCapTexts().isEmpty());
    EXPECT_EQ(h.view->fieldText(), L10n::text(QStringLiteral("prefs.hotkey.recording")));
    // X reports the state before each event: the key itself is not yet in the modifiers.
    h.send(press(Qt::Key_Control));
    h.send(press(Qt::Key_Alt, Qt::ControlModifier));
    EXPECT_EQ(h.view->pendingModifiers(), ctrl | opt);
    EXPECT_EQ(h.view->fieldText(), QStringLiteral("Ctrl+Alt+…"));
    h.send(release(Qt::Key_Control, Qt::ControlModifier | Qt::AltModifier));
    EXPECT_EQ(h.view->fieldText(), QStringLiteral("Alt+…"));
    h.send(release(Qt::Key_Alt, Qt::AltModifier));
    EXPECT_EQ(h.view->pendingModifiers(), HotKeyModifiers());
    EXPECT_TRUE(h.recorded.empty());

    h.view->stopRecording();
    h.view->setCombination(std::nullopt);
    EXPECT_EQ(h.view->fieldText(), L10n::text(QStringLiteral("prefs.hotkey.none")));
}

TEST(HotKeyRecorderViewTest, StartingClearsTheMessageAndStateChangesAreReportedOnce) {
    Harness h;
    h.view->startRecording();
    h.send(press(Qt::Key_A));
    ASSERT_TRUE(h.view->message());
    h.view->stopRecording();
    h.view->stopRecording();
    h.messages.clear();
    h.view->startRecording();
    h.view->startRecording();
    EXPECT_EQ(h.view->message(), std::nullopt);
    EXPECT_EQ(h.messages, (std::vector<std::optional<Message>>{std::nullopt}));
    EXPECT_EQ(h.states, (std::vector<bool>{true, false, true}));
}

TEST(HotKeyRecorderViewTest, ClicksToggleAndFocusLossStops) {
    Harness h;
    const QPointF centre(10, 10);
    QMouseEvent down(QEvent::MouseButtonPress, centre, centre, Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(h.view, &down);
    EXPECT_TRUE(h.view->isRecording());
    QApplication::sendEvent(h.view, &down);
    EXPECT_FALSE(h.view->isRecording());
    h.view->startRecording();
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(h.view, &out);
    EXPECT_FALSE(h.view->isRecording());
    EXPECT_EQ(h.states, (std::vector<bool>{true, false, true, false}));
}

TEST(HotKeyRecorderViewTest, WindowShortcutsCannotFireWhileRecordingButKeysPassOtherwise) {
    Harness h;
    int windowKeyPresses = 0;
    struct Counter : QObject {
        int* count;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::KeyPress) {
                ++*count;
            }
            return false;
        }
    } counter;
    counter.count = &windowKeyPresses;
    h.window.installEventFilter(&counter);

    // Not recording: the key goes on to the window.
    h.send(press(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier));
    EXPECT_EQ(windowKeyPresses, 1);
    EXPECT_TRUE(h.recorded.empty());

    h.view->startRecording();
    QKeyEvent shortcutOverride(QEvent::ShortcutOverride, Qt::Key_Q, Qt::ControlModifier);
    shortcutOverride.ignore();
    QApplication::sendEvent(&h.window, &shortcutOverride);
    EXPECT_TRUE(shortcutOverride.isAccepted()) << "an accepted override keeps shortcuts from taking the key";
    h.send(press(Qt::Key_Q, Qt::ControlModifier));
    EXPECT_EQ(windowKeyPresses, 1) << "recording swallows the key";
    EXPECT_EQ(h.recorded, (std::vector<HotKeyCombination>{{ctrl, 12}}));
}

TEST(HotKeyRecorderViewTest, LongLinuxNamesWidenTheControl) {
    Harness h;
    EXPECT_EQ(h.view->sizeHint(), QSize(140, 26));
    h.view->setCombination(HotKeyCombination{ctrl | opt | shift | cmd, 111});
    EXPECT_EQ(h.view->keyCapTexts().size(), 5);
    EXPECT_GT(h.view->sizeHint().width(), 140);
    EXPECT_EQ(h.view->sizeHint().height(), 26);
}

TEST(HotKeyQtKeysTest, QtKeysToCombinations) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        std::optional<HotKeyCombination> expected;
    };
    const std::vector<Case> cases = {
        {Qt::Key_A, Qt::ControlModifier | Qt::AltModifier, HotKeyCombination::defaultCombination()},
        {Qt::Key_Z, Qt::MetaModifier, HotKeyCombination{cmd, 6}},
        {Qt::Key_Percent, Qt::ShiftModifier | Qt::ControlModifier, HotKeyCombination{ctrl | shift, 23}},
        {Qt::Key_Plus, Qt::ControlModifier, HotKeyCombination{ctrl | shift, 24}},
        {Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, HotKeyCombination{ctrl, 69}},
        {Qt::Key_5, Qt::AltModifier | Qt::KeypadModifier, HotKeyCombination{opt, 87}},
        {Qt::Key_Home, Qt::AltModifier | Qt::KeypadModifier, HotKeyCombination{opt, 89}},
        {Qt::Key_Home, Qt::AltModifier, HotKeyCombination{opt, 115}},
        {Qt::Key_Enter, Qt::KeypadModifier, HotKeyCombination{{}, 76}},
        {Qt::Key_Return, Qt::ControlModifier, HotKeyCombination{ctrl, 36}},
        {Qt::Key_Backtab, Qt::AltModifier | Qt::ShiftModifier, HotKeyCombination{opt | shift, 48}},
        {Qt::Key_Up, Qt::MetaModifier, HotKeyCombination{cmd, 126}},
        {Qt::Key_F1, Qt::NoModifier, HotKeyCombination{{}, 122}},
        {Qt::Key_F20, Qt::ShiftModifier, HotKeyCombination{shift, 90}},
        {Qt::Key_F21, Qt::ControlModifier, std::nullopt},
        {Qt::Key_Space, Qt::AltModifier, HotKeyCombination{opt, 49}},
        {Qt::Key_Odiaeresis, Qt::ControlModifier, std::nullopt},
        {Qt::Key_Control, Qt::ControlModifier, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HotKeyQtKeys::combination(c.key, c.modifiers), c.expected) << std::hex << c.key;
    }
}

} // namespace
