#include "Platform/X11/X11GlobalHotKeys.h"

#include "Foundation/Log.h"
#include "Platform/X11/X11Connection.h"
#include "TessaryCore/HotKeyKeySymbols.h"

#include <QCoreApplication>
#include <QTimer>

#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr xcb_keysym_t keysymNumLock = 0xff7f;
constexpr xcb_keysym_t keysymMetaL = 0xffe7;
constexpr xcb_keysym_t keysymMetaR = 0xffe8;
constexpr xcb_keysym_t keysymAltL = 0xffe9;
constexpr xcb_keysym_t keysymAltR = 0xffea;
constexpr xcb_keysym_t keysymSuperL = 0xffeb;
constexpr xcb_keysym_t keysymSuperR = 0xffec;

// XKB event kinds that replace the keyboard map.
constexpr std::uint8_t xkbNewKeyboardNotify = 0;
constexpr std::uint8_t xkbMapNotify = 1;

} // namespace

X11GlobalHotKeys::X11GlobalHotKeys(std::shared_ptr<X11Connection> connection)
    : m_connection(std::move(connection)) {
    xcb_connection_t* c = m_connection->connection();
    const char name[] = "XKEYBOARD";
    auto extension =
        xcbReply(xcb_query_extension_reply(c, xcb_query_extension(c, std::strlen(name), name), nullptr));
    if (extension && extension->present) {
        m_xkbFirstEvent = extension->first_event;
    }
    loadKeyboardMapping();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11GlobalHotKeys::~X11GlobalHotKeys() {
    // Past the application object Qt has closed its connection, and the server dropped our grabs
    // with it: touching the connection then would use freed memory.
    if (!QCoreApplication::instance()) {
        return;
    }
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const auto& [id, registration] : m_registrations) {
        release(registration.held);
    }
    if (m_keySymbols) {
        xcb_key_symbols_free(m_keySymbols);
    }
}

void X11GlobalHotKeys::loadKeyboardMapping() {
    xcb_connection_t* c = m_connection->connection();
    if (m_keySymbols) {
        xcb_key_symbols_free(m_keySymbols);
    }
    m_keySymbols = xcb_key_symbols_alloc(c);
    m_masks = ModifierMasks{};
    auto mapping = xcbReply(xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!mapping || !m_keySymbols) {
        return;
    }
    // Which of Mod1...Mod5 carries NumLock, Alt and Super varies between keyboard maps.
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    std::optional<std::uint16_t> numLock, alt, super;
    for (int modifier = 3; modifier < 8; ++modifier) {
        const auto mask = static_cast<std::uint16_t>(1 << modifier);
        for (int k = 0; k < perModifier; ++k) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + k];
            if (keycode == 0) {
                continue;
            }
            for (int column = 0; column < 4; ++column) {
                const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(m_keySymbols, keycode, column);
                if (keysym == keysymNumLock && !numLock) {
                    numLock = mask;
                } else if ((keysym == keysymAltL || keysym == keysymAltR || keysym == keysymMetaL ||
                            keysym == keysymMetaR) &&
                           !alt) {
                    alt = mask;
                } else if ((keysym == keysymSuperL || keysym == keysymSuperR) && !super) {
                    super = mask;
                }
            }
        }
    }
    m_masks.numLock = numLock.value_or(0);
    m_masks.alt = alt.value_or(XCB_MOD_MASK_1);
    m_masks.super = super.value_or(XCB_MOD_MASK_4);
}

std::optional<X11GlobalHotKeys::Plan>
X11GlobalHotKeys::plan(const tessary::HotKeyCombination& combination) const {
    const auto keysym = tessary::HotKeyKeySymbols::keysymForKeyCode(combination.keyCode);
    if (!keysym || !m_keySymbols) {
        return std::nullopt;
    }
    Plan result;
    if (xcb_keycode_t* found = xcb_key_symbols_get_keycode(m_keySymbols, *keysym)) {
        for (xcb_keycode_t* k = found; *k != XCB_NO_SYMBOL; ++k) {
            if (std::find(result.keycodes.begin(), result.keycodes.end(), *k) == result.keycodes.end()) {
                result.keycodes.push_back(*k);
            }
        }
        std::free(found);
    }
    if (result.keycodes.empty()) {
        return std::nullopt;
    }

    using tessary::HotKeyModifiers;
    const HotKeyModifiers wanted = combination.modifiers;
    if (wanted.contains(HotKeyModifiers::control)) {
        result.modifiers |= XCB_MOD_MASK_CONTROL;
    }
    if (wanted.contains(HotKeyModifiers::shift)) {
        result.modifiers |= XCB_MOD_MASK_SHIFT;
    }
    if (wanted.contains(HotKeyModifiers::option)) {
        result.modifiers |= m_masks.alt;
    }
    if (wanted.contains(HotKeyModifiers::command)) {
        result.modifiers |= m_masks.super;
    }
    std::vector<std::uint16_t> lockVariants{0, XCB_MOD_MASK_LOCK};
    if (m_masks.numLock != 0 && (result.modifiers & m_masks.numLock) == 0) {
        lockVariants.push_back(m_masks.numLock);
        lockVariants.push_back(static_cast<std::uint16_t>(m_masks.numLock | XCB_MOD_MASK_LOCK));
    }
    for (xcb_keycode_t keycode : result.keycodes) {
        for (std::uint16_t locks : lockVariants) {
            result.grabs.push_back({keycode, static_cast<std::uint16_t>(result.modifiers | locks)});
        }
    }
    return result;
}

