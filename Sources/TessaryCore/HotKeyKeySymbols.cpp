#include "TessaryCore/HotKeyKeySymbols.h"

#include <array>
#include <cctype>

namespace tessary::HotKeyKeySymbols {

namespace {

struct KeyEntry {
    std::uint32_t keyCode;
    std::uint32_t keysym;
    std::string_view name;
    std::string_view alias = {};
};

// Every key of the key-name table except letters, digits and F-keys, which follow a pattern.
constexpr std::array<KeyEntry, 42> namedKeys{{
    {24, 0x3d, "equal"},
    {27, 0x2d, "minus"},
    {30, 0x5d, "bracketright"},
    {33, 0x5b, "bracketleft"},
    {39, 0x27, "apostrophe", "quoteright"},
    {41, 0x3b, "semicolon"},
    {42, 0x5c, "backslash"},
    {43, 0x2c, "comma"},
    {44, 0x2f, "slash"},
    {47, 0x2e, "period"},
    {50, 0x60, "grave", "quoteleft"},
    {36, 0xff0d, "Return"},
    {48, 0xff09, "Tab"},
    {49, 0x20, "space"},
    {51, 0xff08, "BackSpace"},
    {53, 0xff1b, "Escape"},
    {115, 0xff50, "Home"},
    {116, 0xff55, "Prior", "Page_Up"},
    {117, 0xffff, "Delete"},
    {119, 0xff57, "End"},
    {121, 0xff56, "Next", "Page_Down"},
    {123, 0xff51, "Left"},
    {124, 0xff53, "Right"},
    {125, 0xff54, "Down"},
    {126, 0xff52, "Up"},
    {65, 0xffae, "KP_Decimal"},
    {67, 0xffaa, "KP_Multiply"},
    {69, 0xffab, "KP_Add"},
    {75, 0xffaf, "KP_Divide"},
    {76, 0xff8d, "KP_Enter"},
    {78, 0xffad, "KP_Subtract"},
    {81, 0xffbd, "KP_Equal"},
    {82, 0xffb0, "KP_0"},
    {83, 0xffb1, "KP_1"},
    {84, 0xffb2, "KP_2"},
    {85, 0xffb3, "KP_3"},
    {86, 0xffb4, "KP_4"},
    {87, 0xffb5, "KP_5"},
    {88, 0xffb6, "KP_6"},
    {89, 0xffb7, "KP_7"},
    {91, 0xffb8, "KP_8"},
    {92, 0xffb9, "KP_9"},
}};

// Key codes of A...Z and 0...9 in alphabetical and numerical order.
constexpr std::array<std::uint32_t, 26> letterKeyCodes{0,  11, 8,  2,  14, 3, 5,  4,  34, 38, 40, 37, 46,
                                                       45, 31, 35, 12, 15, 1, 17, 32, 9,  13, 7,  16, 6};
constexpr std::array<std::uint32_t, 10> digitKeyCodes{29, 18, 19, 20, 21, 23, 22, 26, 28, 25};
constexpr std::array<std::uint32_t, 20> functionKeyCodes{122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                                         103, 111, 105, 107, 113, 106, 64, 79,  80,  90};
constexpr std::uint32_t keysymF1 = 0xffbe;

// Shifted characters of the US layout and the character on the same key.
constexpr std::string_view shiftedCharacters = "!@#$%^&*()_+{}|:\"<>?~";
constexpr std::string_view unshiftedCharacters = "1234567890-=[]\\;',./`";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<std::uint32_t> keysymFromNameExactly(std::string_view name, bool ignoringCase) {
    auto same = [&](std::string_view candidate) {
        return !candidate.empty() && (ignoringCase ? equalsIgnoringCase(name, candidate) : name == candidate);
    };
    if (name.size() == 1) {
        const char c = name[0];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            return static_cast<std::uint32_t>(c);
        }
    }
    for (const KeyEntry& entry : namedKeys) {
        if (same(entry.name) || same(entry.alias)) {
            return entry.keysym;
        }
    }
    if (name.size() >= 2 && name.size() <= 3 && (name[0] == 'F' || (ignoringCase && name[0] == 'f'))) {
        unsigned number = 0;
        for (char c : name.substr(1)) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            number = number * 10 + static_cast<unsigned>(c - '0');
        }
        if (name[1] != '0' && number >= 1 && number <= 20) {
            return keysymF1 + number - 1;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::uint32_t> keysymForKeyCode(std::uint32_t keyCode) {
    for (size_t i = 0; i < letterKeyCodes.size(); ++i) {
        if (letterKeyCodes[i] == keyCode) {
            return static_cast<std::uint32_t>('a' + i);
        }
    }
    for (size_t i = 0; i < digitKeyCodes.size(); ++i) {
        if (digitKeyCodes[i] == keyCode) {
            return static_cast<std::uint32_t>('0' + i);
        }
    }
    for (size_t i = 0; i < functionKeyCodes.size(); ++i) {
        if (functionKeyCodes[i] == keyCode) {
            return static_cast<std::uint32_t>(keysymF1 + i);
        }
    }
    for (const KeyEntry& entry : namedKeys) {
        if (entry.keyCode == keyCode) {
            return entry.keysym;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> keyCodeForKeysym(std::uint32_t keysym) {
    if (keysym >= 'a' && keysym <= 'z') {
        return letterKeyCodes[keysym - 'a'];
    }
    if (keysym >= 'A' && keysym <= 'Z') {
        return letterKeyCodes[keysym - 'A'];
    }
    if (keysym >= '0' && keysym <= '9') {
        return digitKeyCodes[keysym - '0'];
    }
    if (keysym >= keysymF1 && keysym < keysymF1 + functionKeyCodes.size()) {
        return functionKeyCodes[keysym - keysymF1];
    }
    for (const KeyEntry& entry : namedKeys) {
        if (entry.keysym == keysym) {
            return entry.keyCode;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> keysymFromName(std::string_view name) {
    if (auto keysym = keysymFromNameExactly(name, false)) {
        return keysym;
    }
    return keysymFromNameExactly(name, true);
}

std::optional<std::string> keysymName(std::uint32_t keysym) {
    if ((keysym >= 'a' && keysym <= 'z') || (keysym >= '0' && keysym <= '9')) {
        return std::string(1, static_cast<char>(keysym));
    }
    for (const KeyEntry& entry : namedKeys) {
        if (entry.keysym == keysym) {
            return std::string(entry.name);
        }
    }
    if (keysym >= keysymF1 && keysym < keysymF1 + 20) {
        return "F" + std::to_string(keysym - keysymF1 + 1);
    }
    return std::nullopt;
}

std::optional<TypedKey> keyForCharacter(char32_t character) {
    if (character > 0x7e || character < 0x20) {
        return std::nullopt;
    }
    const char c = static_cast<char>(character);
    if (const size_t index = shiftedCharacters.find(c); index != std::string_view::npos) {
        const auto keyCode = keyCodeForKeysym(static_cast<unsigned char>(unshiftedCharacters[index]));
        return TypedKey{*keyCode, true};
    }
    if (auto keyCode = keyCodeForKeysym(static_cast<std::uint32_t>(character))) {
        return TypedKey{*keyCode, false};
    }
    return std::nullopt;
}

} // namespace tessary::HotKeyKeySymbols
