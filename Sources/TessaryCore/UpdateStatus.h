#pragma once

#include "TessaryCore/ReleaseTarget.h"
#include "TessaryCore/ReleaseVersion.h"
#include "TessaryCore/UpdateError.h"
#include "TessaryCore/UpdateManifest.h"

#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// What the update checker last found; `available` and `incompatible` carry their manifest.
struct UpdateStatus {
    enum class Kind {
        available,
        incompatible,
        idle,
        checking,
        upToDate,
        noRelease,
        offline,
        failed,
        notConfigured
    };

    Kind kind = Kind::idle;
    std::optional<UpdateManifest> manifest;

    static UpdateStatus of(Kind kind) { return {kind, std::nullopt}; }
    static UpdateStatus fromError(UpdateError error);

    // The status a fetched, validated manifest leads to: `available` or `incompatible` when it is
    // newer than `local` (by whether `systemVersion` meets its minimum), `upToDate` otherwise;
    // nullopt when the manifest is invalid for `target` or a version does not parse.
    static std::optional<UpdateStatus> afterFetch(const ReleaseVersion& local, const UpdateManifest& manifest,
                                                  const ReleaseTarget& target,
                                                  std::string_view systemVersion);
    // A stored manifest still worth announcing: `available`, or nullopt when the stored text does
    // not decode or validate, or the release is no longer newer or supported.
    static std::optional<UpdateStatus> restored(std::string_view storedJson, const ReleaseVersion& local,
                                                const ReleaseTarget& target, std::string_view systemVersion);

    // Localisation key of the display text, e.g. "update.status.upToDate".
    std::string displayKey() const;
    // The fixed log name, e.g. "已是最新".
    std::string logName() const;

    friend bool operator==(const UpdateStatus&, const UpdateStatus&) = default;
};

} // namespace tessary
