#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace tessary {

// Names for saved captures.
class SaveNaming {
public:
    using IsTaken = std::function<bool(const std::string& fileName)>;

    // base.extension, else base-2.extension … base-9999.extension, else base-<random UUID>.extension
    // (that last one untested).
    static std::string uniqueFileName(std::string_view base, std::string_view extension,
                                      const IsTaken& isTaken);

    // "Tessary_" + the date as yyyy-MM-dd_HH-mm-ss in the host's time zone, with ASCII digits whatever the
    // user's locale.
    static std::string suggestedFileStem(std::chrono::system_clock::time_point date);
    // The same in the given time zone (an IANA id such as "Europe/Berlin"); an unknown id means UTC.
    static std::string suggestedFileStem(std::chrono::system_clock::time_point date,
                                         std::string_view timeZoneId);
};

} // namespace tessary
