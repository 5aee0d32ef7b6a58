#pragma once

#include <string_view>

namespace tessary::LanguageIdentity {

// Whether two language identifiers ("en", "en-US", "zh-Hans", "zh_TW") name the same language in
// the same script. A missing script is taken from the identifier's likely subtags, so zh and
// zh-Hans are the same and zh-Hans and zh-Hant are not; en and en-US are the same.
bool isSameLanguage(std::string_view a, std::string_view b);

} // namespace tessary::LanguageIdentity
