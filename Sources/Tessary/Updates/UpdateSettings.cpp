#include "Updates/UpdateSettings.h"

#include <QSettings>

std::optional<QDateTime> UpdateSettings::lastSuccessfulCheck() {
    const QVariant value = QSettings().value(QLatin1String(lastSuccessfulCheckKey));
    if (!value.canConvert<QDateTime>()) {
        return std::nullopt;
    }
    const QDateTime when = value.toDateTime();
    return when.isValid() ? std::optional<QDateTime>(when) : std::nullopt;
}

void UpdateSettings::setLastSuccessfulCheck(const QDateTime& when) {
    QSettings().setValue(QLatin1String(lastSuccessfulCheckKey), when.toUTC());
}

std::optional<std::string> UpdateSettings::availableRelease() {
    const QVariant value = QSettings().value(QLatin1String(availableReleaseKey));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toByteArray().toStdString();
}

void UpdateSettings::setAvailableRelease(const std::string& json) {
    QSettings().setValue(QLatin1String(availableReleaseKey), QByteArray::fromStdString(json));
}

void UpdateSettings::removeAvailableRelease() {
    QSettings().remove(QLatin1String(availableReleaseKey));
}
