#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// The modifier keys of a hot key as a bit set. "command" is the Super key and "option" the Alt key
// on Linux; the bit values are part of the stored form and never change.
struct HotKeyModifiers {
    std::uint8_t rawValue = 0;

    static const HotKeyModifiers control;
    static const HotKeyModifiers option;
    static const HotKeyModifiers shift;
    static const HotKeyModifiers command;

    constexpr HotKeyModifiers() = default;
    constexpr explicit HotKeyModifiers(std::uint8_t raw) : rawValue(raw) {}

    // Parses a token string such as "ctrl+opt": empty gives the empty set, empty pieces are skipped,
    // and every other piece must be exactly "ctrl", "opt", "shift" or "cmd".
    static std::optional<HotKeyModifiers> fromToken(std::string_view token);

    constexpr bool isEmpty() const { return rawValue == 0; }
    constexpr bool contains(HotKeyModifiers other) const {
        return (rawValue & other.rawValue) == other.rawValue;
    }
    constexpr void insert(HotKeyModifiers other) {
        rawValue = static_cast<std::uint8_t>(rawValue | other.rawValue);
    }
    constexpr void remove(HotKeyModifiers other) {
        rawValue = static_cast<std::uint8_t>(rawValue & ~other.rawValue);
    }
    constexpr HotKeyModifiers unite(HotKeyModifiers other) const {
        return HotKeyModifiers(static_cast<std::uint8_t>(rawValue | other.rawValue));
    }
    constexpr HotKeyModifiers intersect(HotKeyModifiers other) const {
        return HotKeyModifiers(static_cast<std::uint8_t>(rawValue & other.rawValue));
    }

    // "⌃⌥⇧⌘" order, no separators; what the log lines show.
    std::string display() const;
    // "ctrl+opt+shift+cmd" order; the stored form.
    std::string token() const;
    // "Ctrl", "Alt", "Shift", "Super" in the same order: what a Linux user reads on key caps.
    std::vector<std::string> linuxNames() const;

    friend constexpr HotKeyModifiers operator|(HotKeyModifiers a, HotKeyModifiers b) { return a.unite(b); }
    friend constexpr HotKeyModifiers operator&(HotKeyModifiers a, HotKeyModifiers b) {
        return a.intersect(b);
    }
    friend constexpr bool operator==(HotKeyModifiers, HotKeyModifiers) = default;
};

inline constexpr HotKeyModifiers HotKeyModifiers::control{1};
inline constexpr HotKeyModifiers HotKeyModifiers::option{2};
inline constexpr HotKeyModifiers HotKeyModifiers::shift{4};
inline constexpr HotKeyModifiers HotKeyModifiers::command{8};

} // namespace tessary

template <> struct std::hash<tessary::HotKeyModifiers> {
    std::size_t operator()(tessary::HotKeyModifiers modifiers) const noexcept {
        return std::hash<std::uint8_t>{}(modifiers.rawValue);
    }
};
