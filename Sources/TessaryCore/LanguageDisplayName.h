#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// A language identifier ("zh-Hans", "ja", "en") named in another language, as ICU knows it.
// Nothing when ICU has no name for it (it would only echo the code back).
std::optional<std::string> languageDisplayName(std::string_view identifier, std::string_view inLanguage);

} // namespace tessary
