#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the cloud client sends: paths under the API root and compact JSON bodies.
namespace tessary::CloudRequest {

inline constexpr std::string_view apiRoot = "/api/v1/m/tessary";
inline constexpr std::string_view registerPath = "/auth/email/register";
inline constexpr std::string_view loginPath = "/auth/email/login";
inline constexpr std::string_view logoutPath = "/auth/logout";
inline constexpr std::string_view settingsPath = "/me/settings";
inline constexpr std::string_view translatePath = "/translate";
inline constexpr std::string_view platform = "linux";

// The installation as the service sees it at login.
struct Device {
    std::string deviceId;
    std::string deviceName;
    std::string appVersion;
    std::string osVersion;
    // Omitted from the body when absent or empty.
    std::optional<std::string> hardwareHint;
};

std::string authBody(std::string_view email, std::string_view password, const Device& device);
std::string shareCacheBody(bool enabled);
// Items are numbered from 0 in input order.
std::string translateBody(std::string_view requestId, std::string_view target, bool bypassCache,
                          const std::vector<std::string>& texts);

// The base URL in force: the stored one unless it is empty or a stale development origin (plain
// http to loopback port 43150), in which case `defaultOrigin`. `stale` tells the caller to
// overwrite the store.
std::string effectiveBaseURL(std::string_view stored, std::string_view defaultOrigin, bool* stale = nullptr);

} // namespace tessary::CloudRequest
