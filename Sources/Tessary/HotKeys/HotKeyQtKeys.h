#pragma once

#include "TessaryCore/HotKeyCombination.h"

#include <Qt>

#include <optional>

// Qt key events as hot-key combinations. Keys are read as the US layout types them, the same way
// the X11 backend finds a combination's key; shifted symbols ("!", "+") become Shift plus the key
// beneath them.
namespace HotKeyQtKeys {

// Ctrl, Alt, Shift, and Meta (the Super key on X11).
tessary::HotKeyModifiers modifiers(Qt::KeyboardModifiers qtModifiers);
// The modifier that a modifier key itself stands for; empty for every other key.
tessary::HotKeyModifiers modifierOfKey(int key);
// The combination a key press records; nothing for modifier keys and keys without a virtual key code.
std::optional<tessary::HotKeyCombination> combination(int key, Qt::KeyboardModifiers qtModifiers);

} // namespace HotKeyQtKeys
