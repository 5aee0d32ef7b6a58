#pragma once

#include <string>
#include <string_view>

#include <unicode/umachine.h>

namespace tessary::CjkSpacing {

// Han, hiragana, katakana and bopomofo, and the punctuation and full-width forms written with them.
bool isCjk(UChar32 c);

// The UTF-8 text without the runs of spaces (and tabs) that stand between two CJK characters.
// CJK scripts do not separate words, yet line recognisers report every character as a word.
std::string removeSpacesBetweenCjk(std::string_view text);

} // namespace tessary::CjkSpacing
