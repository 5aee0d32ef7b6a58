#include "TessaryCore/CloudRequest.h"

#include <nlohmann/json.hpp>

namespace tessary::CloudRequest {

namespace {

// Ill-formed UTF-8 in a text is replaced rather than failing the whole request.
std::string compact(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace

std::string authBody(std::string_view email, std::string_view password, const Device& device) {
    nlohmann::json body = {
        {"email", std::string(email)},     {"password", std::string(password)},
        {"deviceId", device.deviceId},     {"platform", std::string(platform)},
        {"deviceName", device.deviceName}, {"appVersion", device.appVersion},
        {"osVersion", device.osVersion},
    };
    if (device.hardwareHint && !device.hardwareHint->empty()) {
        body["hardwareHint"] = *device.hardwareHint;
    }
    return compact(body);
}

std::string shareCacheBody(bool enabled) {
    return compact({{"shareCache", enabled}});
}

std::string translateBody(std::string_view requestId, std::string_view target, bool bypassCache,
                          const std::vector<std::string>& texts) {
    nlohmann::json items = nlohmann::json::array();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        items.push_back({{"id", i}, {"text", texts[i]}});
    }
    return compact({
        {"requestId", std::string(requestId)},
        {"target", std::string(target)},
        {"bypassCache", bypassCache},
        {"items", std::move(items)},
    });
}

std::string effectiveBaseURL(std::string_view stored, std::string_view defaultOrigin, bool* stale) {
    const bool isStale = stored == "http://127.0.0.1:43150" || stored == "http://localhost:43150";
    if (stale) {
        *stale = isStale;
    }
    if (stored.empty() || isStale) {
        return std::string(defaultOrigin);
    }
    return std::string(stored);
}

} // namespace tessary::CloudRequest
