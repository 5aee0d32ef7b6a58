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

    // The last grabbed press: when it was read from the connection, and the server's own time stamp
    // of the key event (latency measurements).
    std::chrono::steady_clock::time_point lastPressArrival() const { return m_lastPressArrival; }
    xcb_timestamp_t lastPressServerTime() const { return m_lastPressServerTime; }

private:
    struct Grab {
        xcb_keycode_t keycode;
        std::uint16_t modifiers;

        friend bool operator==(const Grab&, const Grab&) = default;
    };
    // What a combination needs under the current keyboard mapping.
    struct Plan {
        std::vector<xcb_keycode_t> keycodes;
        std::uint16_t modifiers = 0;
        std::vector<Grab> grabs;
    };
    struct Registration {
        tessary::HotKeyCombination combination;
        Plan plan;
        // The grabs actually held.
        std::vector<Grab> held;
    };
    struct ModifierMasks {
        std::uint16_t alt = XCB_MOD_MASK_1;
        std::uint16_t super = XCB_MOD_MASK_4;
        std::uint16_t numLock = XCB_MOD_MASK_2;
    };

    void loadKeyboardMapping();
    void keyboardMappingChanged();
    void followKeyboardMapping();
    // Nothing when the combination's key is not on the keyboard.
    std::optional<Plan> plan(const tessary::HotKeyCombination& combination) const;
    // Grabs each of `grabs`, appending the ones obtained to `taken`; false if any was refused.
    bool take(const std::vector<Grab>& grabs, std::vector<Grab>& taken);
    void release(const std::vector<Grab>& grabs);
    bool handleKeyPress(const xcb_key_press_event_t* event);

    std::shared_ptr<X11Connection> m_connection;
    _XCBKeySymbols* m_keySymbols = nullptr;
    ModifierMasks m_masks;
    std::optional<std::uint8_t> m_xkbFirstEvent;
    std::map<quint32, Registration> m_registrations;
    bool m_regrabScheduled = false;
    std::chrono::steady_clock::time_point m_lastPressArrival;
    xcb_timestamp_t m_lastPressServerTime = 0;
};
