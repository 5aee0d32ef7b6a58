#include "Updates/UpdateSettings.h"

#include "Foundation/Setting.h"

namespace {
const Setting<QDateTime> lastSuccessfulCheckSetting{UpdateSettings::lastSuccessfulCheckKey, QDateTime(),
                                                    SettingValue::toDateTime};
const Setting<QByteArray> availableReleaseSetting{UpdateSettings::availableReleaseKey, QByteArray(),
                                                  SettingValue::toBytes};
} // namespace

std::optional<QDateTime> UpdateSettings::lastSuccessfulCheck() {
    return lastSuccessfulCheckSetting.stored();
}

void UpdateSettings::setLastSuccessfulCheck(const QDateTime& when) {
    lastSuccessfulCheckSetting.set(when.toUTC());
}

std::optional<std::string> UpdateSettings::availableRelease() {
    const auto stored = availableReleaseSetting.stored();
    return stored ? std::optional<std::string>(stored->toStdString()) : std::nullopt;
}

void UpdateSettings::setAvailableRelease(const std::string& json) {
    availableReleaseSetting.set(QByteArray::fromStdString(json));
}

void UpdateSettings::removeAvailableRelease() {
    availableReleaseSetting.remove();
}
