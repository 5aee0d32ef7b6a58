#include "HotKeys/HotKeySettings.h"

#include "Foundation/Log.h"
#include "Foundation/Setting.h"

namespace {

const TextSetting& combinationSetting() {
    static const TextSetting setting{HotKeySettings::combinationKey, QString(), SettingValue::toText};
    return setting;
}

const TextSetting& legacySetting() {
    static const TextSetting setting{HotKeySettings::legacyIdentifierKey, QString(), SettingValue::toText};
    return setting;
}

} // namespace

std::optional<tessary::HotKeyCombination> HotKeySettings::selected() {
    if (const std::optional<QString> stored = combinationSetting().stored()) {
        return tessary::HotKeyCombination::fromPersistedString(stored->toStdString());
    }
    const std::optional<QString> legacy = legacySetting().stored();
    if (!legacy) {
        return std::nullopt;
    }
    const QString identifier = *legacy;
    const auto combination = tessary::HotKeyCombination::fromLegacyIdentifier(identifier.toStdString());
    if (!combination) {
        return std::nullopt;
    }
    Log::info(QStringLiteral("热键偏好迁移：旧标识 ") + identifier + QStringLiteral(" → ") +
              QString::fromStdString(combination->display()) + QStringLiteral("。"));
    store(*combination);
    legacySetting().remove();
    return combination;
}

void HotKeySettings::store(const tessary::HotKeyCombination& combination) {
    combinationSetting().set(QString::fromStdString(combination.persistedString()));
}
