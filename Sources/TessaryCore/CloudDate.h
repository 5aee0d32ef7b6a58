#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

// The cloud service's timestamps: internet date-time (RFC 3339), "2026-12-08T00:00:00Z" or with an
// offset, with or without fractional seconds.
namespace tessary::CloudDate {

using Time = std::chrono::sys_time<std::chrono::milliseconds>;

// Nothing for anything else: other separators, missing zone, impossible dates, leap seconds.
// Fractions beyond milliseconds are truncated.
std::optional<Time> parse(std::string_view text);

// UTC with a "Z" and whole seconds, as stored with the quota.
std::string format(Time time);

} // namespace tessary::CloudDate
