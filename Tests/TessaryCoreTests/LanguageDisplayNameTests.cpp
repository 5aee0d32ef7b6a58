#include "TessaryCore/LanguageDisplayName.h"

#include <gtest/gtest.h>

using tessary::languageDisplayName;

TEST(LanguageDisplayName, NamesTargetsInTheInterfaceLanguageAndNothingWhenUnknown) {
    const struct {
        const char* identifier;
        const char* in;
        std::optional<std::string> expected;
    } cases[] = {
        {"ja", "en", "Japanese"},
        {"en", "ja", "英語"},
        {"zh-Hans", "en", "Chinese (Simplified)"},
        {"ko", "zh-Hans", "韩语"},
        // ICU would only echo these back.
        {"qaa", "en", std::nullopt},
        {"", "en", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(languageDisplayName(c.identifier, c.in), c.expected) << c.identifier << " in " << c.in;
    }
}
