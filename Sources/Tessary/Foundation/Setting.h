#pragma once

#include "Foundation/SettingsNotifier.h"

#include <QByteArray>
#include <QDateTime>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <optional>

// How a stored QVariant becomes a T. The INI format gives every scalar back as text, so the readers
// accept both the typed value (written in this run) and its text form.
namespace SettingValue {
std::optional<bool> toBool(const QVariant& stored);
std::optional<QString> toText(const QVariant& stored);
std::optional<QByteArray> toBytes(const QVariant& stored);
// A valid date and time; text in ISO 8601 form is accepted as well.
std::optional<QDateTime> toDateTime(const QVariant& stored);
} // namespace SettingValue

// One settings key, declared once by its owner with its default and what counts as valid. A stored
// value of the wrong type or failing validation reads as the default and is left in place, so a bad
// value is never lost. Writes go through here so every reader hears of them.
template <typename T> class Setting {
public:
    using Reader = std::optional<T> (*)(const QVariant&);
    using Validator = bool (*)(const T&);

    Setting(const char* key, T fallback, Reader reader, Validator valid = nullptr)
        : m_key(key), m_fallback(fallback), m_reader(reader), m_valid(valid) {}

    QString key() const { return QLatin1String(m_key); }
    const T& fallback() const { return m_fallback; }

    // The valid stored value; nothing when absent or unusable.
    std::optional<T> stored() const {
        const QVariant value = QSettings().value(key());
        if (!value.isValid()) {
            return std::nullopt;
        }
        std::optional<T> read = m_reader(value);
        if (read && m_valid && !m_valid(*read)) {
            return std::nullopt;
        }
        return read;
    }
    T value() const { return stored().value_or(m_fallback); }
    bool isPresent() const { return QSettings().contains(key()); }

    void set(const T& value) const {
        QSettings().setValue(key(), QVariant::fromValue(value));
        SettingsNotifier::instance().announce(key());
    }
    void remove() const {
        QSettings().remove(key());
        SettingsNotifier::instance().announce(key());
    }

private:
    const char* m_key;
    T m_fallback;
    Reader m_reader;
    Validator m_valid;
};

using FlagSetting = Setting<bool>;
using TextSetting = Setting<QString>;
