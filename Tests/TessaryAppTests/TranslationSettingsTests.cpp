#include "Foundation/Log.h"
#include "Foundation/SettingsNotifier.h"
#include "Translation/TranslationSettings.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using tessary::TranslationEngineKind;

namespace {

void clearTranslationSettings() {
    QSettings settings;
    for (const char* key : {TranslationSettings::engineKey, TranslationSettings::legacyEngineKey,
                            TranslationSettings::deepSeekModelKey, TranslationSettings::selectableTextKey,
                            TranslationSettings::targetKey, TranslationSettings::deepSeekBaseURLKey,
                            TranslationSettings::cloudBaseURLKey}) {
        settings.remove(QLatin1String(key));
    }
}

} // namespace

TEST(TranslationSettings, DefaultsAndStoredValues) {
    clearTranslationSettings();
    QSettings settings;
    EXPECT_EQ(TranslationSettings::deepSeekModel(), "deepseek-flash");
    EXPECT_TRUE(TranslationSettings::selectableText());
    EXPECT_EQ(TranslationSettings::target(), "zh-Hans");
    EXPECT_EQ(TranslationSettings::deepSeekBaseURL(), "https://api.deepseek.com");

    settings.setValue(TranslationSettings::deepSeekModelKey, "  ");
    settings.setValue(TranslationSettings::targetKey, "");
    EXPECT_EQ(TranslationSettings::deepSeekModel(), "deepseek-flash");
    EXPECT_EQ(TranslationSettings::target(), "zh-Hans");

    QSignalSpy spy(&SettingsNotifier::instance(), &SettingsNotifier::changed);
    TranslationSettings::setDeepSeekModel("deepseek-pro");
    TranslationSettings::setSelectableText(false);
    TranslationSettings::setTarget("ko");
    EXPECT_EQ(TranslationSettings::deepSeekModel(), "deepseek-pro");
    EXPECT_FALSE(TranslationSettings::selectableText());
    EXPECT_EQ(TranslationSettings::target(), "ko");
    ASSERT_EQ(spy.size(), 3);
    EXPECT_EQ(spy.at(2).at(0).toString(), "TessaryTranslationTarget");
    clearTranslationSettings();
}

TEST(TranslationSettings, EngineChoiceDependsOnACloudOrigin) {
    struct Case {
        const char* cloudOrigin;
        const char* stored; // nullptr: absent
        TranslationEngineKind expected;
    };
    const Case cases[] = {
        {"", nullptr, TranslationEngineKind::deepseek},
        {"", "velmora", TranslationEngineKind::deepseek},
        {"", "deepseek", TranslationEngineKind::deepseek},
        {"https://cloud.example", nullptr, TranslationEngineKind::velmora},
        {"https://cloud.example", "deepseek", TranslationEngineKind::deepseek},
        {"https://cloud.example", "offline", TranslationEngineKind::velmora},
    };
    for (const Case& c : cases) {
        clearTranslationSettings();
        QSettings settings;
        if (*c.cloudOrigin != '\0') {
            settings.setValue(TranslationSettings::cloudBaseURLKey, c.cloudOrigin);
        }
        if (c.stored != nullptr) {
            settings.setValue(TranslationSettings::engineKey, c.stored);
        }
        EXPECT_EQ(TranslationSettings::engine(), c.expected)
            << c.cloudOrigin << " " << (c.stored ? c.stored : "-");
    }
    clearTranslationSettings();
}

TEST(TranslationSettings, BaseURLMustNotExposeTheKey) {
    const struct {
        const char* url;
        bool accepted;
    } cases[] = {
        {"https://api.example.com/v1", true},
        {"http://127.0.0.1:8080/v1", true},
        {"http://[::1]:11434/v1", true},
        {"http://localhost:8080", true},
        {"http://192.168.1.20:8080", false},
        {"http://api.example.com", false},
        {"https://user:pw@api.example.com", false},
        {"https://api.example.com/?key=1", false},
        {"ftp://127.0.0.1", false},
        {"not a url", false},
    };
    for (const auto& c : cases) {
        clearTranslationSettings();
        EXPECT_EQ(TranslationSettings::setDeepSeekBaseURL(c.url), c.accepted) << c.url;
        EXPECT_EQ(TranslationSettings::deepSeekBaseURL(), c.accepted ? c.url : "https://api.deepseek.com")
            << c.url;
    }
    EXPECT_TRUE(TranslationSettings::setDeepSeekBaseURL(""));
    EXPECT_FALSE(QSettings().contains(TranslationSettings::deepSeekBaseURLKey));
}

TEST(TranslationSettings, MigrationDropsTheLegacyEngineOnce) {
    clearTranslationSettings();
    QTemporaryDir dir;
    const QString logPath = dir.filePath("tessary.log");
    Log::setFilePath(logPath);
    QSettings().setValue(TranslationSettings::legacyEngineKey, 2);
    TranslationSettings::migrateLegacyDefaults();
    TranslationSettings::migrateLegacyDefaults();
    Log::setFilePath(QString());
    EXPECT_FALSE(QSettings().contains(TranslationSettings::legacyEngineKey));
    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(" INFO 翻译：清掉历史遗留的引擎偏好项（离线引擎已下线）。") ||
                lines[0].endsWith("翻译：清掉历史遗留的引擎偏好项（离线引擎已下线）。"))
        << lines[0].toStdString();
}
