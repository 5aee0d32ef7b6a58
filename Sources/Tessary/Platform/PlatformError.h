#pragma once

#include <QString>

#include <stdexcept>

// A failure reported by a platform backend. `description` is a readable sentence for the log and
// for the user; backends write it in the log language. A `refused` error comes from the desktop
// or the user turning the request down: asking again at once would only ask the user again.
class PlatformError : public std::runtime_error {
public:
    enum class Kind { failed, refused };

    explicit PlatformError(const QString& description, Kind kind = Kind::failed)
        : std::runtime_error(description.toStdString()), m_description(description), m_kind(kind) {}

    const QString& description() const { return m_description; }
    Kind kind() const { return m_kind; }

private:
    QString m_description;
    Kind m_kind;
};
