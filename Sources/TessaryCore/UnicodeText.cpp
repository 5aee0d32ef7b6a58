#include "TessaryCore/UnicodeText.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>

namespace tessary::UnicodeText {

icu::UnicodeString toUtf16(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string toUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

bool canonicallyEquivalent(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return false;
    }
    const icu::UnicodeString left = toUtf16(a);
    const icu::UnicodeString right = toUtf16(b);
    if (left == right) {
        return true;
    }
    const icu::UnicodeString normalLeft = nfc->normalize(left, status);
    const icu::UnicodeString normalRight = nfc->normalize(right, status);
    return U_SUCCESS(status) && normalLeft == normalRight;
}

bool isWhitespaceOrNewline(UChar32 c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x85 || (U_GET_GC_MASK(c) & U_GC_Z_MASK) != 0;
}

bool isPunctuation(UChar32 c) {
    return (U_GET_GC_MASK(c) & U_GC_P_MASK) != 0;
}

} // namespace tessary::UnicodeText
