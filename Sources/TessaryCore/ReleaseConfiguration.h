#pragma once

#include "TessaryCore/UpdateError.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tessary {

// What the running build knows about itself, fixed at build time.
struct ReleaseConfiguration {
    std::string version;
    std::int64_t build = 1;
    std::optional<std::string> updateManifestURL;
    // Only a developer override may point at plain http on this machine.
    bool allowsLoopbackHTTP = false;

    // nullopt unless the build text is a decimal integer (optional sign, no overflow) above 0.
    // The override, when given, replaces the configured manifest URL.
    static std::optional<ReleaseConfiguration> load(std::string_view version, std::string_view buildText,
                                                    std::optional<std::string_view> manifestURL,
                                                    std::optional<std::string_view> overrideURL);

    bool hasManifestURL() const { return updateManifestURL && !updateManifestURL->empty(); }
    // The URL to fetch: loopback http under an override, otherwise https only.
    std::variant<std::string, UpdateError> endpoint() const;
};

} // namespace tessary
