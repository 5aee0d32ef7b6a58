#include "Platform/X11/X11SystemShortcuts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using tessary::HotKeyCombination;
using tessary::HotKeyModifiers;
using Set = std::unordered_set<HotKeyCombination>;

namespace {

constexpr HotKeyModifiers ctrl = HotKeyModifiers::control;
constexpr HotKeyModifiers alt = HotKeyModifiers::option;
constexpr HotKeyModifiers super = HotKeyModifiers::command;

const QString data = QStringLiteral(TESSARY_TEST_DATA "/HotKeys/");

std::optional<QByteArray> fixture(const QString& name) {
    QFile file(data + name);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

// gsettings as seen from a GNOME session with the fixture's settings; records what was asked.
struct FakeGsettings {
    QStringList calls;
    QStringList missingSchemas;

    std::optional<QByteArray> operator()(const QStringList& arguments) {
        calls.append(arguments.join(QLatin1Char(' ')));
        if (arguments.size() == 2 && arguments[0] == QLatin1String("list-recursively") &&
            !missingSchemas.contains(arguments[1])) {
            return fixture(QStringLiteral("gnome/") + arguments[1] + QStringLiteral(".txt"));
        }
        if (arguments.size() == 3 && arguments[0] == QLatin1String("get") &&
            arguments[1].endsWith(QLatin1String("custom-keybindings/custom0/")) &&
            arguments[2] == QLatin1String("binding")) {
            return fixture(QStringLiteral("gnome/custom0-binding.txt"));
        }
        return std::nullopt;
    }
};

TEST(X11SystemShortcutsTest, GnomeSessionReadsEveryTableAndCustomBindings) {
    FakeGsettings gsettings;
    X11SystemShortcuts shortcuts({QStringLiteral("ubuntu:GNOME"), QStringLiteral("/nonexistent"),
                                  [&](const QStringList& a) { return gsettings(a); }});
    const auto combinations = shortcuts.enabledCombinations();
    ASSERT_TRUE(combinations);
    for (const HotKeyCombination& expected : {HotKeyCombination{super, 12}, // wm: close, changed by the user
                                              HotKeyCombination{super, 0},  // shell: application view
                                              HotKeyCombination{super, 37}, // media keys: screen saver
                                              HotKeyCombination{ctrl | alt, 17}}) { // custom: terminal
        EXPECT_TRUE(combinations->count(expected)) << expected.display();
    }
    EXPECT_FALSE(combinations->count(HotKeyCombination{alt, 118})) << "close no longer uses Alt+F4";
    EXPECT_EQ(gsettings.calls.size(), 4);
    EXPECT_EQ(
        gsettings.calls.last(),
        QStringLiteral("get org.gnome.settings-daemon.plugins.media-keys.custom-keybinding:"
                       "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/ binding"));
}

TEST(X11SystemShortcutsTest, WhatCountsAsUnreadable) {
    QTemporaryDir kdeHome;
    ASSERT_TRUE(QFile::copy(data + QStringLiteral("kde/kglobalshortcutsrc"),
                            kdeHome.filePath(QStringLiteral("kglobalshortcutsrc"))));
    QTemporaryDir emptyHome;
    const QStringList allSchemas{QStringLiteral("org.gnome.desktop.wm.keybindings"),
                                 QStringLiteral("org.gnome.shell.keybindings"),
                                 QStringLiteral("org.gnome.settings-daemon.plugins.media-keys")};
    struct Case {
        const char* name;
        QString desktop;
        QString configHome;
        QStringList missingSchemas;
        bool readable;
    };
    const std::vector<Case> cases = {
        {"KDE with its file", QStringLiteral("KDE"), kdeHome.path(), {}, true},
        {"KDE without a file", QStringLiteral("KDE"), emptyHome.path(), {}, false},
        {"GNOME with one schema", QStringLiteral("GNOME"), emptyHome.path(), allSchemas.mid(1), true},
        {"GNOME without schemas", QStringLiteral("GNOME"), emptyHome.path(), allSchemas, false},
        {"another desktop", QStringLiteral("XFCE"), kdeHome.path(), {}, false},
        {"no desktop", QString(), kdeHome.path(), {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeGsettings gsettings;
        gsettings.missingSchemas = c.missingSchemas;
        X11SystemShortcuts shortcuts(
            {c.desktop, c.configHome, [&](const QStringList& a) { return gsettings(a); }});
        EXPECT_EQ(shortcuts.enabledCombinations().has_value(), c.readable);
    }
}

TEST(X11SystemShortcutsTest, KdeSessionReadsTheFileEachTime) {
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral("kglobalshortcutsrc"));
    X11SystemShortcuts shortcuts({QStringLiteral("KDE"), home.path(), {}});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[kwin]\nWindow Close=Alt+F4,Alt+F4,Close Window\n");
    file.close();
    EXPECT_EQ(shortcuts.enabledCombinations(), (Set{HotKeyCombination{alt, 118}}));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[kwin]\nWindow Close=none,Alt+F4,Close Window\n");
    file.close();
    EXPECT_EQ(shortcuts.enabledCombinations(), Set{});
}

TEST(X11SystemShortcutsTest, CustomBindingPathsAreCheckedBeforeUse) {
    QStringList asked;
    auto gsettings = [&](const QStringList& arguments) -> std::optional<QByteArray> {
        asked.append(arguments.join(QLatin1Char(' ')));
        if (arguments[0] == QLatin1String("list-recursively")) {
            return QByteArray("org.gnome.settings-daemon.plugins.media-keys custom-keybindings "
                              "['/ok/custom1/', '--help', '/a b/', '/../x/', '', '/ok/custom1/']\n");
        }
        return QByteArray("'<Super>F9'");
    };
    X11SystemShortcuts shortcuts({QStringLiteral("GNOME"), QString(), gsettings});
    EXPECT_EQ(shortcuts.enabledCombinations(), (Set{HotKeyCombination{super, 101}}));
    EXPECT_EQ(asked.filter(QStringLiteral("get ")).size(), 1);
}

} // namespace
