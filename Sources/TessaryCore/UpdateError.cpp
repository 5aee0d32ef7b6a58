#include "TessaryCore/UpdateError.h"

namespace tessary {

std::string_view description(UpdateError error) {
    switch (error) {
    case UpdateError::notConfigured:
        return "notConfigured";
    case UpdateError::invalidManifest:
        return "invalidManifest";
    case UpdateError::invalidResponse:
        return "invalidResponse";
    case UpdateError::noRelease:
        return "noRelease";
    }
    return "invalidResponse";
}

} // namespace tessary
