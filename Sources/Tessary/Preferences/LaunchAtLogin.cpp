#include "Preferences/LaunchAtLogin.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString applicationID = QStringLiteral("org.tessary.Tessary");
// Marks an entry as written by us; anything else under our file name belongs to the user.
const QByteArray ownerLine = QByteArrayLiteral("X-Tessary-Managed=true");

struct Entry {
    bool exists = false;
    bool ours = false;
    bool active = false;
};

// Only the [Desktop Entry] group counts; keys are compared exactly, values trimmed.
Entry readEntry(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return {};
    }
    Entry entry{true, false, true};
    if (!file.open(QIODevice::ReadOnly)) {
        return {true, false, false};
    }
    bool inMainGroup = false;
    // A desktop file is small; anything larger is not one of ours.
    const QByteArray text = file.read(64 * 1024);
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) {
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0) {
            continue;
        }
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == "X-Tessary-Managed" && value == "true") {
            entry.ours = true;
        } else if (key == "Hidden" && value == "true") {
            entry.active = false;
        } else if (key == "X-GNOME-Autostart-enabled" && value == "false") {
            entry.active = false;
        }
    }
    return entry;
}

// The Exec key's quoting: arguments with reserved characters are double-quoted with `"`, `` ` ``,
// `$` and `\` escaped; `%` is doubled in any case. Then the string level escapes backslashes again.
QString execArgument(const QString& path) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString argument = path;
    argument.replace(QLatin1Char('%'), QLatin1String("%%"));
    bool needsQuotes = false;
    for (const QChar c : argument) {
        needsQuotes = needsQuotes || reserved.contains(c);
    }
    if (needsQuotes) {
        QString quoted;
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\')) {
                quoted += QLatin1Char('\\');
            }
            quoted += c;
        }
        argument = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    argument.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return argument;
}

QString stringValue(const QString& text) {
    QString value = text;
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return value;
}

LaunchAtLogin::Outcome failed(const QString& verb, const QString& message) {
    Log::error(QStringLiteral("开机自启") + verb + QStringLiteral("失败：") + message);
    return {LaunchAtLogin::Outcome::Kind::failed, message};
}

} // namespace

QString LaunchAtLogin::Outcome::printed() const {
    switch (kind) {
    case Kind::failed:
        return QStringLiteral("failed(") + message + QStringLiteral(")");
    case Kind::enabled:
        return QStringLiteral("enabled");
    case Kind::disabled:
        return QStringLiteral("disabled");
    case Kind::requiresApproval:
        return QStringLiteral("requiresApproval");
    }
    return QStringLiteral("disabled");
}

const FlagSetting& LaunchAtLogin::defaultAppliedSetting() {
    static const FlagSetting setting{defaultAppliedKey, false, SettingValue::toBool};
    return setting;
}

QString LaunchAtLogin::autostartDirectory() {
    // XDG_CONFIG_HOME when set and absolute, else ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString LaunchAtLogin::entryPath() {
    return autostartDirectory() + QLatin1Char('/') + applicationID + QStringLiteral(".desktop");
}

QString LaunchAtLogin::launcherPath() {
    const QString directory = QDir::cleanPath(QCoreApplication::applicationDirPath());
    if (directory.endsWith(QStringLiteral("/libexec/tessary"))) {
        return QDir::cleanPath(directory + QStringLiteral("/../../bin/tessary"));
    }
    return directory + QStringLiteral("/tessary");
}

bool LaunchAtLogin::runsFromInstalledLocation() {
    const QString installed =
        QFileInfo(QStringLiteral(TESSARY_INSTALL_PREFIX "/libexec/tessary")).canonicalFilePath();
    return !installed.isEmpty() &&
           QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath() == installed;
}

