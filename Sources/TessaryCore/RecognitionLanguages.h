#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::RecognitionLanguages {

// The languages text recognition asks for, in priority order ("ja-JP", "zh-Hans", "en-US"), as the
// recogniser's language codes.
const std::vector<std::string>& desired();

// The languages to load: the desired ones that are supported, in the desired order; all supported
// ones when none of the desired is; the desired list unchanged when the supported list is unknown.
std::vector<std::string> supportedSubset(const std::vector<std::string>& desired,
                                         const std::optional<std::vector<std::string>>& supported);

// The Debian package that installs a language's data ("chi_sim" -> "tesseract-ocr-chi-sim").
std::string packageName(std::string_view code);

} // namespace tessary::RecognitionLanguages
