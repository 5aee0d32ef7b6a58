#pragma once

#include <QString>

#include <stdexcept>

// A failure reported by a platform backend. `description` is a readable sentence for the log and
// for the user; backends write it in the log language.
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description) {}

    const QString& description() const { return m_description; }

private:
    QString m_description;
};
