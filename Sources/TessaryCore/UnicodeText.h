#pragma once

#include <string>
#include <string_view>

#include <unicode/unistr.h>

namespace tessary::UnicodeText {

// UTF-8 is the interface encoding; ICU works on UTF-16. Ill-formed UTF-8 sequences become U+FFFD.
icu::UnicodeString toUtf16(std::string_view text);
std::string toUtf8(const icu::UnicodeString& text);

// String equality up to canonical equivalence (precomposed and decomposed forms compare equal).
bool canonicallyEquivalent(std::string_view a, std::string_view b);

// Unicode space separators, line and paragraph separators, U+0009 to U+000D and U+0085.
bool isWhitespaceOrNewline(UChar32 c);
// Unicode general category P (all punctuation).
bool isPunctuation(UChar32 c);

// The text without leading and trailing code points for which `drop` holds.
template <typename Predicate> icu::UnicodeString trimmed(const icu::UnicodeString& text, Predicate drop) {
    int32_t start = 0;
    int32_t end = text.length();
    while (start < end) {
        const UChar32 c = text.char32At(start);
        if (!drop(c)) {
            break;
        }
        start = text.moveIndex32(start, 1);
    }
    while (end > start) {
        const int32_t previous = text.moveIndex32(end, -1);
        if (!drop(text.char32At(previous))) {
            break;
        }
        end = previous;
    }
    return icu::UnicodeString(text, start, end - start);
}

} // namespace tessary::UnicodeText
