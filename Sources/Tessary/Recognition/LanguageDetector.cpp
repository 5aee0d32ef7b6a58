#include "Recognition/LanguageDetector.h"

#include "TessaryCore/LanguageIdentity.h"
#include "TessaryCore/UnicodeText.h"

// The detector's header uses FILE without including <cstdio>.
#include <cstdio>

#include <cld2/public/compact_lang_det.h>

#include <array>
#include <string>

namespace LanguageDetector {

namespace {

constexpr double acceptance = 0.6;
constexpr int minimumLength = 2;

// The languages a screenshot most likely holds, with their weight as a prior.
double hint(CLD2::Language language) {
    switch (language) {
    case CLD2::ENGLISH:
        return 0.3;
    case CLD2::CHINESE:
        return 0.25;
    case CLD2::JAPANESE:
        return 0.25;
    default:
        return 0;
    }
}

std::string identifier(CLD2::Language language) {
    const std::string code = CLD2::LanguageCode(language);
    // The detector's plain Chinese is the Simplified script; Traditional has its own code.
    return code == "zh" ? std::string("zh-Hans") : code;
}

} // namespace

std::optional<std::string> dominantLanguage(std::string_view text) {
    const icu::UnicodeString trimmed = tessary::UnicodeText::trimmed(
        tessary::UnicodeText::toUtf16(text), tessary::UnicodeText::isWhitespaceOrNewline);
    if (trimmed.countChar32() < minimumLength) {
        return std::nullopt;
    }
    // Well-formed UTF-8 only: the detector reads ill-formed bytes past their end.
    const std::string utf8 = tessary::UnicodeText::toUtf8(trimmed);
    std::array<CLD2::Language, 3> languages{CLD2::UNKNOWN_LANGUAGE, CLD2::UNKNOWN_LANGUAGE,
                                            CLD2::UNKNOWN_LANGUAGE};
    std::array<int, 3> percents{};
    std::array<double, 3> scores{};
    int textBytes = 0;
    bool reliable = false;
    // No hints to the detector itself: on short texts they overrule what the text says.
    CLD2::ExtDetectLanguageSummary(utf8.data(), int(utf8.size()), true, nullptr, CLD2::kCLDFlagBestEffort,
                                   languages.data(), percents.data(), scores.data(), nullptr, &textBytes,
                                   &reliable);
    int best = -1;
    double bestWeight = 0;
    for (int i = 0; i < 3; ++i) {
        if (languages[i] == CLD2::UNKNOWN_LANGUAGE || languages[i] == CLD2::TG_UNKNOWN_LANGUAGE ||
            percents[i] <= 0) {
            continue;
        }
        const double weight = percents[i] / 100.0 * (1 + hint(languages[i]));
        if (weight > bestWeight) {
            best = i;
            bestWeight = weight;
        }
    }
    if (best < 0 || percents[best] / 100.0 < acceptance) {
        return std::nullopt;
    }
    return identifier(languages[best]);
}

bool isSameLanguage(std::string_view a, std::string_view b) {
    return tessary::LanguageIdentity::isSameLanguage(a, b);
}

} // namespace LanguageDetector
