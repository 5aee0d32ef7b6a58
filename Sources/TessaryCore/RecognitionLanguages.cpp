#include "TessaryCore/RecognitionLanguages.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace tessary::RecognitionLanguages {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 3> identifierCodes{{
    {"ja-JP", "jpn"},
    {"zh-Hans", "chi_sim"},
    {"en-US", "eng"},
}};

} // namespace

const std::vector<std::string>& desired() {
    static const std::vector<std::string> codes = [] {
        std::vector<std::string> list;
        for (const auto& [identifier, code] : identifierCodes) {
            list.emplace_back(code);
        }
        return list;
    }();
    return codes;
}

std::vector<std::string> supportedSubset(const std::vector<std::string>& desired,
                                         const std::optional<std::vector<std::string>>& supported) {
    if (!supported) {
        return desired;
    }
    std::vector<std::string> kept;
    for (const std::string& language : desired) {
        if (std::find(supported->begin(), supported->end(), language) != supported->end()) {
            kept.push_back(language);
        }
    }
    return kept.empty() ? *supported : kept;
}

std::string packageName(std::string_view code) {
    std::string name = "tesseract-ocr-";
    for (const char c : code) {
        name += c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

} // namespace tessary::RecognitionLanguages
