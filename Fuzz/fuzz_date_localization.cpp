// Date conversion over arbitrary recognised text. The first byte picks the target language, the
// rest is the text. Checks, besides memory safety: English targets never convert, the remainder
// is trimmed, and the fast scan finds exactly what a plain search finds.
#include "TessaryCore/DateLocalization.h"
#include "TessaryCore/UnicodeText.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

constexpr std::array<const char*, 12> targets{"zh-Hans", "ja", "ko", "fr", "de", "es",
                                              "ru",      "en", "ar", "hi", "th", "zh_Hant"};

bool trimmedOfSpaceAndPunctuation(const std::string& text) {
    if (text.empty()) {
        return true;
    }
    const icu::UnicodeString utf16 = tessary::UnicodeText::toUtf16(text);
    const auto trimmable = [](UChar32 c) {
        return tessary::UnicodeText::isWhitespaceOrNewline(c) || tessary::UnicodeText::isPunctuation(c);
    };
    return !trimmable(utf16.char32At(0)) && !trimmable(utf16.char32At(utf16.length() - 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    namespace dates = tessary::DateLocalization;
    const char* target = targets[data[0] % targets.size()];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const auto result = dates::localize(text, target);
    if (result && std::string_view(target) == "en") {
        std::abort();
    }
    if (result && !trimmedOfSpaceAndPunctuation(result->remainder)) {
        std::abort();
    }
    for (int pattern = 0; pattern < 3; ++pattern) {
        if (dates::detail::matchRanges(text, pattern, false) !=
            dates::detail::matchRanges(text, pattern, true)) {
            std::abort();
        }
    }
    (void)dates::decimalValue(text);
    return 0;
}
