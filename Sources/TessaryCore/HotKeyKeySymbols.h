#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// Virtual key codes against X keysyms, keysym names and typed characters. Key codes are positions on
// an ANSI keyboard, so characters are read on the US layout; a backend then finds the physical key of
// a keysym in the current keyboard mapping.
namespace HotKeyKeySymbols {

// The unshifted keysym of a key code in the key-name table (keypad digits as KP_0...KP_9).
std::optional<std::uint32_t> keysymForKeyCode(std::uint32_t keyCode);
// Inverse of keysymForKeyCode; upper-case letters give their key too.
std::optional<std::uint32_t> keyCodeForKeysym(std::uint32_t keysym);
// An X keysym name ("a", "Return", "Page_Up", "KP_Enter", "F12"); exact spelling first, then ignoring case.
std::optional<std::uint32_t> keysymFromName(std::string_view name);
// The keysym's name as keysymFromName reads it ("a", "Page_Up", "F12"); nothing outside the table.
std::optional<std::string> keysymName(std::uint32_t keysym);

struct TypedKey {
    std::uint32_t keyCode = 0;
    // The character needs Shift on the US layout ("!" is Shift + 1); letters never do.
    bool shifted = false;
};
// The key that types a printable ASCII character on the US layout (space included).
std::optional<TypedKey> keyForCharacter(char32_t character);

} // namespace HotKeyKeySymbols

} // namespace tessary
