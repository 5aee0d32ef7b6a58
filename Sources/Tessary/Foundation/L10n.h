#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

template <typename T> class Setting;

// Localisation lookup with a user-selectable language. Tables are JSON objects
// (key -> text) compiled in under :/Localization/<language>/; every file of a
// language is merged, so each subsystem keeps its own file. Format strings use
// Qt's %1, %2 placeholders.
class L10n : public QObject {
    Q_OBJECT
public:
    enum class Language { en, zhHans, ja };

    static constexpr const char* overrideKey = "TessaryLanguageOverride";
    // Declared here; writing it (here or from the preferences) switches the language at once.
    static const Setting<QString>& overrideSetting();

    static QString rawValue(Language language);
    static std::optional<Language> fromRawValue(const QString& raw);
    static const QList<Language>& allLanguages();

    // Language in force: the stored override, else the first match in the system list, else en.
    // Remembered until setOverride changes it.
    static Language effective();
    // Same rule on explicit inputs (tests, diagnostics).
    static Language resolve(const QString& storedOverride, const QStringList& preferredLanguages);

    static std::optional<Language> overrideLanguage();
    static void setOverride(std::optional<Language> language);

    // Looks up `key` in the effective language; a missing key returns the key itself.
    static QString text(const QString& key);
    static QString format(const QString& key, const QStringList& arguments);
    static QString text(Language language, const QString& key);
    // Every key of one language's tables (parity checks).
    static QStringList keys(Language language);

    // Emits languageDidChange whenever the override changes.
    static L10n* notifier();

Q_SIGNALS:
    void languageDidChange();

private:
    using QObject::QObject;
    static Language readEffective();
};
