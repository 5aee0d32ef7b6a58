#include "TessaryCore/MenuKey.h"

#include "TessaryCore/HotKeyCombination.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <array>
#include <utility>

namespace tessary::MenuKey {

namespace {

constexpr std::pair<std::uint32_t, char32_t> table[] = {
    {36, 0x0D},
    {48, 0x09},
    {49, 0x20},
    {51, 0x08},
    {53, 0x1B},
    // F1 … F12
    {122, 0xF704},
    {120, 0xF705},
    {99, 0xF706},
    {118, 0xF707},
    {96, 0xF708},
    {97, 0xF709},
    {98, 0xF70A},
    {100, 0xF70B},
    {101, 0xF70C},
    {109, 0xF70D},
    {103, 0xF70E},
    {111, 0xF70F},
    // F13 … F20
    {105, 0xF710},
    {107, 0xF711},
    {113, 0xF712},
    {106, 0xF713},
    {64, 0xF714},
    {79, 0xF715},
    {80, 0xF716},
    {90, 0xF717},
    {115, 0xF729},
    {116, 0xF72C},
    {117, 0xF728},
    {119, 0xF72B},
    {121, 0xF72D},
    {123, 0xF702},
    {124, 0xF703},
    {125, 0xF701},
    {126, 0xF700},
};

bool isLetterNumberPunctuationOrSymbol(UChar32 c) {
    switch (u_charType(c)) {
    case U_UPPERCASE_LETTER:
    case U_LOWERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
    case U_DECIMAL_DIGIT_NUMBER:
    case U_LETTER_NUMBER:
    case U_OTHER_NUMBER:
    case U_CONNECTOR_PUNCTUATION:
    case U_DASH_PUNCTUATION:
    case U_START_PUNCTUATION:
    case U_END_PUNCTUATION:
    case U_INITIAL_PUNCTUATION:
    case U_FINAL_PUNCTUATION:
    case U_OTHER_PUNCTUATION:
    case U_MATH_SYMBOL:
    case U_CURRENCY_SYMBOL:
    case U_MODIFIER_SYMBOL:
    case U_OTHER_SYMBOL:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<char32_t> character(std::uint32_t keyCode) {
    for (const auto& [code, c] : table) {
        if (code == keyCode) {
            return c;
        }
    }
    const std::string name = HotKeyCombination::keyName(keyCode);
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(name);
    if (text.countChar32() != 1) {
        return std::nullopt;
    }
    const UChar32 c = text.char32At(0);
    if (c == U'#' || c == U'⌤' || !isLetterNumberPunctuationOrSymbol(c)) {
        return std::nullopt;
    }
    return static_cast<char32_t>(u_tolower(c));
}

} // namespace tessary::MenuKey
