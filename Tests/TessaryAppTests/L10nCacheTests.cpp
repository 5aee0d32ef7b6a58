#include "Foundation/L10n.h"

#include <QLocale>
#include <QSettings>

#include <gtest/gtest.h>

#include <optional>

using Language = L10n::Language;

// The language in force is remembered between look-ups; every change of the override must be
// seen by the very next look-up, in any order of changes.
TEST(L10nCache, EveryOverrideChangeReachesTheNextLookUp) {
    const std::optional<Language> previous = L10n::overrideLanguage();
    const Language system = L10n::resolve(QString(), QLocale::system().uiLanguages());
    const std::optional<Language> steps[] = {Language::ja, Language::ja,     Language::zhHans,
                                             std::nullopt, Language::en,     std::nullopt,
                                             std::nullopt, Language::zhHans, Language::ja};
    const QString key = QStringLiteral("menu.restart");
    for (const auto& step : steps) {
        L10n::setOverride(step);
        const Language expected = step.value_or(system);
        EXPECT_EQ(L10n::effective(), expected) << (step ? L10n::rawValue(*step).toStdString() : "none");
        EXPECT_EQ(L10n::text(key), L10n::text(expected, key));
        // A look-up of another language's table in between must not change the language in force.
        const Language other = expected == Language::ja ? Language::en : Language::ja;
        EXPECT_NE(L10n::text(other, key), L10n::text(expected, key));
        EXPECT_EQ(L10n::text(key), L10n::text(expected, key));
    }
    L10n::setOverride(previous);
}
