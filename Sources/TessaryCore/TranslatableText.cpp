#include "TessaryCore/TranslatableText.h"

#include "TessaryCore/UnicodeText.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace tessary::TranslatableText {

namespace {

std::unique_ptr<icu::RegexPattern> compile(const char16_t* expression) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    std::unique_ptr<icu::RegexPattern> pattern(
        icu::RegexPattern::compile(icu::UnicodeString(expression), 0, parseError, status));
    if (U_FAILURE(status) || !pattern) {
        // The expressions are constants: failing here means the ICU build is unusable.
        std::fprintf(stderr, "TessaryCore/TranslatableText: cannot compile a decoration pattern (%s)\n",
                     u_errorName(status));
        std::abort();
    }
    return pattern;
}

struct DecorationPatterns {
    std::unique_ptr<icu::RegexPattern> leading = compile(uR"(^\s*[^\p{L}\p{N}\s]{1,4}\s+)");
    std::unique_ptr<icu::RegexPattern> trailing = compile(uR"(\s+[^\p{L}\p{N}\s]{1,4}\s*$)");
};

const DecorationPatterns& decorationPatterns() {
    static const DecorationPatterns patterns;
    return patterns;
}

} // namespace

bool isWorthTranslating(std::string_view text) {
    int letters = 0;
    int digits = 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t index = 0;
    while (index < length) {
        UChar32 c = 0;
        U8_NEXT(bytes, index, length, c);
        if (c < 0) {
            continue; // ill-formed bytes read as U+FFFD, which is neither
        }
        const uint32_t mask = U_GET_GC_MASK(c);
        if ((mask & U_GC_ND_MASK) != 0) {
            ++digits;
        } else if ((mask & (U_GC_L_MASK | U_GC_M_MASK)) != 0) {
            ++letters;
        }
    }
    return letters >= 2 && digits < letters;
}

std::string stripDecoration(std::string_view text) {
    const icu::UnicodeString source = UnicodeText::toUtf16(text);
    const DecorationPatterns& patterns = decorationPatterns();
    UErrorCode status = U_ZERO_ERROR;
    int32_t start = 0;
    int32_t end = source.length();

    // Regions keep the default anchoring bounds, so ^ and $ match at the bounds of the
    // remaining view rather than of the whole text.
    std::unique_ptr<icu::RegexMatcher> leading(patterns.leading->matcher(source, status));
    std::unique_ptr<icu::RegexMatcher> trailing(patterns.trailing->matcher(source, status));
    if (U_FAILURE(status)) {
        return UnicodeText::toUtf8(UnicodeText::trimmed(source, UnicodeText::isWhitespaceOrNewline));
    }
    while (start < end) {
        leading->region(start, end, status);
        if (U_FAILURE(status) || !leading->find(status) || U_FAILURE(status)) {
            break;
        }
        const int32_t matchEnd = leading->end(status);
        if (U_FAILURE(status) || matchEnd >= end || matchEnd <= start) {
            break;
        }
        start = matchEnd;
    }
    while (start < end) {
        trailing->region(start, end, status);
        if (U_FAILURE(status) || !trailing->find(status) || U_FAILURE(status)) {
            break;
        }
        const int32_t matchStart = trailing->start(status);
        if (U_FAILURE(status) || matchStart <= start) {
            break;
        }
        end = matchStart;
    }
    const icu::UnicodeString view(source, start, end - start);
    return UnicodeText::toUtf8(UnicodeText::trimmed(view, UnicodeText::isWhitespaceOrNewline));
}

} // namespace tessary::TranslatableText
