#include "TessaryCore/HotKeyModifiers.h"

#include <array>

namespace tessary {

namespace {

struct ModifierNames {
    HotKeyModifiers member;
    std::string_view symbol;
    std::string_view token;
    std::string_view linuxName;
};

// Fixed order: control, option, shift, command.
constexpr std::array<ModifierNames, 4> modifierNames{{
    {HotKeyModifiers::control, "⌃", "ctrl", "Ctrl"},
    {HotKeyModifiers::option, "⌥", "opt", "Alt"},
    {HotKeyModifiers::shift, "⇧", "shift", "Shift"},
    {HotKeyModifiers::command, "⌘", "cmd", "Super"},
}};

} // namespace

std::optional<HotKeyModifiers> HotKeyModifiers::fromToken(std::string_view token) {
    HotKeyModifiers result;
    size_t start = 0;
    while (start <= token.size()) {
        size_t end = token.find('+', start);
        if (end == std::string_view::npos) {
            end = token.size();
        }
        const std::string_view piece = token.substr(start, end - start);
        if (!piece.empty()) {
            bool known = false;
            for (const ModifierNames& names : modifierNames) {
                if (piece == names.token) {
                    result.insert(names.member);
                    known = true;
                    break;
                }
            }
            if (!known) {
                return std::nullopt;
            }
        }
        start = end + 1;
    }
    return result;
}

std::string HotKeyModifiers::display() const {
    std::string text;
    for (const ModifierNames& names : modifierNames) {
        if (contains(names.member)) {
            text += names.symbol;
        }
    }
    return text;
}

std::string HotKeyModifiers::token() const {
    std::string text;
    for (const ModifierNames& names : modifierNames) {
        if (contains(names.member)) {
            if (!text.empty()) {
                text += '+';
            }
            text += names.token;
        }
    }
    return text;
}

std::vector<std::string> HotKeyModifiers::linuxNames() const {
    std::vector<std::string> names;
    for (const ModifierNames& entry : modifierNames) {
        if (contains(entry.member)) {
            names.emplace_back(entry.linuxName);
        }
    }
    return names;
}

} // namespace tessary
