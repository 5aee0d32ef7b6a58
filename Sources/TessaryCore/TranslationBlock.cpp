#include "TessaryCore/TranslationBlock.h"

#include "TessaryCore/TranslatableText.h"
#include "TessaryCore/UnicodeText.h"

namespace tessary {

bool TranslationBlock::shouldCover() const {
    if (translatedText.empty() || UnicodeText::canonicallyEquivalent(translatedText, sourceText)) {
        return false;
    }
    return !UnicodeText::canonicallyEquivalent(translatedText, TranslatableText::stripDecoration(sourceText));
}

bool operator==(const TranslationBlock& a, const TranslationBlock& b) {
    if (a.id != b.id || a.rect != b.rect || a.lineCount != b.lineCount || a.alignment != b.alignment ||
        a.sourceLanguage.has_value() != b.sourceLanguage.has_value()) {
        return false;
    }
    if (a.sourceLanguage && !UnicodeText::canonicallyEquivalent(*a.sourceLanguage, *b.sourceLanguage)) {
        return false;
    }
    return UnicodeText::canonicallyEquivalent(a.sourceText, b.sourceText) &&
           UnicodeText::canonicallyEquivalent(a.translatedText, b.translatedText);
}

} // namespace tessary
