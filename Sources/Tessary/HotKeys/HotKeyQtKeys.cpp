#include "HotKeys/HotKeyQtKeys.h"

#include "TessaryCore/HotKeyKeySymbols.h"

#include <array>
#include <utility>

using tessary::HotKeyCombination;
using tessary::HotKeyModifiers;

namespace {

constexpr std::array<std::pair<int, std::uint32_t>, 16> namedKeys{{
    {Qt::Key_Return, 36},
    {Qt::Key_Enter, 76},
    {Qt::Key_Tab, 48},
    {Qt::Key_Backtab, 48},
    {Qt::Key_Space, 49},
    {Qt::Key_Backspace, 51},
    {Qt::Key_Escape, 53},
    {Qt::Key_Home, 115},
    {Qt::Key_PageUp, 116},
    {Qt::Key_Delete, 117},
    {Qt::Key_End, 119},
    {Qt::Key_PageDown, 121},
    {Qt::Key_Left, 123},
    {Qt::Key_Right, 124},
    {Qt::Key_Down, 125},
    {Qt::Key_Up, 126},
}};

constexpr std::array<std::uint32_t, 20> functionKeyCodes{122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                                         103, 111, 105, 107, 113, 106, 64, 79,  80,  90};

// Keypad keys by what Qt reports with the keypad flag: digits and operators with NumLock on, the
// navigation meaning of the same physical keys with it off.
constexpr std::array<std::pair<int, std::uint32_t>, 29> keypadKeys{{
    {Qt::Key_0, 82},        {Qt::Key_1, 83},        {Qt::Key_2, 84},      {Qt::Key_3, 85},
    {Qt::Key_4, 86},        {Qt::Key_5, 87},        {Qt::Key_6, 88},      {Qt::Key_7, 89},
    {Qt::Key_8, 91},        {Qt::Key_9, 92},        {Qt::Key_Period, 65}, {Qt::Key_Comma, 65},
    {Qt::Key_Asterisk, 67}, {Qt::Key_Plus, 69},     {Qt::Key_Slash, 75},  {Qt::Key_Minus, 78},
    {Qt::Key_Equal, 81},    {Qt::Key_Enter, 76},    {Qt::Key_Insert, 82}, {Qt::Key_End, 83},
    {Qt::Key_Down, 84},     {Qt::Key_PageDown, 85}, {Qt::Key_Left, 86},   {Qt::Key_Clear, 87},
    {Qt::Key_Right, 88},    {Qt::Key_Home, 89},     {Qt::Key_Up, 91},     {Qt::Key_PageUp, 92},
    {Qt::Key_Delete, 65},
}};

} // namespace

HotKeyModifiers HotKeyQtKeys::modifiers(Qt::KeyboardModifiers qtModifiers) {
    HotKeyModifiers result;
    if (qtModifiers & Qt::ControlModifier) {
        result.insert(HotKeyModifiers::control);
    }
    if (qtModifiers & Qt::AltModifier) {
        result.insert(HotKeyModifiers::option);
    }
    if (qtModifiers & Qt::ShiftModifier) {
        result.insert(HotKeyModifiers::shift);
    }
    if (qtModifiers & Qt::MetaModifier) {
        result.insert(HotKeyModifiers::command);
    }
    return result;
}

HotKeyModifiers HotKeyQtKeys::modifierOfKey(int key) {
    switch (key) {
    case Qt::Key_Control:
        return HotKeyModifiers::control;
    case Qt::Key_Alt:
        return HotKeyModifiers::option;
    case Qt::Key_Shift:
        return HotKeyModifiers::shift;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return HotKeyModifiers::command;
    default:
        return {};
    }
}

std::optional<HotKeyCombination> HotKeyQtKeys::combination(int key, Qt::KeyboardModifiers qtModifiers) {
    HotKeyModifiers held = modifiers(qtModifiers);
    if (qtModifiers & Qt::KeypadModifier) {
        for (const auto& [qtKey, keyCode] : keypadKeys) {
            if (qtKey == key) {
                return HotKeyCombination{held, keyCode};
            }
        }
    }
    for (const auto& [qtKey, keyCode] : namedKeys) {
        if (qtKey == key) {
            if (key == Qt::Key_Backtab) {
                held.insert(HotKeyModifiers::shift);
            }
            return HotKeyCombination{held, keyCode};
        }
    }
    if (key >= Qt::Key_F1 && key < Qt::Key_F1 + static_cast<int>(functionKeyCodes.size())) {
        return HotKeyCombination{held, functionKeyCodes[static_cast<size_t>(key - Qt::Key_F1)]};
    }
    // Printable keys: Qt's key value is the character (upper case for letters).
    if (key > 0x20 && key < 0x7f) {
        if (const auto typed = tessary::HotKeyKeySymbols::keyForCharacter(static_cast<char32_t>(key))) {
            if (typed->shifted) {
                held.insert(HotKeyModifiers::shift);
            }
            return HotKeyCombination{held, typed->keyCode};
        }
    }
    return std::nullopt;
}
