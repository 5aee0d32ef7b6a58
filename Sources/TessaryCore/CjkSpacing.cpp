#include "TessaryCore/CjkSpacing.h"

#include "TessaryCore/UnicodeText.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>

namespace tessary::CjkSpacing {

namespace {

bool isHorizontalSpace(UChar32 c) {
    return c == U'\t' || u_charType(c) == U_SPACE_SEPARATOR;
}

} // namespace

bool isCjk(UChar32 c) {
    if (uscript_hasScript(c, USCRIPT_HAN) || uscript_hasScript(c, USCRIPT_HIRAGANA) ||
        uscript_hasScript(c, USCRIPT_KATAKANA) || uscript_hasScript(c, USCRIPT_BOPOMOFO)) {
        return true;
    }
    if (isHorizontalSpace(c)) {
        return false; // U+3000 sits in the CJK punctuation block but is a space
    }
    switch (ublock_getCode(c)) {
    case UBLOCK_CJK_SYMBOLS_AND_PUNCTUATION:
    case UBLOCK_HALFWIDTH_AND_FULLWIDTH_FORMS:
    case UBLOCK_CJK_COMPATIBILITY_FORMS:
    case UBLOCK_VERTICAL_FORMS:
        return true;
    default:
        return false;
    }
}

std::string removeSpacesBetweenCjk(std::string_view text) {
    const icu::UnicodeString source = UnicodeText::toUtf16(text);
    icu::UnicodeString out;
    const int32_t length = source.length();
    int32_t i = 0;
    UChar32 previous = U_SENTINEL;
    while (i < length) {
        const UChar32 c = source.char32At(i);
        if (!isHorizontalSpace(c)) {
            out.append(c);
            previous = c;
            i = source.moveIndex32(i, 1);
            continue;
        }
        int32_t end = i;
        while (end < length && isHorizontalSpace(source.char32At(end))) {
            end = source.moveIndex32(end, 1);
        }
        const bool between =
            previous != U_SENTINEL && end < length && isCjk(previous) && isCjk(source.char32At(end));
        if (!between) {
            out.append(source, i, end - i);
        }
        i = end;
    }
    return UnicodeText::toUtf8(out);
}

} // namespace tessary::CjkSpacing
