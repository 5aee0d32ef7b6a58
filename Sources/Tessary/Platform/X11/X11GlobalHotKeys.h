#pragma once

#include "Platform/GlobalHotKeys.h"

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class X11Connection;
struct _XCBKeySymbols;

// Passive key grabs on the root window through Qt's own connection. One registration is the grab of
// every key code producing the combination's keysym under every lock state (none, CapsLock,
// NumLock, both), so presses arrive whatever locks are on; a BadAccess on any of them is a refusal
// and releases the rest. Grabs follow keyboard mapping changes.
class X11GlobalHotKeys : public GlobalHotKeys, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11GlobalHotKeys(std::shared_ptr<X11Connection> connection);
    ~X11GlobalHotKeys() override;

    bool registerHotKey(quint32 id, const tessary::HotKeyCombination& combination) override;
    void unregisterHotKey(quint32 id) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    // When the last grabbed press was read from the connection (latency measurements).
    std::chrono::steady_clock::time_point lastPressArrival() const { return m_lastPressArrival; }

private:
    struct Grab {
        xcb_keycode_t keycode;
        std::uint16_t modifiers;
    };
    struct Registration {
        tessary::HotKeyCombination combination;
        std::vector<xcb_keycode_t> keycodes;
        std::uint16_t modifiers = 0;
        std::vector<Grab> grabs;
    };
    struct ModifierMasks {
        std::uint16_t alt = XCB_MOD_MASK_1;
        std::uint16_t super = XCB_MOD_MASK_4;
        std::uint16_t numLock = XCB_MOD_MASK_2;
    };

    void loadKeyboardMapping();
    void keyboardMappingChanged();
    // Fills keycodes, modifiers and grabs; false (with nothing left grabbed) on refusal.
    bool grab(Registration& registration);
    void ungrab(Registration& registration);
    bool handleKeyPress(const xcb_key_press_event_t* event);

    std::shared_ptr<X11Connection> m_connection;
    _XCBKeySymbols* m_keySymbols = nullptr;
    ModifierMasks m_masks;
    std::optional<std::uint8_t> m_xkbFirstEvent;
    std::map<quint32, Registration> m_registrations;
    bool m_regrabScheduled = false;
    std::chrono::steady_clock::time_point m_lastPressArrival;
};
