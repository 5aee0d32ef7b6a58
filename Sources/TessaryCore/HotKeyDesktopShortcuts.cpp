#include "TessaryCore/HotKeyDesktopShortcuts.h"

#include "TessaryCore/HotKeyKeySymbols.h"

#include <array>
#include <cctype>

namespace tessary::HotKeyDesktopShortcuts {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

std::string lowercased(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> result;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        result.push_back(line);
        start = end + 1;
    }
    return result;
}

// The modifier a GTK accelerator names; nullopt for modifiers the model cannot express (NumLock as
// Mod2, Mod3, AltGr as Mod5, release bindings), which therefore never collide with a capture key.
std::optional<HotKeyModifiers> gtkModifier(std::string_view name) {
    const std::string lower = lowercased(name);
    if (lower == "shift" || lower == "shft") {
        return HotKeyModifiers::shift;
    }
    if (lower == "control" || lower == "ctrl" || lower == "ctl" || lower == "primary") {
        return HotKeyModifiers::control;
    }
    // Alt and Meta share Mod1 and Super and Hyper share Mod4 in the usual keyboard maps.
    if (lower == "alt" || lower == "mod1" || lower == "meta") {
        return HotKeyModifiers::option;
    }
    if (lower == "super" || lower == "hyper" || lower == "mod4") {
        return HotKeyModifiers::command;
    }
    return std::nullopt;
}

struct QtKeyName {
    std::string_view name;
    std::uint32_t keyCode;
};

constexpr std::array<QtKeyName, 18> qtKeyNames{{
    {"esc", 53},
    {"escape", 53},
    {"tab", 48},
    {"backspace", 51},
    {"return", 36},
    {"enter", 76},
    {"del", 117},
    {"delete", 117},
    {"home", 115},
    {"end", 119},
    {"pgup", 116},
    {"pgdown", 121},
    {"left", 123},
    {"right", 124},
    {"down", 125},
    {"up", 126},
    {"space", 49},
    {"backtab", 48},
}};

// Keypad keys by the character Qt prints after "Num+".
constexpr std::array<std::pair<char, std::uint32_t>, 16> keypadCharacters{{
    {'.', 65},
    {'*', 67},
    {'+', 69},
    {'/', 75},
    {'-', 78},
    {'=', 81},
    {'0', 82},
    {'1', 83},
    {'2', 84},
    {'3', 85},
    {'4', 86},
    {'5', 87},
    {'6', 88},
    {'7', 89},
    {'8', 91},
    {'9', 92},
}};

// Reads one quoted GVariant string starting at `text[position]`; advances past the closing quote.
std::optional<std::string> readQuoted(std::string_view text, size_t& position) {
    const char quote = text[position];
    std::string result;
    for (size_t i = position + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == quote) {
            position = i + 1;
            return result;
        }
        if (c == '\\') {
            if (++i >= text.size()) {
                return std::nullopt;
            }
            const char escaped = text[i];
            result += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
            continue;
        }
        result += c;
    }
    return std::nullopt;
}

void skipSpaces(std::string_view text, size_t& position) {
    while (position < text.size() && std::isspace(static_cast<unsigned char>(text[position]))) {
        ++position;
    }
}

// Splits a KConfig list value at commas that are not escaped by a backslash.
std::vector<std::string_view> kconfigFields(std::string_view value) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\') {
            ++i;
        } else if (value[i] == ',') {
            fields.push_back(value.substr(start, i - start));
            start = i + 1;
        }
    }
    fields.push_back(value.substr(std::min(start, value.size())));
    return fields;
}

std::string kconfigUnescaped(std::string_view text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            result += text[i];
            continue;
        }
        const char escaped = text[++i];
        switch (escaped) {
        case 't':
            result += '\t';
            break;
        case 's':
            result += ' ';
            break;
        case 'n':
            result += '\n';
            break;
        case 'r':
            result += '\r';
            break;
        default:
            result += escaped;
        }
    }
    return result;
}

} // namespace

