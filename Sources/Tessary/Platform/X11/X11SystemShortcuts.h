#pragma once

#include "Platform/SystemShortcutTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// The running desktop's own shortcuts: GNOME's window-manager, shell and media-key bindings (custom
// ones included) through gsettings, or KDE's kglobalshortcutsrc. Other desktops have no table here.
class X11SystemShortcuts : public SystemShortcutTable {
public:
    struct Environment {
        // XDG_CURRENT_DESKTOP, colon-separated names.
        QString currentDesktop;
        // XDG_CONFIG_HOME or ~/.config.
        QString configHome;
        // Runs gsettings with the arguments; its output, or nothing when it cannot run or fails.
        std::function<std::optional<QByteArray>(const QStringList&)> gsettings;
    };

    static Environment processEnvironment();

    explicit X11SystemShortcuts(Environment environment = processEnvironment());

    std::optional<std::unordered_set<tessary::HotKeyCombination>> enabledCombinations() override;

private:
    std::optional<std::unordered_set<tessary::HotKeyCombination>> readGnome();
    std::optional<std::unordered_set<tessary::HotKeyCombination>> readKde();

    Environment m_environment;
};
