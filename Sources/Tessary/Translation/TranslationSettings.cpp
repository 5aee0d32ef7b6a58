#include "Translation/TranslationSettings.h"

#include "Foundation/Log.h"
#include "Translation/ServiceURL.h"

#include <QSettings>

namespace {

QString storedText(const char* key) {
    return QSettings().value(QLatin1String(key)).toString().trimmed();
}

} // namespace

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
    return !builtInCloudOrigin().isEmpty() || !storedText(cloudBaseURLKey).isEmpty();
}

tessary::TranslationEngineKind TranslationSettings::engine() {
    if (!cloudOffered()) {
        return tessary::TranslationEngineKind::deepseek;
    }
    const QString raw = QSettings().value(QLatin1String(engineKey)).toString();
    return raw == QLatin1String(tessary::rawValue(tessary::TranslationEngineKind::deepseek).data())
               ? tessary::TranslationEngineKind::deepseek
               : tessary::TranslationEngineKind::velmora;
}

void TranslationSettings::setEngine(tessary::TranslationEngineKind kind) {
    const std::string_view raw = tessary::rawValue(kind);
    QSettings().setValue(QLatin1String(engineKey),
                         QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size())));
    changed(engineKey);
}

QString TranslationSettings::deepSeekModel() {
    const QString model = storedText(deepSeekModelKey);
    return model.isEmpty() ? QString::fromLatin1(defaultDeepSeekModel) : model;
}

void TranslationSettings::setDeepSeekModel(const QString& model) {
    QSettings settings;
    if (model.trimmed().isEmpty()) {
        settings.remove(QLatin1String(deepSeekModelKey));
    } else {
        settings.setValue(QLatin1String(deepSeekModelKey), model.trimmed());
    }
    changed(deepSeekModelKey);
}

bool TranslationSettings::selectableText() {
    const QVariant value = QSettings().value(QLatin1String(selectableTextKey));
    return !value.isValid() || value.toBool();
}

void TranslationSettings::setSelectableText(bool selectable) {
    QSettings().setValue(QLatin1String(selectableTextKey), selectable);
    changed(selectableTextKey);
}

QString TranslationSettings::target() {
    const QString stored = storedText(targetKey);
    return stored.isEmpty() ? QString::fromLatin1(defaultTarget) : stored;
}

void TranslationSettings::setTarget(const QString& target) {
    QSettings settings;
    if (target.trimmed().isEmpty()) {
        settings.remove(QLatin1String(targetKey));
    } else {
        settings.setValue(QLatin1String(targetKey), target.trimmed());
    }
    changed(targetKey);
}

QString TranslationSettings::deepSeekBaseURL() {
    const QString stored = storedText(deepSeekBaseURLKey);
    return stored.isEmpty() ? QString::fromLatin1(defaultDeepSeekBaseURL) : stored;
}

bool TranslationSettings::setDeepSeekBaseURL(const QString& url) {
    QSettings settings;
    if (url.trimmed().isEmpty()) {
        settings.remove(QLatin1String(deepSeekBaseURLKey));
    } else if (ServiceURL::check(url)) {
        settings.setValue(QLatin1String(deepSeekBaseURLKey), url.trimmed());
    } else {
        return false;
    }
    changed(deepSeekBaseURLKey);
    return true;
}

void TranslationSettings::migrateLegacyDefaults() {
    QSettings settings;
    if (!settings.contains(QLatin1String(legacyEngineKey))) {
        return;
    }
    settings.remove(QLatin1String(legacyEngineKey));
    Log::info(QStringLiteral("翻译：清掉历史遗留的引擎偏好项（离线引擎已下线）。"));
}

TranslationSettings* TranslationSettings::notifier() {
    static TranslationSettings* instance = new TranslationSettings(nullptr);
    return instance;
}

void TranslationSettings::changed(const char* key) {
    Q_EMIT notifier()->didChange(QLatin1String(key));
}
