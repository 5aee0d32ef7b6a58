#include "Cloud/CloudSettings.h"

#include "TessaryCore/CloudReply.h"

namespace CloudSettings {

const TextSetting& baseURL() {
    static const TextSetting setting("TessaryVelmoraBaseURL", QString(), SettingValue::toText);
    return setting;
}

const TextSetting& email() {
    static const TextSetting setting("TessaryVelmoraEmail", QString(), SettingValue::toText);
    return setting;
}

const FlagSetting& shareCache() {
    static const FlagSetting setting("TessaryVelmoraShareCache", true, SettingValue::toBool);
    return setting;
}

const TextSetting& quota() {
    static const TextSetting setting("TessaryVelmoraQuota", QString(), SettingValue::toText);
    return setting;
}

std::optional<tessary::CloudQuota> storedQuota() {
    const std::optional<QString> text = quota().stored();
    if (!text) {
        return std::nullopt;
    }
    return tessary::CloudReply::storedQuota(text->toStdString());
}

void storeQuota(const std::optional<tessary::CloudQuota>& value) {
    if (!value) {
        quota().remove();
        return;
    }
    quota().set(QString::fromStdString(tessary::CloudReply::encodeQuota(*value)));
}

} // namespace CloudSettings
