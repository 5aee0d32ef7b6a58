// Line-break folding and paragraph splitting over arbitrary text. Checks, besides memory safety:
// the folded text has no line breaks, no spaces or tabs at either end, and folds to itself.
#include "TessaryCore/DocumentParagraphs.h"
#include "TessaryCore/UnicodeText.h"

#include <unicode/uchar.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool isLineBreak(UChar32 c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isSpaceOrTab(UChar32 c) {
    return c == 0x09 || u_charType(c) == U_SPACE_SEPARATOR;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string folded = DocumentParagraphs::normalizeLineBreaks(text);

    const icu::UnicodeString result = UnicodeText::toUtf16(folded);
    for (int32_t i = 0; i < result.length(); i = result.moveIndex32(i, 1)) {
        if (isLineBreak(result.char32At(i))) {
            std::abort();
        }
    }
    if (!result.isEmpty() &&
        (isSpaceOrTab(result.char32At(0)) || isSpaceOrTab(result.char32At(result.length() - 1)))) {
        std::abort();
    }
    if (DocumentParagraphs::normalizeLineBreaks(folded) != folded) {
        std::abort();
    }

    // The same text as a recognised paragraph, one line per line break.
    DocumentTextItem item{std::string(text), {}, Rect{0, 0, 100, 40}, std::nullopt};
    std::size_t start = 0;
    double y = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        item.lines.push_back({std::string(text.substr(start, end - start)), Rect{0, y, 100, 10}});
        y += 10;
        start = end + 1;
    }
    for (const DocumentParagraphs::Paragraph& paragraph : DocumentParagraphs::split(item)) {
        if (paragraph.text.empty() || paragraph.lineCount < 1) {
            std::abort();
        }
    }
    return 0;
}
