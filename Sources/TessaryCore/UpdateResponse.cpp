#include "TessaryCore/UpdateResponse.h"

#include "TessaryCore/SecureUrl.h"

namespace tessary {

std::variant<UpdateManifest, UpdateError> UpdateResponse::decode(bool allowsLoopbackHTTP,
                                                                 const ReleaseTarget& target) const {
    if (!isHttp) {
        return UpdateError::invalidResponse;
    }
    if (statusCode == 404) {
        return UpdateError::noRelease;
    }
    if (statusCode != 200) {
        return UpdateError::invalidResponse;
    }
    if (!SecureUrl::isSecure(finalURL) && !(allowsLoopbackHTTP && SecureUrl::isLoopbackHttp(finalURL))) {
        return UpdateError::invalidResponse;
    }
    if (body.size() > maximumBodySize) {
        return UpdateError::invalidResponse;
    }
    const auto manifest = UpdateManifest::decode(body);
    if (!manifest || !manifest->validate(target)) {
        return UpdateError::invalidManifest;
    }
    return *manifest;
}

} // namespace tessary
