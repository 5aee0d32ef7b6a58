#include "TessaryCore/HotKeyCombination.h"
#include "TessaryCore/MenuKey.h"

#include <gtest/gtest.h>

using tessary::MenuKey::character;

TEST(MenuKey, NamedKeysGetTheirFunctionKeyCharacters) {
    const struct {
        std::uint32_t code;
        char32_t expected;
    } cases[] = {{96, 0xF708}, /* F5 */ {122, 0xF704}, /* F1 */ {111, 0xF70F}, /* F12 */
                 {90, 0xF717}, /* F20 */ {36, 0x0D},   {53, 0x1B},
                 {49, 0x20},   {126, 0xF700},          /* up */ {123, 0xF702},
                 {117, 0xF728}};
    for (const auto& c : cases) {
        EXPECT_EQ(character(c.code), std::optional<char32_t>(c.expected)) << c.code;
    }
}

TEST(MenuKey, OtherKeysUseTheirLowerCasedOneCharacterName) {
    EXPECT_EQ(character(0), std::optional<char32_t>(U'a'));  // A
    EXPECT_EQ(character(18), std::optional<char32_t>(U'1')); // 1
    // Every letter key maps to its own lower-case letter.
    for (std::uint32_t code = 0; code < 128; ++code) {
        const std::string name = tessary::HotKeyCombination::keyName(code);
        if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') {
            EXPECT_EQ(character(code), std::optional<char32_t>(static_cast<char32_t>(name[0] - 'A' + 'a')))
                << code;
        }
        // Keys outside the name table are shown as "#<code>": never a key equivalent.
        if (!name.empty() && name[0] == '#') {
            EXPECT_FALSE(character(code).has_value()) << code;
        }
    }
    EXPECT_FALSE(character(200).has_value());
}
