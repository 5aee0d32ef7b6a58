#pragma once

#include <string>
#include <string_view>

namespace tessary::TranslatableText {

// True when the text has at least two letters (categories L and M) and fewer decimal digits (Nd)
// than letters, counted per Unicode scalar. Numbers, codes and single letters are not sent to a
// translator.
bool isWorthTranslating(std::string_view text);

// The text without leading and trailing decoration: runs of one to four symbols set off by
// whitespace, such as bullets, stars and arrows. A text that is nothing but decoration keeps it.
// Whitespace and newlines are trimmed from both ends of the result.
std::string stripDecoration(std::string_view text);

} // namespace tessary::TranslatableText
