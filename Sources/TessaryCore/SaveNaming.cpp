#include "TessaryCore/SaveNaming.h"

#include "TessaryCore/Uuid.h"

#include <ctime>
#include <memory>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace tessary {

namespace {

constexpr int lastNumberedSuffix = 9999;

// Without ICU data: the C library's local time, whose numeric fields never depend on the locale.
std::string fallbackStamp(std::chrono::system_clock::time_point date) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) {
        return "0000-00-00_00-00-00";
    }
    char buffer[32] = {};
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d_%H-%M-%S", &local);
    return buffer;
}

std::string formatStem(std::chrono::system_clock::time_point date, std::unique_ptr<icu::TimeZone> zone) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString(u"yyyy-MM-dd_HH-mm-ss"), icu::Locale("en_US_POSIX"),
                                 status);
    if (U_FAILURE(status)) {
        return "Tessary_" + fallbackStamp(date);
    }
    if (zone) {
        format.adoptTimeZone(zone.release());
    }
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
    icu::UnicodeString text;
    format.format(static_cast<UDate>(millis), text);
    std::string stem = "Tessary_";
    text.toUTF8String(stem);
    return stem;
}

} // namespace

std::string SaveNaming::uniqueFileName(std::string_view base, std::string_view extension,
                                       const IsTaken& isTaken) {
    const std::string suffix = "." + std::string(extension);
    std::string candidate = std::string(base) + suffix;
    if (!isTaken(candidate)) {
        return candidate;
    }
    for (int n = 2; n <= lastNumberedSuffix; ++n) {
        candidate = std::string(base) + "-" + std::to_string(n) + suffix;
        if (!isTaken(candidate)) {
            return candidate;
        }
    }
    return std::string(base) + "-" + Uuid::random().string() + suffix;
}

std::string SaveNaming::suggestedFileStem(std::chrono::system_clock::time_point date) {
    // Detected on every call so a zone change while the program runs is honoured.
    return formatStem(date, std::unique_ptr<icu::TimeZone>(icu::TimeZone::detectHostTimeZone()));
}

std::string SaveNaming::suggestedFileStem(std::chrono::system_clock::time_point date,
                                          std::string_view timeZoneId) {
    const auto id = icu::UnicodeString::fromUTF8(
        icu::StringPiece(timeZoneId.data(), static_cast<int32_t>(timeZoneId.size())));
    return formatStem(date, std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(id)));
}

} // namespace tessary
