#pragma once

#include "TessaryCore/ReleaseTarget.h"
#include "TessaryCore/ReleaseVersion.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// The release manifest document: JSON with these member names.
struct UpdateManifest {
    std::int64_t schemaVersion = 0;
    std::string version;
    std::int64_t build = 0;
    std::string platform;
    std::string architecture;
    std::string minimumSystemVersion;
    std::string downloadURL;
    std::string releaseNotes;
    std::optional<std::string> mirrorURL;
    std::optional<std::string> fileName;
    std::optional<std::int64_t> fileSize;
    std::optional<std::string> fileSHA256;

    static constexpr std::size_t maximumReleaseNotesLength = 20000;

    // Strict JSON; every required member present with its type (integers without fraction or
    // exponent, within 64 bits); optional members may be absent or null. Unknown members are ignored.
    static std::optional<UpdateManifest> decode(std::string_view json);
    // The same members, absent optional ones left out.
    std::string encode() const;

    // In order: schema 1, platform and architecture exactly the target's, release notes at most
    // 20000 characters (grapheme clusters), secure download and mirror URLs, a three-number minimum
    // system version. Returns the release's version, nullopt for an invalid manifest.
    std::optional<ReleaseVersion> validate(const ReleaseTarget& target) const;
    // Whether a system of `systemVersion` ("2.36.0") may run the release; nullopt when either
    // version does not parse.
    std::optional<bool> supports(std::string_view systemVersion) const;

    friend bool operator==(const UpdateManifest&, const UpdateManifest&) = default;
};

} // namespace tessary
