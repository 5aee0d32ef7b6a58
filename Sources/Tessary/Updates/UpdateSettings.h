#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>

// The update checker's stored state: the last successful check and the release last found available.
class UpdateSettings {
public:
    static constexpr const char* lastSuccessfulCheckKey = "updates.lastSuccessfulCheck";
    static constexpr const char* availableReleaseKey = "updates.availableRelease";

    static std::optional<QDateTime> lastSuccessfulCheck();
    static void setLastSuccessfulCheck(const QDateTime& when);

    // The manifest's JSON text; absent when none is stored.
    static std::optional<std::string> availableRelease();
    static void setAvailableRelease(const std::string& json);
    static void removeAvailableRelease();
};