bool X11GlobalHotKeys::take(const std::vector<Grab>& grabs, std::vector<Grab>& taken) {
    xcb_connection_t* c = m_connection->connection();
    std::vector<xcb_void_cookie_t> cookies;
    cookies.reserve(grabs.size());
    for (const Grab& grab : grabs) {
        // Not owner_events: every press is reported on the root window, even over our own windows.
        cookies.push_back(xcb_grab_key_checked(c, 0, m_connection->root(), grab.modifiers, grab.keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool refused = false;
    for (size_t i = 0; i < grabs.size(); ++i) {
        if (xcb_generic_error_t* error = xcb_request_check(c, cookies[i])) {
            refused = true;
            std::free(error);
        } else {
            taken.push_back(grabs[i]);
        }
    }
    return !refused;
}

void X11GlobalHotKeys::release(const std::vector<Grab>& grabs) {
    for (const Grab& grab : grabs) {
        xcb_ungrab_key(m_connection->connection(), grab.keycode, m_connection->root(), grab.modifiers);
    }
    xcb_flush(m_connection->connection());
}

bool X11GlobalHotKeys::registerHotKey(quint32 id, const tessary::HotKeyCombination& combination) {
    if (m_registrations.count(id)) {
        return false;
    }
    for (const auto& [otherId, other] : m_registrations) {
        if (other.combination == combination) {
            return false;
        }
    }
    auto wanted = plan(combination);
    if (!wanted) {
        return false;
    }
    std::vector<Grab> taken;
    if (!take(wanted->grabs, taken)) {
        // A partial grab is a conflict: give back what was taken.
        release(taken);
        return false;
    }
    xcb_flush(m_connection->connection());
    m_registrations.emplace(id, Registration{combination, std::move(*wanted), std::move(taken)});
    return true;
}

void X11GlobalHotKeys::unregisterHotKey(quint32 id) {
    const auto found = m_registrations.find(id);
    if (found == m_registrations.end()) {
        return;
    }
    release(found->second.held);
    m_registrations.erase(found);
}

bool X11GlobalHotKeys::handleKeyPress(const xcb_key_press_event_t* event) {
    if (event->event != m_connection->root()) {
        return false;
    }
    const std::uint16_t relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | m_masks.alt | m_masks.super;
    const std::uint16_t held = event->state & relevant;
    for (const auto& [id, registration] : m_registrations) {
        const Plan& plan = registration.plan;
        if (held == plan.modifiers &&
            std::find(plan.keycodes.begin(), plan.keycodes.end(), event->detail) != plan.keycodes.end()) {
            m_lastPressArrival = std::chrono::steady_clock::now();
            m_lastPressServerTime = event->time;
            Q_EMIT pressed(id);
            return true;
        }
    }
    return false;
}

void X11GlobalHotKeys::keyboardMappingChanged() {
    if (m_regrabScheduled) {
        return;
    }
    // Mapping changes come in bursts; follow them once they have settled.
    m_regrabScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_regrabScheduled = false;
        followKeyboardMapping();
    });
}

void X11GlobalHotKeys::followKeyboardMapping() {
    loadKeyboardMapping();
    for (auto& [id, registration] : m_registrations) {
        // Grabs that stay the same are kept as they are: switching between keyboards with the same
        // map (as every XTest client does) must not open a moment in which a press is lost.
        const auto wanted = plan(registration.combination);
        std::vector<Grab> added;
        std::vector<Grab> obsolete;
        for (const Grab& grab : registration.held) {
            if (!wanted ||
                std::find(wanted->grabs.begin(), wanted->grabs.end(), grab) == wanted->grabs.end()) {
                obsolete.push_back(grab);
            }
        }
        if (wanted) {
            for (const Grab& grab : wanted->grabs) {
                if (std::find(registration.held.begin(), registration.held.end(), grab) ==
                    registration.held.end()) {
                    added.push_back(grab);
                }
            }
        }
        std::vector<Grab> taken;
        const bool complete = wanted && take(added, taken);
        std::vector<Grab> kept;
        for (const Grab& grab : registration.held) {
            if (std::find(obsolete.begin(), obsolete.end(), grab) == obsolete.end()) {
                kept.push_back(grab);
            }
        }
        release(obsolete);
        kept.insert(kept.end(), taken.begin(), taken.end());
        if (!complete) {
            // The key moved somewhere another application holds, or left the keyboard.
            release(kept);
            kept.clear();
            Log::error(QStringLiteral("全局热键：键盘映射变化后 ") +
                       QString::fromStdString(registration.combination.display()) +
                       QStringLiteral(" 没能重新注册。"));
        }
        registration.held = std::move(kept);
        registration.plan = wanted.value_or(Plan{});
    }
}

bool X11GlobalHotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !message) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == XCB_KEY_PRESS) {
        return handleKeyPress(reinterpret_cast<const xcb_key_press_event_t*>(event));
    }
    if (type == XCB_MAPPING_NOTIFY) {
        const auto* mapping = reinterpret_cast<const xcb_mapping_notify_event_t*>(event);
        if (mapping->request == XCB_MAPPING_KEYBOARD || mapping->request == XCB_MAPPING_MODIFIER) {
            keyboardMappingChanged();
        }
        return false;
    }
    if (m_xkbFirstEvent && type == *m_xkbFirstEvent) {
        // Every XKB event carries its kind in the second byte.
        const std::uint8_t xkbType = reinterpret_cast<const std::uint8_t*>(event)[1];
        if (xkbType == xkbNewKeyboardNotify || xkbType == xkbMapNotify) {
            keyboardMappingChanged();
        }
    }
    return false;
}
