#include "Translation/TranslationSettings.h"

#include "Foundation/Log.h"
#include "Foundation/Setting.h"
#include "Translation/ServiceURL.h"

namespace {

std::optional<QString> trimmedText(const QVariant& stored) {
    std::optional<QString> text = SettingValue::toText(stored);
    if (text) {
        *text = text->trimmed();
    }
    return text;
}

bool notBlank(const QString& text) {
    return !text.isEmpty();
}

// Blank removes the key, so that the default applies again.
void storeTrimmed(const TextSetting& setting, const QString& text) {
    if (text.trimmed().isEmpty()) {
        setting.remove();
    } else {
        setting.set(text.trimmed());
    }
}

} // namespace

const TextSetting& TranslationSettings::engineSetting() {
    static const TextSetting setting{engineKey, QString(), trimmedText, notBlank};
    return setting;
}

const TextSetting& TranslationSettings::legacyEngineSetting() {
    static const TextSetting setting{legacyEngineKey, QString(), SettingValue::toText};
    return setting;
}

const TextSetting& TranslationSettings::deepSeekModelSetting() {
    static const TextSetting setting{deepSeekModelKey, QString::fromLatin1(defaultDeepSeekModel), trimmedText,
                                     notBlank};
    return setting;
}

const FlagSetting& TranslationSettings::selectableTextSetting() {
    static const FlagSetting setting{selectableTextKey, true, SettingValue::toBool};
    return setting;
}

const TextSetting& TranslationSettings::targetSetting() {
    static const TextSetting setting{targetKey, QString::fromLatin1(defaultTarget), trimmedText, notBlank};
    return setting;
}

const TextSetting& TranslationSettings::deepSeekBaseURLSetting() {
    // Not validated here: a refused URL is reported where it is used, not silently replaced.
    static const TextSetting setting{deepSeekBaseURLKey, QString::fromLatin1(defaultDeepSeekBaseURL),
                                     trimmedText, notBlank};
    return setting;
}

const TextSetting& TranslationSettings::cloudBaseURLSetting() {
    static const TextSetting setting{cloudBaseURLKey, QString(), trimmedText, notBlank};
    return setting;
}

const QStringList& TranslationSettings::targetLanguages() {
    static const QStringList languages = {
        QStringLiteral("zh-Hans"), QStringLiteral("en"), QStringLiteral("ja"), QStringLiteral("ko"),
        QStringLiteral("fr"),      QStringLiteral("de"), QStringLiteral("es"), QStringLiteral("ru"),
    };
    return languages;
}

QString TranslationSettings::builtInCloudOrigin() {
    return QStringLiteral(TESSARY_CLOUD_ORIGIN);
}

bool TranslationSettings::cloudOffered() {
    return !builtInCloudOrigin().isEmpty() || cloudBaseURLSetting().stored().has_value();
}

tessary::TranslationEngineKind TranslationSettings::engine() {
    if (!cloudOffered()) {
        return tessary::TranslationEngineKind::deepseek;
    }
    return engineSetting().value() ==
                   QLatin1String(tessary::rawValue(tessary::TranslationEngineKind::deepseek).data())
               ? tessary::TranslationEngineKind::deepseek
               : tessary::TranslationEngineKind::velmora;
}

void TranslationSettings::setEngine(tessary::TranslationEngineKind kind) {
    const std::string_view raw = tessary::rawValue(kind);
    engineSetting().set(QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size())));
}

QString TranslationSettings::deepSeekModel() {
    return deepSeekModelSetting().value();
}

void TranslationSettings::setDeepSeekModel(const QString& model) {
    storeTrimmed(deepSeekModelSetting(), model);
}

bool TranslationSettings::selectableText() {
    return selectableTextSetting().value();
}

void TranslationSettings::setSelectableText(bool selectable) {
    selectableTextSetting().set(selectable);
}

QString TranslationSettings::target() {
    return targetSetting().value();
}

void TranslationSettings::setTarget(const QString& target) {
    storeTrimmed(targetSetting(), target);
}

QString TranslationSettings::deepSeekBaseURL() {
    return deepSeekBaseURLSetting().value();
}

bool TranslationSettings::setDeepSeekBaseURL(const QString& url) {
    if (!url.trimmed().isEmpty() && !ServiceURL::check(url)) {
        return false;
    }
    storeTrimmed(deepSeekBaseURLSetting(), url);
    return true;
}

void TranslationSettings::migrateLegacyDefaults() {
    if (!legacyEngineSetting().isPresent()) {
        return;
    }
    legacyEngineSetting().remove();
    Log::info(QStringLiteral("翻译：清掉历史遗留的引擎偏好项（离线引擎已下线）。"));
}
