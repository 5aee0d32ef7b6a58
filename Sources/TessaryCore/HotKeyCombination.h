#pragma once

#include "TessaryCore/HotKeyModifiers.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// The capture shortcut: a virtual key code plus modifiers. Key codes are the ANSI-layout virtual key
// codes (0 is A, 53 is Escape, 122 is F1); they are this program's key identity on every platform and
// the backends map them to their own keys.
struct HotKeyCombination {
    HotKeyModifiers modifiers;
    std::uint32_t keyCode = 0;

    // Named key codes.
    struct VirtualKey {
        static constexpr std::uint32_t a = 0;
        static constexpr std::uint32_t escape = 53;
    };

    enum class Rejection { missingModifier, escapeReserved };

    // Control + option + A, stored as "ctrl+opt:0".
    static constexpr HotKeyCombination defaultCombination() {
        return {HotKeyModifiers::control | HotKeyModifiers::option, VirtualKey::a};
    }

    // The key's display name, or "#" and the decimal code for keys outside the table.
    static std::string keyName(std::uint32_t keyCode);
    // True for the twenty function keys F1...F20, the only keys usable without a modifier.
    static bool isFunctionKey(std::uint32_t keyCode);

    static std::optional<Rejection> rejection(HotKeyModifiers modifiers, std::uint32_t keyCode);
    std::optional<Rejection> rejection() const { return rejection(modifiers, keyCode); }

    // Modifier symbols then the key name: "⌃⌥A", "⇧F5", "⌘#200".
    std::string display() const;
    // The same for a Linux user: "Ctrl+Alt+A", "Shift+F5", "Super+#200".
    std::string linuxDisplay() const;

    // "ctrl+opt:0"; ":122" for a bare F1.
    std::string persistedString() const;
    // Strict inverse of persistedString; the result is not validated.
    static std::optional<HotKeyCombination> fromPersistedString(std::string_view text);

    // The older stored identifiers ("ctrl-opt-a" ...); exact match only.
    static std::optional<HotKeyCombination> fromLegacyIdentifier(std::string_view identifier);

    // A key code and a modifier mask in the system shortcut table's encoding (0x20000 shift,
    // 0x40000 control, 0x80000 option, 0x100000 command; other bits ignored). Entries without a key
    // (65535) and negative codes give nothing.
    static std::optional<HotKeyCombination> fromSymbolicHotKeyParameters(long long keyCode,
                                                                         long long modifierMask);

    friend constexpr bool operator==(const HotKeyCombination&, const HotKeyCombination&) = default;
};

std::string_view rawValue(HotKeyCombination::Rejection rejection);

} // namespace tessary

template <> struct std::hash<tessary::HotKeyCombination> {
    std::size_t operator()(const tessary::HotKeyCombination& combination) const noexcept {
        return std::hash<std::uint64_t>{}((std::uint64_t{combination.keyCode} << 8) |
                                          combination.modifiers.rawValue);
    }
};