std::optional<std::string> portalTrigger(const HotKeyCombination& combination) {
    const auto keysym = HotKeyKeySymbols::keysymForKeyCode(combination.keyCode);
    const auto name = keysym ? HotKeyKeySymbols::keysymName(*keysym) : std::nullopt;
    if (!name) {
        return std::nullopt;
    }
    std::string trigger;
    const std::pair<HotKeyModifiers, const char*> names[] = {{HotKeyModifiers::control, "CTRL+"},
                                                             {HotKeyModifiers::option, "ALT+"},
                                                             {HotKeyModifiers::shift, "SHIFT+"},
                                                             {HotKeyModifiers::command, "LOGO+"}};
    for (const auto& [modifier, text] : names) {
        if (combination.modifiers.contains(modifier)) {
            trigger += text;
        }
    }
    return trigger + *name;
}

std::optional<HotKeyCombination> fromGtkAccelerator(std::string_view accelerator) {
    std::string_view text = trimmed(accelerator);
    if (text.empty() || text == "disabled") {
        return std::nullopt;
    }
    HotKeyModifiers modifiers;
    while (!text.empty() && text.front() == '<') {
        const size_t close = text.find('>');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const auto modifier = gtkModifier(text.substr(1, close - 1));
        if (!modifier) {
            return std::nullopt;
        }
        modifiers.insert(*modifier);
        text.remove_prefix(close + 1);
    }
    const auto keysym = HotKeyKeySymbols::keysymFromName(text);
    if (!keysym) {
        return std::nullopt;
    }
    const auto keyCode = HotKeyKeySymbols::keyCodeForKeysym(*keysym);
    if (!keyCode) {
        return std::nullopt;
    }
    return HotKeyCombination{modifiers, *keyCode};
}

std::optional<HotKeyCombination> fromQtShortcut(std::string_view shortcut) {
    std::string_view text = trimmed(shortcut);
    if (text.empty()) {
        return std::nullopt;
    }
    HotKeyModifiers modifiers;
    bool keypad = false;
    // A "+" right after a separator (or at the start) is the plus key itself, as in "Ctrl++".
    for (size_t separator = text.find('+', 1); separator != std::string_view::npos;
         separator = text.find('+', 1)) {
        const std::string name = lowercased(trimmed(text.substr(0, separator)));
        if (name == "ctrl" || name == "control") {
            modifiers.insert(HotKeyModifiers::control);
        } else if (name == "alt") {
            modifiers.insert(HotKeyModifiers::option);
        } else if (name == "shift") {
            modifiers.insert(HotKeyModifiers::shift);
        } else if (name == "meta") {
            modifiers.insert(HotKeyModifiers::command);
        } else if (name == "num") {
            keypad = true;
        } else {
            return std::nullopt;
        }
        text.remove_prefix(separator + 1);
    }
    const std::string key = lowercased(trimmed(text));
    if (key.empty()) {
        return std::nullopt;
    }
    if (keypad && key.size() == 1) {
        for (const auto& [character, keyCode] : keypadCharacters) {
            if (character == key[0]) {
                return HotKeyCombination{modifiers, keyCode};
            }
        }
    }
    for (const QtKeyName& entry : qtKeyNames) {
        if (entry.name == key) {
            if (entry.name == "backtab") {
                modifiers.insert(HotKeyModifiers::shift);
            }
            return HotKeyCombination{modifiers, entry.keyCode};
        }
    }
    if (key.size() >= 2 && key[0] == 'f') {
        if (const auto keysym = HotKeyKeySymbols::keysymFromName(key)) {
            if (const auto keyCode = HotKeyKeySymbols::keyCodeForKeysym(*keysym)) {
                return HotKeyCombination{modifiers, *keyCode};
            }
        }
        return std::nullopt;
    }
    if (key.size() == 1) {
        if (const auto typed = HotKeyKeySymbols::keyForCharacter(static_cast<unsigned char>(key[0]))) {
            if (typed->shifted) {
                modifiers.insert(HotKeyModifiers::shift);
            }
            return HotKeyCombination{modifiers, typed->keyCode};
        }
    }
    return std::nullopt;
}

