#include "TessaryCore/HotKeyDesktopShortcuts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unordered_set>

using namespace tessary;
using namespace tessary::HotKeyDesktopShortcuts;

namespace {

constexpr HotKeyModifiers none{};
constexpr HotKeyModifiers ctrl = HotKeyModifiers::control;
constexpr HotKeyModifiers alt = HotKeyModifiers::option;
constexpr HotKeyModifiers shift = HotKeyModifiers::shift;
constexpr HotKeyModifiers super = HotKeyModifiers::command;
using Combo = HotKeyCombination;
using Set = std::unordered_set<HotKeyCombination>;

std::string fixture(const std::string& name) {
    std::ifstream file(std::string(TESSARY_TEST_DATA) + "/HotKeys/" + name, std::ios::binary);
    EXPECT_TRUE(file.good()) << name;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(HotKeyDesktopShortcutsTest, GtkAccelerators) {
    const std::vector<std::pair<std::string, std::optional<Combo>>> cases = {
        {"<Control><Alt>t", Combo{ctrl | alt, 17}},
        {"<Primary><Alt>T", Combo{ctrl | alt, 17}},
        {"<Ctrl><Shift><Alt>R", Combo{ctrl | shift | alt, 15}},
        {"<Shift><Super>Page_Up", Combo{shift | super, 116}},
        {"<Super>Up", Combo{super, 126}},
        {"<Alt>space", Combo{alt, 49}},
        {"<Mod4>l", Combo{super, 37}},
        {"<Meta>F4", Combo{alt, 118}},
        {"<Hyper>a", Combo{super, 0}},
        {"<shift><CONTROL>KP_Enter", Combo{shift | ctrl, 76}},
        {"<Alt><Super>equal", Combo{alt | super, 24}},
        {"F11", Combo{none, 103}},
        {"  <Super>q  ", Combo{super, 12}},
        {"Print", std::nullopt},
        {"<Super>Above_Tab", std::nullopt},
        {"<Ctrl>XF86AudioPlay", std::nullopt},
        {"<Mod5>a", std::nullopt},
        {"<Release>a", std::nullopt},
        {"<Super>", std::nullopt},
        {"<Super", std::nullopt},
        {"disabled", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [accelerator, expected] : cases) {
        EXPECT_EQ(fromGtkAccelerator(accelerator), expected) << accelerator;
    }
}

TEST(HotKeyDesktopShortcutsTest, QtShortcuts) {
    const std::vector<std::pair<std::string, std::optional<Combo>>> cases = {
        {"Meta+Shift+S", Combo{super | shift, 1}},
        {"Ctrl+Alt+Del", Combo{ctrl | alt, 117}},
        {"Meta+Ctrl+Esc", Combo{ctrl | super, 53}},
        {"Alt+Backtab", Combo{alt | shift, 48}},
        {"Meta+PgDown", Combo{super, 121}},
        {"Ctrl++", Combo{ctrl | shift, 24}},
        {"Meta+=", Combo{super, 24}},
        {"Meta+@", Combo{super | shift, 19}},
        {"Ctrl+Num++", Combo{ctrl, 69}},
        {"Num+Enter", Combo{none, 76}},
        {"Ctrl+Return", Combo{ctrl, 36}},
        {"ctrl+alt+t", Combo{ctrl | alt, 17}},
        {"Alt+Space", Combo{alt, 49}},
        {"Shift+F20", Combo{shift, 90}},
        {"Meta+,", Combo{super, 43}},
        {"Meta+Print", std::nullopt},
        {"Volume Up", std::nullopt},
        {"Meta+F21", std::nullopt},
        {"Hyper+A", std::nullopt},
        {"Ctrl+", std::nullopt},
        {"+", Combo{shift, 24}},
        {"", std::nullopt},
    };
    for (const auto& [shortcut, expected] : cases) {
        EXPECT_EQ(fromQtShortcut(shortcut), expected) << shortcut;
    }
}

TEST(HotKeyDesktopShortcutsTest, GVariantStrings) {
    using List = std::vector<std::string>;
    const std::vector<std::pair<std::string, List>> cases = {
        {"['<Super>Up', '<Alt>F7']", {"<Super>Up", "<Alt>F7"}},
        {"['']", {""}},
        {"@as []", {}},
        {"[]", {}},
        {"'Print'", {"Print"}},
        {"\"<Control>'\"", {"<Control>'"}},
        {"['a\\'b']", {"a'b"}},
        {"6", {}},
        {"uint32 30", {}},
        {"true", {}},
        {"['<Super>a'", {}},
        {"['<Super>a' '<Super>b']", {}},
        {"['<Super>a'] trailing", {}},
        {"'unterminated", {}},
        {"['\\", {}},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(gvariantStrings(value), expected) << value;
    }
}

TEST(HotKeyDesktopShortcutsTest, GsettingsListingLines) {
    const auto entries = parseGsettingsListing("org.a close ['<Alt>F4']\r\nbroken\norg.a  x\norg.b step 6\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].schema, "org.a");
    EXPECT_EQ(entries[0].key, "close");
    EXPECT_EQ(entries[0].value, "['<Alt>F4']");
    EXPECT_EQ(entries[1].key, "step");
}

TEST(HotKeyDesktopShortcutsTest, GnomeWindowManagerBindingsWithUserChanges) {
    const auto combinations =
        combinationsInGsettingsListing(fixture("gnome/org.gnome.desktop.wm.keybindings.txt"));
    EXPECT_EQ(combinations.size(), 47u);
    const Set set(combinations.begin(), combinations.end());
    for (const Combo& expected : {Combo{super, 12}, Combo{alt, 49}, Combo{ctrl | alt, 53},
                                  Combo{shift | ctrl | alt, 53}, Combo{super | shift, 115}, Combo{alt, 122},
                                  Combo{super | shift, 116}, Combo{ctrl | shift | alt, 123}, Combo{super, 49},
                                  Combo{ctrl | alt, 125}, Combo{alt, 96}, Combo{shift | alt, 48}}) {
        EXPECT_TRUE(set.count(expected)) << expected.display();
    }
    // close moved from Alt+F4 to Super+Q; minimize set to "disabled"; begin-move emptied.
    for (const Combo& absent : {Combo{alt, 118}, Combo{super, 4}, Combo{alt, 98}}) {
        EXPECT_FALSE(set.count(absent)) << absent.display();
    }
}

TEST(HotKeyDesktopShortcutsTest, GnomeShellAndMediaKeys) {
    const auto shell = combinationsInGsettingsListing(fixture("gnome/org.gnome.shell.keybindings.txt"));
    EXPECT_EQ(shell.size(), 18u);
    const Set shellSet(shell.begin(), shell.end());
    EXPECT_TRUE(shellSet.count(Combo{ctrl | shift, 96}));       // user's screenshot-window
    EXPECT_TRUE(shellSet.count(Combo{ctrl | shift | alt, 15})); // screen recording
    EXPECT_TRUE(shellSet.count(Combo{super, 25}));              // switch-to-application-9
    EXPECT_FALSE(shellSet.count(Combo{super, 1}));              // toggle-overview emptied by the user

    const auto media =
        combinationsInGsettingsListing(fixture("gnome/org.gnome.settings-daemon.plugins.media-keys.txt"));
    const Set mediaSet(media.begin(), media.end());
    const Set expectedMedia = {Combo{super, 122},      Combo{ctrl | alt, 117}, Combo{alt | super, 28},
                               Combo{alt | super, 24}, Combo{alt | super, 27}, Combo{alt | super, 1},
                               Combo{super, 37},       Combo{super, 31}};
    EXPECT_EQ(mediaSet, expectedMedia);
    EXPECT_EQ(media.size(), expectedMedia.size());

    const auto custom = gvariantStrings(fixture("gnome/custom0-binding.txt"));
    ASSERT_EQ(custom.size(), 1u);
    EXPECT_EQ(fromGtkAccelerator(custom[0]), (Combo{ctrl | alt, 17}));
}

TEST(HotKeyDesktopShortcutsTest, KdeGlobalShortcutsSkipDisabledAndUnknownKeys) {
    const auto combinations = combinationsInKdeGlobalShortcuts(fixture("kde/kglobalshortcutsrc"));
    const Set expected = {
        Combo{super | alt, 37}, Combo{super | alt, 40}, Combo{super, 37},         Combo{ctrl | alt, 117},
        Combo{ctrl | super, 0}, Combo{ctrl, 101},       Combo{ctrl, 109},         Combo{ctrl | super, 53},
        Combo{ctrl, 122},       Combo{alt, 48},         Combo{alt | shift, 48},   Combo{alt, 118},
        Combo{super, 116},      Combo{super, 123},      Combo{super | shift, 19}, Combo{super | shift, 24},
        Combo{super, 24},       Combo{super, 27},       Combo{alt | shift, 120},  Combo{alt, 49},
        Combo{alt, 120},        Combo{super, 18},       Combo{ctrl | super, 7},   Combo{ctrl, 111},
        Combo{super, 9},
    };
    EXPECT_EQ(Set(combinations.begin(), combinations.end()), expected);
    EXPECT_EQ(combinations.size(), expected.size());
    // "Show Desktop=none,Meta+D,..." is switched off: its default must not count.
    EXPECT_FALSE(Set(combinations.begin(), combinations.end()).count(Combo{super, 2}));
}

TEST(HotKeyDesktopShortcutsTest, KdePlasmaSixServiceGroups) {
    const auto combinations = combinationsInKdeGlobalShortcuts(fixture("kde/kglobalshortcutsrc-plasma6"));
    const Set expected = {Combo{super, 13},      Combo{alt, 118},         Combo{super, 14},
                          Combo{ctrl | alt, 17}, Combo{super | shift, 1}, Combo{ctrl, 87}};
    EXPECT_EQ(Set(combinations.begin(), combinations.end()), expected);
}

TEST(HotKeyDesktopShortcutsTest, KdeValueEscapes) {
    const std::string text = "[x]\n"
                             "a=Meta+\\,,Meta+\\,,Comma action\n"
                             "b=Ctrl+F1\\tCtrl+F2,none,Two\n"
                             "c = Ctrl+F3 , none\n"
                             "# d=Ctrl+F4,none,comment\n"
                             "e\n"
                             "_k_friendly_name=Ctrl+F5\n";
    const auto combinations = combinationsInKdeGlobalShortcuts(text);
    const std::vector<Combo> expected = {Combo{super, 43}, Combo{ctrl, 122}, Combo{ctrl, 120},
                                         Combo{ctrl, 99}};
    EXPECT_EQ(combinations, expected);
}

} // namespace

TEST(HotKeyDesktopShortcutsTest, PortalTriggers) {
    const std::vector<std::pair<Combo, std::optional<std::string>>> cases = {
        {Combo{ctrl | alt, 0}, "CTRL+ALT+a"},
        {Combo{shift | super, 116}, "SHIFT+LOGO+Prior"},
        {Combo{ctrl | shift | alt | super, 18}, "CTRL+ALT+SHIFT+LOGO+1"},
        {Combo{none, 103}, "F11"},
        {Combo{alt, 49}, "ALT+space"},
        {Combo{ctrl, 200}, std::nullopt},
    };
    for (const auto& [combination, expected] : cases) {
        EXPECT_EQ(tessary::HotKeyDesktopShortcuts::portalTrigger(combination), expected)
            << combination.persistedString();
    }
}
