#include "TessaryCore/HotKeyCombination.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <utility>

namespace tessary {

namespace {

using KeyNameEntry = std::pair<std::uint32_t, std::string_view>;

constexpr std::array<std::uint32_t, 20> functionKeyCodes{122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                                         103, 111, 105, 107, 113, 106, 64, 79,  80,  90};

constexpr std::array<KeyNameEntry, 98> keyNames{{
    // Letters
    {0, "A"},
    {1, "S"},
    {2, "D"},
    {3, "F"},
    {4, "H"},
    {5, "G"},
    {6, "Z"},
    {7, "X"},
    {8, "C"},
    {9, "V"},
    {11, "B"},
    {12, "Q"},
    {13, "W"},
    {14, "E"},
    {15, "R"},
    {16, "Y"},
    {17, "T"},
    {31, "O"},
    {32, "U"},
    {34, "I"},
    {35, "P"},
    {37, "L"},
    {38, "J"},
    {40, "K"},
    {45, "N"},
    {46, "M"},
    // Digits
    {18, "1"},
    {19, "2"},
    {20, "3"},
    {21, "4"},
    {23, "5"},
    {22, "6"},
    {26, "7"},
    {28, "8"},
    {25, "9"},
    {29, "0"},
    // Punctuation
    {24, "="},
    {27, "-"},
    {30, "]"},
    {33, "["},
    {39, "'"},
    {41, ";"},
    {42, "\\"},
    {43, ","},
    {44, "/"},
    {47, "."},
    {50, "`"},
    // Special keys
    {36, "↩"},
    {48, "⇥"},
    {49, "␣"},
    {51, "⌫"},
    {53, "⎋"},
    {115, "↖"},
    {116, "⇞"},
    {117, "⌦"},
    {119, "↘"},
    {121, "⇟"},
    {123, "←"},
    {124, "→"},
    {125, "↓"},
    {126, "↑"},
    // Keypad
    {65, "⌤."},
    {67, "⌤*"},
    {69, "⌤+"},
    {75, "⌤/"},
    {76, "⌤↩"},
    {78, "⌤-"},
    {81, "⌤="},
    {82, "⌤0"},
    {83, "⌤1"},
    {84, "⌤2"},
    {85, "⌤3"},
    {86, "⌤4"},
    {87, "⌤5"},
    {88, "⌤6"},
    {89, "⌤7"},
    {91, "⌤8"},
    {92, "⌤9"},
    // Function keys
    {122, "F1"},
    {120, "F2"},
    {99, "F3"},
    {118, "F4"},
    {96, "F5"},
    {97, "F6"},
    {98, "F7"},
    {100, "F8"},
    {101, "F9"},
    {109, "F10"},
    {103, "F11"},
    {111, "F12"},
    {105, "F13"},
    {107, "F14"},
    {113, "F15"},
    {106, "F16"},
    {64, "F17"},
    {79, "F18"},
    {80, "F19"},
    {90, "F20"},
}};

// Built once on first use: the table sorted by key code for lookup.
const std::array<KeyNameEntry, 98>& sortedKeyNames() {
    static const std::array<KeyNameEntry, 98> sorted = [] {
        auto copy = keyNames;
        std::sort(copy.begin(), copy.end());
        return copy;
    }();
    return sorted;
}

struct LegacyEntry {
    std::string_view identifier;
    HotKeyCombination combination;
};

constexpr std::array<LegacyEntry, 5> legacyIdentifiers{{
    {"ctrl-opt-a", {HotKeyModifiers::control | HotKeyModifiers::option, 0}},
    {"ctrl-opt-s", {HotKeyModifiers::control | HotKeyModifiers::option, 1}},
    {"cmd-shift-x", {HotKeyModifiers::shift | HotKeyModifiers::command, 7}},
    {"cmd-shift-7", {HotKeyModifiers::shift | HotKeyModifiers::command, 26}},
    {"cmd-shift-a", {HotKeyModifiers::shift | HotKeyModifiers::command, 0}},
}};

} // namespace

std::string_view rawValue(HotKeyCombination::Rejection rejection) {
    switch (rejection) {
    case HotKeyCombination::Rejection::missingModifier:
        return "missingModifier";
    case HotKeyCombination::Rejection::escapeReserved:
        return "escapeReserved";
    }
    return {};
}

std::string HotKeyCombination::keyName(std::uint32_t keyCode) {
    const auto& table = sortedKeyNames();
    const auto found =
        std::lower_bound(table.begin(), table.end(), keyCode,
                         [](const KeyNameEntry& entry, std::uint32_t code) { return entry.first < code; });
    if (found != table.end() && found->first == keyCode) {
        return std::string(found->second);
    }
    return "#" + std::to_string(keyCode);
}

bool HotKeyCombination::isFunctionKey(std::uint32_t keyCode) {
    return std::find(functionKeyCodes.begin(), functionKeyCodes.end(), keyCode) != functionKeyCodes.end();
}

std::optional<HotKeyCombination::Rejection> HotKeyCombination::rejection(HotKeyModifiers modifiers,
                                                                         std::uint32_t keyCode) {
    if (keyCode == VirtualKey::escape && modifiers.isEmpty()) {
        return Rejection::escapeReserved;
    }
    if (!(modifiers & (HotKeyModifiers::control | HotKeyModifiers::option | HotKeyModifiers::command))
             .isEmpty()) {
        return std::nullopt;
    }
    if (isFunctionKey(keyCode)) {
        return std::nullopt;
    }
    return Rejection::missingModifier;
}

std::string HotKeyCombination::display() const {
    return modifiers.display() + keyName(keyCode);
}

std::string HotKeyCombination::linuxDisplay() const {
    std::string text;
    for (const std::string& name : modifiers.linuxNames()) {
        text += name;
        text += '+';
    }
    return text + keyName(keyCode);
}

std::string HotKeyCombination::persistedString() const {
    return modifiers.token() + ":" + std::to_string(keyCode);
}

std::optional<HotKeyCombination> HotKeyCombination::fromPersistedString(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos) {
        return std::nullopt;
    }
    const auto modifiers = HotKeyModifiers::fromToken(text.substr(0, colon));
    if (!modifiers) {
        return std::nullopt;
    }
    const std::string_view digits = text.substr(colon + 1);
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::uint32_t keyCode = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), keyCode);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return HotKeyCombination{*modifiers, keyCode};
}

std::optional<HotKeyCombination> HotKeyCombination::fromLegacyIdentifier(std::string_view identifier) {
    for (const LegacyEntry& entry : legacyIdentifiers) {
        if (entry.identifier == identifier) {
            return entry.combination;
        }
    }
    return std::nullopt;
}

std::optional<HotKeyCombination> HotKeyCombination::fromSymbolicHotKeyParameters(long long keyCode,
                                                                                 long long modifierMask) {
    // 65535 marks an entry without a key; a negative code is not a key either (and must not wrap).
    if (keyCode > 65534 || keyCode < 0) {
        return std::nullopt;
    }
    HotKeyModifiers modifiers;
    if (modifierMask & 0x20000) {
        modifiers.insert(HotKeyModifiers::shift);
    }
    if (modifierMask & 0x40000) {
        modifiers.insert(HotKeyModifiers::control);
    }
    if (modifierMask & 0x80000) {
        modifiers.insert(HotKeyModifiers::option);
    }
    if (modifierMask & 0x100000) {
        modifiers.insert(HotKeyModifiers::command);
    }
    return HotKeyCombination{modifiers, static_cast<std::uint32_t>(keyCode)};
}

} // namespace tessary
