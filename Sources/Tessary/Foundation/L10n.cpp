#include "Foundation/L10n.h"

#include "Foundation/Setting.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace {

using Table = QHash<QString, QString>;

Table loadTable(L10n::Language language) {
    Table table;
    const QDir dir(QStringLiteral(":/Localization/") + L10n::rawValue(language));
    const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
        for (auto it = object.begin(); it != object.end(); ++it) {
            table.insert(it.key(), it.value().toString());
        }
    }
    return table;
}

// The language in force and the table of the last language looked up. The override key has one
// writer, setOverride, which drops both; the system language list is read once.
struct Cache {
    std::optional<L10n::Language> effective;
    std::optional<L10n::Language> language;
    Table table;
};

Cache& cache() {
    static Cache instance;
    return instance;
}

const Table& tableFor(L10n::Language language) {
    Cache& c = cache();
    if (c.language != language) {
        c.table = loadTable(language);
        c.language = language;
    }
    return c.table;
}

} // namespace

QString L10n::rawValue(Language language) {
    switch (language) {
    case Language::en:
        return QStringLiteral("en");
    case Language::zhHans:
        return QStringLiteral("zh-Hans");
    case Language::ja:
        return QStringLiteral("ja");
    }
    return QStringLiteral("en");
}

std::optional<L10n::Language> L10n::fromRawValue(const QString& raw) {
    for (Language language : allLanguages()) {
        if (rawValue(language) == raw) {
            return language;
        }
    }
    return std::nullopt;
}

const QList<L10n::Language>& L10n::allLanguages() {
    static const QList<Language> all{Language::en, Language::zhHans, Language::ja};
    return all;
}

L10n::Language L10n::resolve(const QString& storedOverride, const QStringList& preferredLanguages) {
    if (auto language = fromRawValue(storedOverride)) {
        return *language;
    }
    for (const QString& entry : preferredLanguages) {
        if (auto exact = fromRawValue(entry)) {
            return *exact;
        }
        if (entry.startsWith(QLatin1String("zh"))) {
            return Language::zhHans;
        }
        if (entry.startsWith(QLatin1String("ja"))) {
            return Language::ja;
        }
        if (entry.startsWith(QLatin1String("en"))) {
            return Language::en;
        }
    }
    return Language::en;
}

L10n::Language L10n::effective() {
    Cache& c = cache();
    if (!c.effective) {
        c.effective = readEffective();
    }
    return *c.effective;
}

const TextSetting& L10n::overrideSetting() {
    static const TextSetting setting{overrideKey, QString(), SettingValue::toText};
    // Listening before anyone writes it, so no change slips past the cache.
    notifier();
    return setting;
}

L10n::Language L10n::readEffective() {
    return resolve(overrideSetting().value(), QLocale::system().uiLanguages());
}

std::optional<L10n::Language> L10n::overrideLanguage() {
    return fromRawValue(overrideSetting().value());
}

void L10n::setOverride(std::optional<Language> language) {
    // The notifier's announcement resets the cache and tells every listener.
    if (language) {
        overrideSetting().set(rawValue(*language));
    } else {
        overrideSetting().remove();
    }
}

QString L10n::text(const QString& key) {
    return text(effective(), key);
}

QString L10n::text(Language language, const QString& key) {
    const Table& table = tableFor(language);
    auto it = table.constFind(key);
    return it == table.constEnd() ? key : it.value();
}

QString L10n::format(const QString& key, const QStringList& arguments) {
    QString result = text(key);
    for (const QString& argument : arguments) {
        result = result.arg(argument);
    }
    return result;
}

QStringList L10n::keys(Language language) {
    QStringList list = loadTable(language).keys();
    list.sort();
    return list;
}

L10n* L10n::notifier() {
    static L10n* instance = [] {
        auto* created = new L10n(nullptr);
        QObject::connect(&SettingsNotifier::instance(), &SettingsNotifier::changed, created,
                         [created](const QString& key) {
                             if (key == QLatin1String(overrideKey)) {
                                 cache().effective.reset();
                                 cache().language.reset();
                                 Q_EMIT created->languageDidChange();
                             }
                         });
        return created;
    }();
    return instance;
}