std::vector<std::string> gvariantStrings(std::string_view value) {
    std::string_view text = trimmed(value);
    if (text.substr(0, 3) == "@as") {
        text = trimmed(text.substr(3));
    }
    std::vector<std::string> strings;
    if (text.empty()) {
        return strings;
    }
    size_t position = 0;
    if (text.front() == '\'' || text.front() == '"') {
        auto single = readQuoted(text, position);
        if (!single || position != text.size()) {
            return {};
        }
        strings.push_back(std::move(*single));
        return strings;
    }
    if (text.front() != '[') {
        return strings;
    }
    position = 1;
    skipSpaces(text, position);
    if (position < text.size() && text[position] == ']') {
        return position + 1 == text.size() ? strings : std::vector<std::string>{};
    }
    while (position < text.size()) {
        if (text[position] != '\'' && text[position] != '"') {
            return {};
        }
        auto item = readQuoted(text, position);
        if (!item) {
            return {};
        }
        strings.push_back(std::move(*item));
        skipSpaces(text, position);
        if (position >= text.size()) {
            return {};
        }
        if (text[position] == ']') {
            return position + 1 == text.size() ? strings : std::vector<std::string>{};
        }
        if (text[position] != ',') {
            return {};
        }
        ++position;
        skipSpaces(text, position);
    }
    return {};
}

std::vector<GsettingsEntry> parseGsettingsListing(std::string_view text) {
    std::vector<GsettingsEntry> entries;
    for (std::string_view line : lines(text)) {
        const size_t schemaEnd = line.find(' ');
        if (schemaEnd == std::string_view::npos || schemaEnd == 0) {
            continue;
        }
        const size_t keyEnd = line.find(' ', schemaEnd + 1);
        if (keyEnd == std::string_view::npos || keyEnd == schemaEnd + 1) {
            continue;
        }
        entries.push_back({std::string(line.substr(0, schemaEnd)),
                           std::string(line.substr(schemaEnd + 1, keyEnd - schemaEnd - 1)),
                           std::string(line.substr(keyEnd + 1))});
    }
    return entries;
}

std::vector<HotKeyCombination> combinationsInGsettingsListing(std::string_view text) {
    std::vector<HotKeyCombination> combinations;
    for (const GsettingsEntry& entry : parseGsettingsListing(text)) {
        for (const std::string& accelerator : gvariantStrings(entry.value)) {
            if (auto combination = fromGtkAccelerator(accelerator)) {
                combinations.push_back(*combination);
            }
        }
    }
    return combinations;
}

std::vector<HotKeyCombination> combinationsInKdeGlobalShortcuts(std::string_view text) {
    std::vector<HotKeyCombination> combinations;
    for (std::string_view line : lines(text)) {
        line = trimmed(line);
        if (line.empty() || line.front() == '#' || line.front() == '[') {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trimmed(line.substr(0, equals));
        if (key.substr(0, 16) == "_k_friendly_name") {
            continue;
        }
        const std::string active = kconfigUnescaped(kconfigFields(trimmed(line.substr(equals + 1))).front());
        size_t start = 0;
        while (start <= active.size()) {
            size_t end = active.find('\t', start);
            if (end == std::string::npos) {
                end = active.size();
            }
            const std::string_view shortcut = trimmed(std::string_view(active).substr(start, end - start));
            if (!shortcut.empty() && shortcut != "none") {
                if (auto combination = fromQtShortcut(shortcut)) {
                    combinations.push_back(*combination);
                }
            }
            start = end + 1;
        }
    }
    return combinations;
}

} // namespace tessary::HotKeyDesktopShortcuts
