#include "TessaryCore/LanguageDisplayName.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace tessary {

std::optional<std::string> languageDisplayName(std::string_view identifier, std::string_view inLanguage) {
    const std::string id(identifier);
    const std::string display(inLanguage);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = icu::Locale::forLanguageTag(id, status);
    const icu::Locale in = icu::Locale::forLanguageTag(display, status);
    icu::UnicodeString name;
    // The root locale (an empty or unparsable tag) has no language to name.
    if (U_FAILURE(status) || locale.isBogus() || *locale.getLanguage() == '\0') {
        return std::nullopt;
    }
    locale.getDisplayName(in, name);
    std::string result;
    name.toUTF8String(result);
    if (result.empty() || result == id || result == locale.getLanguage()) {
        return std::nullopt;
    }
    return result;
}

} // namespace tessary
