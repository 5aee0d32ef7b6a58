#include "Platform/X11/X11SystemShortcuts.h"

#include "TessaryCore/HotKeyDesktopShortcuts.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <string_view>

namespace {

using Combinations = std::unordered_set<tessary::HotKeyCombination>;
namespace Desktop = tessary::HotKeyDesktopShortcuts;

// Output beyond these sizes is not a shortcut table.
constexpr qint64 maxOutputBytes = 1 << 20;
constexpr qint64 maxFileBytes = 4 << 20;
constexpr int maxCustomBindings = 64;
constexpr int gsettingsTimeoutMs = 2000;

constexpr std::string_view mediaKeysSchema = "org.gnome.settings-daemon.plugins.media-keys";
const QStringList gnomeSchemas{
    QStringLiteral("org.gnome.desktop.wm.keybindings"),
    QStringLiteral("org.gnome.shell.keybindings"),
    QString::fromLatin1(mediaKeysSchema.data(), mediaKeysSchema.size()),
};
const QString customBindingSchema =
    QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");

enum class DesktopKind { gnome, kde, other };

DesktopKind desktopKind(const QString& currentDesktop) {
    for (const QString& name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString lower = name.trimmed().toLower();
        if (lower == QLatin1String("kde")) {
            return DesktopKind::kde;
        }
        if (lower == QLatin1String("gnome") || lower == QLatin1String("gnome-classic") ||
            lower == QLatin1String("gnome-flashback") || lower == QLatin1String("ubuntu") ||
            lower == QLatin1String("unity") || lower == QLatin1String("pop")) {
            return DesktopKind::gnome;
        }
    }
    return DesktopKind::other;
}

std::optional<QByteArray> runGsettings(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QStringLiteral("gsettings"), arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(gsettingsTimeoutMs) || !process.waitForFinished(gsettingsTimeoutMs)) {
        process.kill();
        process.waitForFinished(100);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return std::nullopt;
    }
    return process.read(maxOutputBytes);
}

void insertAll(Combinations& set, const std::vector<tessary::HotKeyCombination>& combinations) {
    set.insert(combinations.begin(), combinations.end());
}

} // namespace

X11SystemShortcuts::Environment X11SystemShortcuts::processEnvironment() {
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome)) {
        configHome = QDir::homePath() + QStringLiteral("/.config");
    }
    return {qEnvironmentVariable("XDG_CURRENT_DESKTOP"), configHome, runGsettings};
}

X11SystemShortcuts::X11SystemShortcuts(Environment environment) : m_environment(std::move(environment)) {}

std::optional<Combinations> X11SystemShortcuts::enabledCombinations() {
    switch (desktopKind(m_environment.currentDesktop)) {
    case DesktopKind::gnome:
        return readGnome();
    case DesktopKind::kde:
        return readKde();
    case DesktopKind::other:
        break;
    }
    return std::nullopt;
}

std::optional<Combinations> X11SystemShortcuts::readGnome() {
    if (!m_environment.gsettings) {
        return std::nullopt;
    }
    Combinations combinations;
    bool readAny = false;
    QStringList customPaths;
    for (const QString& schema : gnomeSchemas) {
        const auto output = m_environment.gsettings({QStringLiteral("list-recursively"), schema});
        if (!output) {
            continue;
        }
        readAny = true;
        const std::string text = output->toStdString();
        insertAll(combinations, Desktop::combinationsInGsettingsListing(text));
        for (const Desktop::GsettingsEntry& entry : Desktop::parseGsettingsListing(text)) {
            if (entry.key != "custom-keybindings" || entry.schema != mediaKeysSchema) {
                continue;
            }
            for (const std::string& path : Desktop::gvariantStrings(entry.value)) {
                customPaths.append(QString::fromStdString(path));
            }
        }
    }
    if (!readAny) {
        return std::nullopt;
    }
    customPaths.removeDuplicates();
    // Custom bindings live in relocatable schemas, one per path the list names.
    static const QRegularExpression validPath(QStringLiteral("^(/[A-Za-z0-9_-]+)+/$"));
    int looked = 0;
    for (const QString& path : customPaths) {
        if (!validPath.match(path).hasMatch() || ++looked > maxCustomBindings) {
            continue;
        }
        const auto output =
            m_environment.gsettings({QStringLiteral("get"), customBindingSchema + QLatin1Char(':') + path,
                                     QStringLiteral("binding")});
        if (!output) {
            continue;
        }
        for (const std::string& accelerator : Desktop::gvariantStrings(output->toStdString())) {
            if (auto combination = Desktop::fromGtkAccelerator(accelerator)) {
                combinations.insert(*combination);
            }
        }
    }
    return combinations;
}

std::optional<Combinations> X11SystemShortcuts::readKde() {
    QFile file(m_environment.configHome + QStringLiteral("/kglobalshortcutsrc"));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray contents = file.read(maxFileBytes);
    Combinations combinations;
    insertAll(combinations, Desktop::combinationsInKdeGlobalShortcuts(contents.toStdString()));
    return combinations;
}
