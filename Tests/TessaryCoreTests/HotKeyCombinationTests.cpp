#include "TessaryCore/HotKeyCombination.h"
#include "TessaryCore/LaunchOptions.h"

#include <gtest/gtest.h>

#include <set>
#include <unordered_set>

using namespace tessary;

namespace {

constexpr HotKeyModifiers none{};
constexpr HotKeyModifiers ctrl = HotKeyModifiers::control;
constexpr HotKeyModifiers opt = HotKeyModifiers::option;
constexpr HotKeyModifiers shift = HotKeyModifiers::shift;
constexpr HotKeyModifiers cmd = HotKeyModifiers::command;
using Rejection = HotKeyCombination::Rejection;

// F1...F20 as the keyboard numbers them.
const std::vector<std::uint32_t> functionKeys = {122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                                 103, 111, 105, 107, 113, 106, 64, 79,  80,  90};

TEST(HotKeyCombinationTest, ValidationRejectsOnlyWhatTheOverlayOrUsersNeed) {
    struct Case {
        HotKeyModifiers modifiers;
        std::uint32_t keyCode;
        std::optional<Rejection> expected;
    };
    const std::vector<Case> cases = {
        {none, 96, std::nullopt},                // plain F5
        {shift, 96, std::nullopt},               // shift + F5
        {none, 0, Rejection::missingModifier},   // plain A
        {shift, 0, Rejection::missingModifier},  // shift + A
        {none, 53, Rejection::escapeReserved},   // plain Escape
        {cmd, 53, std::nullopt},                 // command + Escape
        {shift, 53, Rejection::missingModifier}, // shift + Escape
        {ctrl, 53, std::nullopt},
        {ctrl, 0, std::nullopt},
        {opt, 0, std::nullopt},
        {cmd, 0, std::nullopt},
        {shift | opt, 49, std::nullopt},
        {ctrl | shift, 200, std::nullopt},
        {none, 200, Rejection::missingModifier},
        {shift, 200, Rejection::missingModifier},
        {none, 121, Rejection::missingModifier}, // Page Down sits between the F-keys' codes
        {none, 95, Rejection::missingModifier},
        {none, 65, Rejection::missingModifier}, // keypad "." next to F17's 64
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "modifiers " << int(c.modifiers.rawValue) << " key " << c.keyCode);
        EXPECT_EQ(HotKeyCombination::rejection(c.modifiers, c.keyCode), c.expected);
        EXPECT_EQ((HotKeyCombination{c.modifiers, c.keyCode}.rejection()), c.expected);
    }
    for (std::uint32_t keyCode : functionKeys) {
        EXPECT_EQ(HotKeyCombination::rejection(none, keyCode), std::nullopt) << keyCode;
        EXPECT_TRUE(HotKeyCombination::isFunctionKey(keyCode)) << keyCode;
    }
}

TEST(HotKeyCombinationTest, KeyNameTableHasNinetyEightDistinctNames) {
    std::set<std::string> names;
    int named = 0;
    for (std::uint32_t code = 0; code < 512; ++code) {
        const std::string name = HotKeyCombination::keyName(code);
        if (name != "#" + std::to_string(code)) {
            ++named;
            names.insert(name);
            EXPECT_LT(code, 127u) << "only ANSI virtual key codes are named";
        }
    }
    EXPECT_EQ(named, 98);
    EXPECT_EQ(names.size(), 98u);
    // The ANSI layout's irregular corners: 5 and 6, 8 and 9, the keypad's missing 90.
    const std::vector<std::pair<std::uint32_t, std::string>> spots = {
        {0, "A"},   {1, "S"},   {6, "Z"},   {11, "B"},  {46, "M"},  {18, "1"},  {23, "5"},  {22, "6"},
        {28, "8"},  {25, "9"},  {29, "0"},  {24, "="},  {50, "`"},  {39, "'"},  {49, "␣"},  {51, "⌫"},
        {117, "⌦"}, {126, "↑"}, {65, "⌤."}, {89, "⌤7"}, {91, "⌤8"}, {92, "⌤9"}, {81, "⌤="}, {90, "F20"},
    };
    for (const auto& [code, name] : spots) {
        EXPECT_EQ(HotKeyCombination::keyName(code), name) << code;
    }
    for (size_t i = 0; i < functionKeys.size(); ++i) {
        EXPECT_EQ(HotKeyCombination::keyName(functionKeys[i]), "F" + std::to_string(i + 1));
    }
}

