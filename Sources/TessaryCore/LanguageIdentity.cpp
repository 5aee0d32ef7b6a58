#include "TessaryCore/LanguageIdentity.h"

#include <string>

#include <unicode/locid.h>

namespace tessary::LanguageIdentity {

namespace {

struct Parsed {
    std::string language;
    std::string script;
};

Parsed parse(std::string_view identifier) {
    // ICU reads BCP 47 tags; underscores (zh_TW) are the POSIX spelling of the same thing.
    std::string tag(identifier);
    for (char& c : tag) {
        c = c == '_' ? '-' : c;
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu::Locale::forLanguageTag(tag, status);
    if (U_FAILURE(status) || locale.isBogus()) {
        return {};
    }
    Parsed parsed{locale.getLanguage(), locale.getScript()};
    if (parsed.script.empty() && !parsed.language.empty()) {
        icu::Locale maximal(locale);
        UErrorCode likelyStatus = U_ZERO_ERROR;
        maximal.addLikelySubtags(likelyStatus);
        if (U_SUCCESS(likelyStatus)) {
            parsed.script = maximal.getScript();
        }
    }
    return parsed;
}

} // namespace

bool isSameLanguage(std::string_view a, std::string_view b) {
    const Parsed first = parse(a);
    const Parsed second = parse(b);
    if (first.language.empty() != second.language.empty()) {
        return false;
    }
    if (!first.language.empty() && first.language != second.language) {
        return false;
    }
    if (first.script.empty() && second.script.empty()) {
        return true;
    }
    return first.script == second.script;
}

} // namespace tessary::LanguageIdentity
