#pragma once

#include "Platform/GlobalHotKeys.h"

#include <QCoroTask>
#include <QDBusObjectPath>
#include <QVariantMap>

#include <optional>

// A Wayland client cannot grab keys. Where the desktop offers the GlobalShortcuts portal, the
// capture shortcut is bound through it (the desktop may ask the user, or bind another trigger) and
// its Activated signal is the key press. Elsewhere the user binds `tessary --capture-now` as a
// desktop shortcut and every registration is refused.
class WaylandGlobalHotKeys : public GlobalHotKeys {
    Q_OBJECT
public:
    using GlobalHotKeys::GlobalHotKeys;
    ~WaylandGlobalHotKeys() override;

    bool registerHotKey(quint32 id, const tessary::HotKeyCombination& combination) override;
    void unregisterHotKey(quint32 id) override;
    bool handledByDesktop() const override { return !portalOffered(); }

private:
    bool portalOffered() const;
    QCoro::Task<> bind(tessary::HotKeyCombination combination);
    void closeSession();
    Q_SLOT void onActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong timestamp,
                            const QVariantMap& options);

    mutable std::optional<bool> m_portal;
    bool m_reported = false;
    std::optional<quint32> m_id;
    QString m_sessionHandle;
    // Bumped by every registration and removal, so a binding still on its way for an older one
    // knows it is stale.
    quint64 m_generation = 0;
};