TEST(HotKeyCombinationTest, KeyNamesAndDisplay) {
    struct Case {
        HotKeyCombination combination;
        std::string display;
        std::string linuxDisplay;
    };
    const std::vector<Case> cases = {
        {HotKeyCombination::defaultCombination(), "⌃⌥A", "Ctrl+Alt+A"},
        {{shift, 96}, "⇧F5", "Shift+F5"},
        {{cmd, 200}, "⌘#200", "Super+#200"},
        {{ctrl | shift, 200}, "⌃⇧#200", "Ctrl+Shift+#200"},
        {{cmd | shift | opt | ctrl, 53}, "⌃⌥⇧⌘⎋", "Ctrl+Alt+Shift+Super+⎋"},
        {{none, 122}, "F1", "F1"},
        {{shift | cmd, 26}, "⇧⌘7", "Shift+Super+7"},
        {{ctrl, 42}, "⌃\\", "Ctrl+\\"},
        {{ctrl, 76}, "⌃⌤↩", "Ctrl+⌤↩"},
        {{opt, 29}, "⌥0", "Alt+0"},
        {{opt, 10}, "⌥#10", "Alt+#10"},
        {{opt, 4294967295u}, "⌥#4294967295", "Alt+#4294967295"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.combination.display(), c.display);
        EXPECT_EQ(c.combination.linuxDisplay(), c.linuxDisplay);
    }
}

TEST(HotKeyModifiersTest, TokensAndSymbolsFollowTheFixedOrder) {
    struct Case {
        HotKeyModifiers modifiers;
        std::string token;
        std::string display;
    };
    const std::vector<Case> cases = {
        {none, "", ""},
        {ctrl | opt, "ctrl+opt", "⌃⌥"},
        {cmd | ctrl, "ctrl+cmd", "⌃⌘"},
        {cmd | shift, "shift+cmd", "⇧⌘"},
        {cmd | shift | opt | ctrl, "ctrl+opt+shift+cmd", "⌃⌥⇧⌘"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.modifiers.token(), c.token);
        EXPECT_EQ(c.modifiers.display(), c.display);
    }
}

TEST(HotKeyModifiersTest, SetOperations) {
    HotKeyModifiers set;
    EXPECT_TRUE(set.isEmpty());
    set.insert(ctrl);
    set.insert(shift);
    EXPECT_TRUE(set.contains(ctrl));
    EXPECT_TRUE(set.contains(ctrl | shift));
    EXPECT_FALSE(set.contains(ctrl | cmd));
    set.remove(ctrl);
    EXPECT_EQ(set, shift);
    EXPECT_EQ((ctrl | opt) & (opt | cmd), opt);
    EXPECT_TRUE((ctrl & cmd).isEmpty());
}

TEST(HotKeyModifiersTest, TokenParsing) {
    struct Case {
        std::string token;
        std::optional<HotKeyModifiers> expected;
    };
    const std::vector<Case> cases = {
        {"", none},
        {"shift", shift},
        {"cmd+ctrl", ctrl | cmd},
        {"ctrl++cmd", ctrl | cmd},
        {"+ctrl+", ctrl},
        {"+", none},
        {"ctrl+ctrl", ctrl},
        {"ctrl+opt+shift+cmd", ctrl | opt | shift | cmd},
        {"CTRL", std::nullopt},
        {"Ctrl", std::nullopt},
        {"ctrl+alt", std::nullopt},
        {"control", std::nullopt},
        {" ctrl", std::nullopt},
        {"ctrl ", std::nullopt},
        {"ctrl+opt+x", std::nullopt},
        {"ctrl-opt", std::nullopt},
        {std::string("ctrl\0", 5), std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HotKeyModifiers::fromToken(c.token), c.expected) << '"' << c.token << '"';
    }
}

TEST(HotKeyCombinationTest, PersistedFormRoundTripsEveryModifierSet) {
    const std::vector<std::uint32_t> keyCodes = {0, 7, 53, 122, 4294967295u};
    for (std::uint8_t raw = 0; raw < 16; ++raw) {
        for (std::uint32_t keyCode : keyCodes) {
            const HotKeyCombination combination{HotKeyModifiers(raw), keyCode};
            const std::string persisted = combination.persistedString();
            EXPECT_EQ(HotKeyCombination::fromPersistedString(persisted), combination) << persisted;
        }
    }
    EXPECT_EQ(HotKeyCombination::defaultCombination().persistedString(), "ctrl+opt:0");
    EXPECT_EQ((HotKeyCombination{shift | cmd, 7}.persistedString()), "shift+cmd:7");
    EXPECT_EQ((HotKeyCombination{none, 122}.persistedString()), ":122");
}

