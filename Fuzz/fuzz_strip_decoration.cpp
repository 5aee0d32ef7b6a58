// Decoration stripping and the worth-translating count over arbitrary text. Checks, besides
// memory safety: the result is a piece of the (repaired) input, trimmed of whitespace.
#include "TessaryCore/TranslatableText.h"
#include "TessaryCore/UnicodeText.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string stripped = TranslatableText::stripDecoration(text);

    const icu::UnicodeString repaired = UnicodeText::toUtf16(text);
    if (UnicodeText::toUtf8(repaired).find(stripped) == std::string::npos) {
        std::abort();
    }
    const icu::UnicodeString result = UnicodeText::toUtf16(stripped);
    if (!result.isEmpty() && (UnicodeText::isWhitespaceOrNewline(result.char32At(0)) ||
                              UnicodeText::isWhitespaceOrNewline(result.char32At(result.length() - 1)))) {
        std::abort();
    }
    (void)TranslatableText::isWorthTranslating(text);
    return 0;
}
