#include "TessaryCore/HotKeyCombination.h"
#include "TessaryCore/HotKeyKeySymbols.h"

#include <gtest/gtest.h>

#include <set>

using namespace tessary;
using namespace tessary::HotKeyKeySymbols;

namespace {

TEST(HotKeyKeySymbolsTest, EveryNamedKeyHasAKeysymThatLeadsBack) {
    std::set<std::uint32_t> keysyms;
    for (std::uint32_t code = 0; code < 256; ++code) {
        const bool named = HotKeyCombination::keyName(code) != "#" + std::to_string(code);
        const auto keysym = keysymForKeyCode(code);
        EXPECT_EQ(keysym.has_value(), named) << code;
        if (keysym) {
            EXPECT_TRUE(keysyms.insert(*keysym).second) << "two keys share keysym " << *keysym;
            EXPECT_EQ(keyCodeForKeysym(*keysym), code) << code;
        }
    }
    EXPECT_EQ(keysyms.size(), 98u);
}

TEST(HotKeyKeySymbolsTest, KnownKeysyms) {
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> cases = {
        {0, 0x61},     {6, 0x7a},     {29, 0x30},    {25, 0x39},   {24, 0x3d},    {50, 0x60},
        {53, 0xff1b},  {36, 0xff0d},  {49, 0x20},    {51, 0xff08}, {117, 0xffff}, {116, 0xff55},
        {121, 0xff56}, {126, 0xff52}, {122, 0xffbe}, {90, 0xffd1}, {64, 0xffce},  {76, 0xff8d},
        {82, 0xffb0},  {92, 0xffb9},  {65, 0xffae},  {81, 0xffbd},
    };
    for (const auto& [code, keysym] : cases) {
        EXPECT_EQ(keysymForKeyCode(code), keysym) << code;
    }
    EXPECT_EQ(keyCodeForKeysym('Q'), 12u);
    EXPECT_EQ(keyCodeForKeysym(0xff61), std::nullopt); // Print has no virtual key code
    EXPECT_EQ(keyCodeForKeysym(0xffd2), std::nullopt); // F21
}

TEST(HotKeyKeySymbolsTest, KeysymNames) {
    const std::vector<std::pair<std::string, std::optional<std::uint32_t>>> cases = {
        {"a", 0x61},
        {"A", 0x41},
        {"7", 0x37},
        {"Return", 0xff0d},
        {"return", 0xff0d},
        {"Page_Up", 0xff55},
        {"Prior", 0xff55},
        {"Page_Down", 0xff56},
        {"KP_Enter", 0xff8d},
        {"kp_5", 0xffb5},
        {"F1", 0xffbe},
        {"f12", 0xffc9},
        {"F20", 0xffd1},
        {"F21", std::nullopt},
        {"F0", std::nullopt},
        {"F01", std::nullopt},
        {"quoteleft", 0x60},
        {"space", 0x20},
        {"Print", std::nullopt},
        {"", std::nullopt},
        {"=", std::nullopt},
        {"Above_Tab", std::nullopt},
    };
    for (const auto& [name, keysym] : cases) {
        EXPECT_EQ(keysymFromName(name), keysym) << name;
    }
}

TEST(HotKeyKeySymbolsTest, TypedCharactersOnTheUsLayout) {
    struct Case {
        char32_t character;
        std::optional<std::uint32_t> keyCode;
        bool shifted;
    };
    const std::vector<Case> cases = {
        {'a', 0, false},
        {'A', 0, false},
        {'5', 23, false},
        {'%', 23, true},
        {'!', 18, true},
        {')', 29, true},
        {'+', 24, true},
        {'=', 24, false},
        {'_', 27, true},
        {'{', 33, true},
        {'|', 42, true},
        {'"', 39, true},
        {'~', 50, true},
        {'?', 44, true},
        {' ', 49, false},
        {0x7f, std::nullopt, false},
        {'\t', std::nullopt, false},
        {U'é', std::nullopt, false},
    };
    for (const Case& c : cases) {
        const auto typed = keyForCharacter(c.character);
        ASSERT_EQ(typed.has_value(), c.keyCode.has_value()) << int(c.character);
        if (typed) {
            EXPECT_EQ(typed->keyCode, *c.keyCode) << char(c.character);
            EXPECT_EQ(typed->shifted, c.shifted) << char(c.character);
        }
    }
}

} // namespace