QByteArray LaunchAtLogin::entryText(const QString& launcher) {
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=Tessary\n");
    text += QStringLiteral("Comment=Screenshots from the tray\n");
    text += QStringLiteral("Exec=") + execArgument(launcher) + QLatin1Char('\n');
    text += QStringLiteral("TryExec=") + stringValue(launcher) + QLatin1Char('\n');
    text += QStringLiteral("Icon=") + applicationID + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    text += QString::fromLatin1(ownerLine) + QLatin1Char('\n');
    return text.toUtf8();
}

LaunchAtLogin::Status LaunchAtLogin::status() {
    const Entry entry = readEntry(entryPath());
    return entry.exists && entry.ours && entry.active ? Status::enabled : Status::notRegistered;
}

QString LaunchAtLogin::describe(Status status) {
    switch (status) {
    case Status::notRegistered:
        return QStringLiteral("notRegistered");
    case Status::enabled:
        return QStringLiteral("enabled");
    case Status::requiresApproval:
        return QStringLiteral("requiresApproval");
    case Status::notFound:
        return QStringLiteral("notFound");
    }
    return QStringLiteral("unknown(") + QString::number(static_cast<int>(status)) + QLatin1Char(')');
}

QString LaunchAtLogin::statusDescription() {
    return describe(status());
}

LaunchAtLogin::Outcome LaunchAtLogin::setEnabled(bool enabled) {
    const QString path = entryPath();
    const Entry entry = readEntry(path);
    const QString verb = enabled ? QStringLiteral("开启") : QStringLiteral("关闭");
    if (entry.exists && !entry.ours) {
        if (!enabled) {
            // Not ours to remove; as far as we are concerned nothing is registered.
            return {Outcome::Kind::disabled, {}};
        }
        return failed(verb, L10n::format(QStringLiteral("prefs.startup.error.foreign"), {path}));
    }
    if (!enabled) {
        if (entry.exists && !QFile::remove(path)) {
            return failed(verb, L10n::format(QStringLiteral("prefs.startup.error.remove"), {path}));
        }
        return {Outcome::Kind::disabled, {}};
    }
    if (entry.exists && entry.active) {
        return {Outcome::Kind::enabled, {}};
    }
    if (!QDir().mkpath(autostartDirectory())) {
        return failed(verb, L10n::format(QStringLiteral("prefs.startup.error.write"),
                                         {autostartDirectory(), QStringLiteral("mkdir")}));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText(launcherPath())) < 0 || !file.commit()) {
        return failed(verb,
                      L10n::format(QStringLiteral("prefs.startup.error.write"), {path, file.errorString()}));
    }
    return status() == Status::enabled ? Outcome{Outcome::Kind::enabled, {}}
                                       : Outcome{Outcome::Kind::disabled, {}};
}

void LaunchAtLogin::applyDefaultIfNeeded() {
    if (defaultAppliedSetting().value()) {
        return;
    }
    if (!runsFromInstalledLocation()) {
        Log::info(QStringLiteral("开机自启：当前不是 " TESSARY_INSTALL_PREFIX "/libexec/tessary 里的程序（") +
                  QCoreApplication::applicationFilePath() + QStringLiteral("），跳过默认开启，也不落标记。"));
        return;
    }
    // Set before trying, so a failure is not retried on every launch.
    defaultAppliedSetting().set(true);
    const Outcome outcome = setEnabled(true);
    switch (outcome.kind) {
    case Outcome::Kind::enabled:
        Log::info(QStringLiteral("开机自启：首次启动，已按默认值开启。"));
        break;
    case Outcome::Kind::disabled:
        Log::info(QStringLiteral("开机自启：首次启动，系统报告未登记。"));
        break;
    case Outcome::Kind::requiresApproval:
        Log::info(QStringLiteral("开机自启：首次启动已登记，但系统要求用户去「登录项」里放行。"));
        break;
    case Outcome::Kind::failed:
        Log::error(QStringLiteral("开机自启：首次启动开启失败：") + outcome.message);
        break;
    }
}
