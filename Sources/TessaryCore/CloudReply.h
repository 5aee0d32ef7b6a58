#pragma once

#include "TessaryCore/CloudQuota.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading the cloud service's success bodies. Members are matched by their exact names; unknown
// members are ignored; a missing or mistyped required member, or a date that is not internet
// date-time, throws TranslationFailure::invalidResponse("响应结构不是预期的：" + what was wrong).
namespace tessary::CloudReply {

struct User {
    std::string id;
    std::string email;
    bool shareCache = true;
};

struct Stats {
    std::int64_t blocks = 0;
    std::int64_t cacheHit = 0;
    std::int64_t upstream = 0;
    std::int64_t upstreamMs = 0;
    std::int64_t totalMs = 0;
};

struct Authentication {
    std::string token;
    User user;
    CloudQuota quota;
};

struct Translation {
    // One per text sent, "" where the service gave nothing.
    std::vector<std::string> texts;
    Stats stats;
    CloudQuota quota;
};

// The token must be a bearer token (RFC 6750 characters, at most 4 KiB).
Authentication authentication(std::string_view body);

// Every id 0..expecting-1 must appear; the first item with an id wins and later repeats are
// ignored, out-of-range ids too. Missing ids throw countMismatch(expecting, distinct ids seen).
Translation translation(std::string_view body, std::size_t expecting);

// The quota as stored in the settings, and back. Nothing when the stored text does not decode.
std::optional<CloudQuota> storedQuota(std::string_view text);
std::string encodeQuota(const CloudQuota& quota);

} // namespace tessary::CloudReply
