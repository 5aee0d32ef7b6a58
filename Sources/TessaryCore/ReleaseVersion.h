#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// A release as major.minor.patch plus a build number; the build orders equal triples.
struct ReleaseVersion {
    std::array<std::int64_t, 3> components{};
    std::int64_t build = 1;

    // Exactly three dot-separated pieces of ASCII digits without leading zeros, each fitting a
    // signed 64-bit integer, and build > 0. Anything else ("1.2", "1.2.3.4", "1..3", "+1.2.3",
    // "01.2.3", "1.2.3-beta") is refused,
    // which callers report as an invalid manifest.
    static std::optional<ReleaseVersion> parse(std::string_view text, std::int64_t build);

    // A decimal integer with an optional leading sign, digits only, no overflow.
    static std::optional<std::int64_t> parseDecimal(std::string_view text);

    std::string text() const;

    // A dotted version as exactly three numbers: "2.36" → "2.36.0", "2.36.9000" stays; pieces keep
    // their leading digits. Text without a leading number comes back unchanged (and will not parse).
    static std::string threeNumbers(std::string_view text);

    friend auto operator<=>(const ReleaseVersion&, const ReleaseVersion&) = default;
    friend bool operator==(const ReleaseVersion&, const ReleaseVersion&) = default;
};

} // namespace tessary
