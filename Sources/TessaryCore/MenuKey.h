#pragma once

#include <cstdint>
#include <optional>

namespace tessary {

// The menu key-equivalent character for a virtual key code: control characters for Return,
// Tab, Space, Delete and Escape, the private-use function-key characters (F1 = U+F704 …,
// arrows U+F700…U+F703, Home U+F729 …), else the lower-cased one-character key name when it
// is a letter, number, punctuation or symbol.
namespace MenuKey {
std::optional<char32_t> character(std::uint32_t keyCode);
}

} // namespace tessary
