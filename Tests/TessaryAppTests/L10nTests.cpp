#include "Foundation/L10n.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

using Language = L10n::Language;

TEST(L10n, LanguageResolution) {
    const struct {
        QString stored;
        QStringList system;
        Language expected;
    } cases[] = {
        {"ja", {"en-US"}, Language::ja},
        {"zh-Hans", {"ja-JP"}, Language::zhHans},
        {"fr", {"ja-JP", "en"}, Language::ja}, // an unknown override is ignored
        {"", {"de-DE"}, Language::en},         // nothing matches
        {"", {"de", "zh-Hant-TW"}, Language::zhHans},
        {"", {"zh-Hans"}, Language::zhHans},
        {"", {"en-GB", "ja"}, Language::en},
        {"", {}, Language::en},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(L10n::resolve(c.stored, c.system), c.expected) << c.stored.toStdString();
    }
}

TEST(L10n, OverrideIsStoredAnnouncedAndRemovable) {
    QSignalSpy spy(L10n::notifier(), &L10n::languageDidChange);
    L10n::setOverride(Language::ja);
    EXPECT_EQ(QSettings().value(L10n::overrideKey).toString(), QStringLiteral("ja"));
    EXPECT_EQ(L10n::effective(), Language::ja);
    EXPECT_EQ(L10n::text(QStringLiteral("menu.restart")),
              L10n::text(Language::ja, QStringLiteral("menu.restart")));
    L10n::setOverride(std::nullopt);
    EXPECT_FALSE(QSettings().contains(L10n::overrideKey));
    EXPECT_EQ(spy.count(), 2);
}

TEST(L10n, MissingKeyShowsTheKey) {
    EXPECT_EQ(L10n::text(Language::en, QStringLiteral("no.such.key")), QStringLiteral("no.such.key"));
    EXPECT_EQ(L10n::format(QStringLiteral("no.such.%1"), {QStringLiteral("x")}), QStringLiteral("no.such.x"));
}

TEST(L10n, EveryLanguageHasTheSameNonEmptyKeys) {
    const QStringList english = L10n::keys(Language::en);
    ASSERT_FALSE(english.isEmpty());
    for (Language language : {Language::zhHans, Language::ja}) {
        EXPECT_EQ(L10n::keys(language), english) << L10n::rawValue(language).toStdString();
        for (const QString& key : english) {
            EXPECT_NE(L10n::text(language, key), key) << key.toStdString();
            // Placeholders must match, or a translation would drop or invent a value.
            static const QRegularExpression placeholder(QStringLiteral("%\\d"));
            auto placeholders = [&](Language l) {
                QStringList found;
                for (auto it = placeholder.globalMatch(L10n::text(l, key)); it.hasNext();) {
                    found << it.next().captured();
                }
                found.sort();
                return found;
            };
            EXPECT_EQ(placeholders(language), placeholders(Language::en)) << key.toStdString();
        }
    }
}

TEST(L10n, EveryKeyTheSourcesUseExists) {
    // Literal keys handed to the lookup anywhere in the application sources.
    const QString sources = QStringLiteral(TESSARY_SOURCE_RESOURCES "/..");
    static const QRegularExpression use(QStringLiteral(
        R"re(L10n::(?:text|format)\(\s*(?:QStringLiteral|QLatin1String)?\(?\s*"([a-zA-Z0-9_.]+)")re"));
    QSet<QString> known;
    for (const QString& key : L10n::keys(Language::en)) {
        known.insert(key);
    }
    int found = 0;
    for (QDirIterator it(sources, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = use.globalMatch(text); match.hasNext();) {
            const QString key = match.next().captured(1);
            ++found;
            EXPECT_TRUE(known.contains(key))
                << key.toStdString() << " used in " << file.fileName().toStdString();
        }
    }
    EXPECT_GT(found, 5);
}
