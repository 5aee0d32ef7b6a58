#pragma once

#include "TessaryCore/ReleaseTarget.h"
#include "TessaryCore/UpdateError.h"
#include "TessaryCore/UpdateManifest.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace tessary {

// An HTTP answer to a manifest request, as far as deciding on it needs.
struct UpdateResponse {
    bool isHttp = true;
    int statusCode = 0;
    std::string finalURL;
    std::string_view body;

    static constexpr std::size_t maximumBodySize = 131072;

    // 404 → noRelease; other non-200 answers, a final URL that is not https (or loopback http when
    // allowed) and bodies over 128 KiB → invalidResponse; a manifest that does not decode or
    // validate → invalidManifest. Otherwise the manifest.
    std::variant<UpdateManifest, UpdateError> decode(bool allowsLoopbackHTTP,
                                                     const ReleaseTarget& target) const;
};

} // namespace tessary
