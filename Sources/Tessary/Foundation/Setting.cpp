#include "Foundation/Setting.h"

namespace SettingValue {

std::optional<bool> toBool(const QVariant& stored) {
    if (stored.typeId() == QMetaType::Bool) {
        return stored.toBool();
    }
    if (stored.typeId() == QMetaType::QString) {
        const QString text = stored.toString().trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("1")) {
            return true;
        }
        if (text == QLatin1String("false") || text == QLatin1String("0")) {
            return false;
        }
    }
    return std::nullopt;
}

std::optional<QString> toText(const QVariant& stored) {
    if (stored.typeId() == QMetaType::QString) {
        return stored.toString();
    }
    return std::nullopt;
}

std::optional<QByteArray> toBytes(const QVariant& stored) {
    if (stored.typeId() == QMetaType::QByteArray) {
        return stored.toByteArray();
    }
    if (stored.typeId() == QMetaType::QString) {
        return stored.toString().toUtf8();
    }
    return std::nullopt;
}

std::optional<QDateTime> toDateTime(const QVariant& stored) {
    QDateTime when;
    if (stored.typeId() == QMetaType::QDateTime) {
        when = stored.toDateTime();
    } else if (stored.typeId() == QMetaType::QString) {
        when = QDateTime::fromString(stored.toString().trimmed(), Qt::ISODateWithMs);
    }
    return when.isValid() ? std::optional<QDateTime>(when) : std::nullopt;
}

} // namespace SettingValue
