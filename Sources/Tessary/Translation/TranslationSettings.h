#pragma once

#include "TessaryCore/TranslationEngineKind.h"

#include <QString>
#include <QStringList>

template <typename T> class Setting;

// The translation settings: keys, defaults and validation in one place, each key a Setting, so
// every write is announced through SettingsNotifier::changed to open panes and running sessions.
class TranslationSettings {
public:
    static constexpr const char* engineKey = "TessaryTranslationEngineV2";
    static constexpr const char* legacyEngineKey = "TessaryTranslationEngine";
    static constexpr const char* deepSeekModelKey = "TessaryTranslationDeepSeekModel";
    static constexpr const char* selectableTextKey = "TessaryTranslationSelectableText";
    static constexpr const char* targetKey = "TessaryTranslationTarget";
    static constexpr const char* deepSeekBaseURLKey = "TessaryTranslationDeepSeekBaseURL";
    // Owned by the cloud client; read here only to know whether the cloud engine is offered.
    static constexpr const char* cloudBaseURLKey = "TessaryVelmoraBaseURL";

    static constexpr const char* defaultDeepSeekModel = "deepseek-flash";
    static constexpr const char* defaultTarget = "zh-Hans";
    static constexpr const char* defaultDeepSeekBaseURL = "https://api.deepseek.com";

    // Target languages offered by the preferences, in menu order; engines pass any identifier on.
    static const QStringList& targetLanguages();

    // The cloud engine exists only when an origin is configured (built in or in settings).
    static bool cloudOffered();
    // The origin compiled in; empty in builds without a cloud service.
    static QString builtInCloudOrigin();

    // "deepseek" selects DeepSeek and anything else the cloud engine; absent selects the cloud
    // engine. Without a cloud origin DeepSeek is the only engine.
    static tessary::TranslationEngineKind engine();
    static void setEngine(tessary::TranslationEngineKind kind);

    // Absent or blank gives the default.
    static QString deepSeekModel();
    static void setDeepSeekModel(const QString& model);

    static bool selectableText();
    static void setSelectableText(bool selectable);

    // Absent or blank gives "zh-Hans".
    static QString target();
    static void setTarget(const QString& target);

    // The stored base URL text, or the official origin when absent or blank. It is checked
    // (ServiceURL::check) where it is used, so a refused value is reported, not replaced.
    static QString deepSeekBaseURL();
    // Stores a base URL the engine will accept; blank removes the setting. False (nothing
    // stored) for a refused URL such as plain http to another machine.
    static bool setDeepSeekBaseURL(const QString& url);

    // Once at launch: drops the engine choice of an earlier version.
    static void migrateLegacyDefaults();

    // The declared keys. Texts are read trimmed; blank ones read as absent.
    static const Setting<QString>& engineSetting();
    static const Setting<QString>& legacyEngineSetting();
    static const Setting<QString>& deepSeekModelSetting();
    static const Setting<bool>& selectableTextSetting();
    static const Setting<QString>& targetSetting();
    static const Setting<QString>& deepSeekBaseURLSetting();
    static const Setting<QString>& cloudBaseURLSetting();
};