TEST(HotKeyCombinationTest, PersistedFormParsing) {
    struct Case {
        std::string text;
        std::optional<HotKeyCombination> expected;
    };
    const std::vector<Case> cases = {
        {"ctrl+opt:0", HotKeyCombination::defaultCombination()},
        {":0", HotKeyCombination{none, 0}},
        {"cmd+ctrl:1", HotKeyCombination{ctrl | cmd, 1}},
        {"ctrl++cmd:1", HotKeyCombination{ctrl | cmd, 1}},
        {":53", HotKeyCombination{none, 53}}, // stored values are not validated
        {"shift:007", HotKeyCombination{shift, 7}},
        {"opt:4294967295", HotKeyCombination{opt, 4294967295u}},
        {"ctrl+opt:", std::nullopt},
        {"ctrl+opt", std::nullopt},
        {"ctrl:opt:0", std::nullopt},
        {"ctrl+opt:0:", std::nullopt},
        {"Ctrl:0", std::nullopt},
        {"ctrl+alt:0", std::nullopt},
        {"", std::nullopt},
        {":", std::nullopt},
        {"ctrl+opt:-1", std::nullopt},
        {"ctrl+opt:+1", std::nullopt},
        {"ctrl+opt: 0", std::nullopt},
        {"ctrl+opt:0 ", std::nullopt},
        {"ctrl+opt:4294967296", std::nullopt},
        {"ctrl+opt:99999999999999999999", std::nullopt},
        {"ctrl+opt:0x1", std::nullopt},
        {"ctrl+opt:１", std::nullopt}, // full-width digit
        {"ctrl :0", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HotKeyCombination::fromPersistedString(c.text), c.expected) << '"' << c.text << '"';
    }
    const auto reordered = HotKeyCombination::fromPersistedString("cmd+ctrl:1");
    ASSERT_TRUE(reordered);
    EXPECT_EQ(reordered->persistedString(), "ctrl+cmd:1");
}

TEST(HotKeyCombinationTest, LegacyIdentifiers) {
    struct Case {
        std::string identifier;
        std::optional<HotKeyCombination> expected;
    };
    const std::vector<Case> cases = {
        {"ctrl-opt-a", HotKeyCombination{ctrl | opt, 0}},
        {"ctrl-opt-s", HotKeyCombination{ctrl | opt, 1}},
        {"cmd-shift-x", HotKeyCombination{shift | cmd, 7}},
        {"cmd-shift-7", HotKeyCombination{shift | cmd, 26}},
        {"cmd-shift-a", HotKeyCombination{shift | cmd, 0}},
        {"CTRL-OPT-A", std::nullopt},
        {"ctrl-opt-a ", std::nullopt},
        {"ctrl-opt-b", std::nullopt},
        {"shift-cmd-x", std::nullopt},
        {"ctrl+opt:0", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HotKeyCombination::fromLegacyIdentifier(c.identifier), c.expected) << c.identifier;
    }
}

TEST(HotKeyCombinationTest, SymbolicHotKeyParameters) {
    struct Case {
        long long keyCode;
        long long mask;
        std::optional<HotKeyCombination> expected;
    };
    const std::vector<Case> cases = {
        {65535, 0x100000, std::nullopt},
        {65536, 0, std::nullopt},
        {-1, 0x40000, std::nullopt},
        {65534, 0, HotKeyCombination{none, 65534}},
        {21, 0x160000, HotKeyCombination{shift | ctrl | cmd, 21}},
        {20, 0x120000, HotKeyCombination{shift | cmd, 20}},
        {0, 0x80000, HotKeyCombination{opt, 0}},
        {0, 0x1e0000, HotKeyCombination{ctrl | opt | shift | cmd, 0}},
        {5, 0xff01ffff, HotKeyCombination{none, 5}}, // only the four modifier bits count
        {7, -1, HotKeyCombination{ctrl | opt | shift | cmd, 7}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HotKeyCombination::fromSymbolicHotKeyParameters(c.keyCode, c.mask), c.expected)
            << c.keyCode << ", " << std::hex << c.mask;
    }
}

TEST(HotKeyCombinationTest, EqualityAndHashingUseBothFields) {
    const std::unordered_set<HotKeyCombination> set = {
        {ctrl, 0}, {ctrl, 0}, {opt, 0}, {ctrl, 1}, {ctrl | opt, 0}, HotKeyCombination::defaultCombination()};
    EXPECT_EQ(set.size(), 4u);
    EXPECT_TRUE(set.count({opt | ctrl, 0}));
    EXPECT_FALSE(set.count({cmd, 0}));
}

TEST(HotKeyCombinationTest, RecordHotKeyLaunchSwitchDecodesThePersistedForm) {
    struct Case {
        std::vector<std::string> arguments;
        std::optional<HotKeyCombination> expected;
    };
    const std::vector<Case> cases = {
        {{"tessary", "--dev-record-hotkey=shift+cmd:7"}, HotKeyCombination{shift | cmd, 7}},
        {{"--dev-record-hotkey=:53", "--dev-record-hotkey=ctrl:1"}, HotKeyCombination{none, 53}},
        {{"--dev-record-hotkey=ctrl+alt:0"}, std::nullopt},
        {{"--dev-record-hotkey=ctrl:1:2"}, std::nullopt},
        {{"--dev-record-hotkey="}, std::nullopt},
        {{"--dev-record-hotkey", "ctrl:1"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LaunchOptions::parse(c.arguments).devRecordHotKey, c.expected);
    }
}

} // namespace
