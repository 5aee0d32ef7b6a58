#include "HotKeys/GlobalHotKey.h"

#include "App/Log.h"
#include "Platform/GlobalHotKeys.h"
#include "Platform/Platform.h"

#include <QCoreApplication>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QTimer>

namespace {

// Shared by every registration of the process; main thread only.
struct Dispatch {
    QHash<quint32, GlobalHotKey::Action> handlers;
    // The backend whose presses are being listened to; a new backend (tests swap it) is connected anew.
    QPointer<GlobalHotKeys> connectedBackend;
    quint32 nextID = 1;
};

Dispatch& dispatch() {
    static Dispatch shared;
    return shared;
}

void handlePress(quint32 id) {
    const auto found = dispatch().handlers.constFind(id);
    if (found == dispatch().handlers.constEnd() || !*found) {
        return;
    }
    QTimer::singleShot(0, QCoreApplication::instance(), *found);
}

GlobalHotKeys& backend() {
    GlobalHotKeys& hotKeys = Platform::instance().globalHotKeys();
    Dispatch& shared = dispatch();
    if (shared.connectedBackend != &hotKeys) {
        QObject::connect(&hotKeys, &GlobalHotKeys::pressed, &hotKeys, &handlePress);
        shared.connectedBackend = &hotKeys;
    }
    return hotKeys;
}

} // namespace

std::unique_ptr<GlobalHotKey> GlobalHotKey::registerHotKey(const tessary::HotKeyCombination& combination,
                                                           Action action) {
    GlobalHotKeys& hotKeys = backend();
    // Identifiers are spent on every attempt, refused ones included.
    const quint32 id = dispatch().nextID++;
    if (!hotKeys.registerHotKey(id, combination)) {
        return nullptr;
    }
    dispatch().handlers.insert(id, std::move(action));
    return std::unique_ptr<GlobalHotKey>(new GlobalHotKey(id, combination));
}

GlobalHotKey::GlobalHotKey(quint32 id, const tessary::HotKeyCombination& combination)
    : m_id(id), m_combination(combination) {}

GlobalHotKey::~GlobalHotKey() {
    if (GlobalHotKeys* hotKeys = dispatch().connectedBackend) {
        hotKeys->unregisterHotKey(m_id);
    }
    dispatch().handlers.remove(m_id);
}

std::optional<tessary::HotKeyCombination> GlobalHotKey::Preference::selected() {
    QSettings settings;
    const QVariant stored = settings.value(QLatin1String(combinationKey));
    if (stored.typeId() == QMetaType::QString) {
        return tessary::HotKeyCombination::fromPersistedString(stored.toString().toStdString());
    }
    const QVariant legacy = settings.value(QLatin1String(legacyIdentifierKey));
    if (legacy.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    const QString identifier = legacy.toString();
    const auto combination = tessary::HotKeyCombination::fromLegacyIdentifier(identifier.toStdString());
    if (!combination) {
        return std::nullopt;
    }
    Log::info(QStringLiteral("热键偏好迁移：旧标识 ") + identifier + QStringLiteral(" → ") +
              QString::fromStdString(combination->display()) + QStringLiteral("。"));
    settings.setValue(QLatin1String(combinationKey), QString::fromStdString(combination->persistedString()));
    settings.remove(QLatin1String(legacyIdentifierKey));
    return combination;
}
