#pragma once

#include <QObject>
#include <QString>

// Announces every change written through a declared setting, so that readers (menu, overlays,
// hot key, preferences) follow it at once without a restart. Main thread only.
class SettingsNotifier : public QObject {
    Q_OBJECT
public:
    static SettingsNotifier& instance();

    void announce(const QString& key) { Q_EMIT changed(key); }

Q_SIGNALS:
    void changed(const QString& key);

private:
    using QObject::QObject;
};
