#include "TessaryCore/ReleaseConfiguration.h"

#include "TessaryCore/ReleaseVersion.h"
#include "TessaryCore/SecureUrl.h"

namespace tessary {

std::optional<ReleaseConfiguration> ReleaseConfiguration::load(std::string_view version,
                                                               std::string_view buildText,
                                                               std::optional<std::string_view> manifestURL,
                                                               std::optional<std::string_view> overrideURL) {
    const auto build = ReleaseVersion::parseDecimal(buildText);
    if (!build || *build <= 0) {
        return std::nullopt;
    }
    ReleaseConfiguration configuration;
    configuration.version = std::string(version);
    configuration.build = *build;
    if (overrideURL) {
        configuration.updateManifestURL = std::string(*overrideURL);
    } else if (manifestURL) {
        configuration.updateManifestURL = std::string(*manifestURL);
    }
    configuration.allowsLoopbackHTTP = overrideURL.has_value();
    return configuration;
}

std::variant<std::string, UpdateError> ReleaseConfiguration::endpoint() const {
    if (!hasManifestURL()) {
        return UpdateError::notConfigured;
    }
    const std::string& url = *updateManifestURL;
    if ((allowsLoopbackHTTP && SecureUrl::isLoopbackHttp(url)) || SecureUrl::isSecure(url)) {
        return url;
    }
    return UpdateError::invalidManifest;
}

} // namespace tessary
