#pragma once

#include "Foundation/Setting.h"

#include <QString>

// Starting the application when the user logs in, through an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/<application id>.desktop) that names the installed launcher.
// Only an entry we wrote is ever replaced or removed. Main thread; synchronous.
class LaunchAtLogin {
public:
    enum class Status { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

    struct Outcome {
        enum class Kind { failed, enabled, disabled, requiresApproval };
        Kind kind = Kind::disabled;
        // Set for `failed`: localised, for the user.
        QString message;

        // "enabled", "disabled", "requiresApproval" or "failed(<message>)".
        QString printed() const;
    };

    static constexpr const char* defaultAppliedKey = "TessaryLaunchAtLoginDefaultApplied";
    static const FlagSetting& defaultAppliedSetting();

    static Outcome setEnabled(bool enabled);
    static Status status();
    // "notRegistered", "enabled", "requiresApproval", "notFound".
    static QString statusDescription();
    static QString describe(Status status);

    // Once, on the first launch from the installed location.
    static void applyDefaultIfNeeded();

    static QString entryPath();
    static QString autostartDirectory();
    // The launcher users start: <prefix>/bin/tessary when running from <prefix>/libexec/tessary,
    // else the one beside the application (a build tree).
    static QString launcherPath();
    static bool runsFromInstalledLocation();
    // The entry's whole text for a launcher path.
    static QByteArray entryText(const QString& launcher);
};
