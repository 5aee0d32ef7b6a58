// The cloud service's date parser over arbitrary text. Checks, besides memory safety: whatever
// parses formats to a text that parses back to the same second.
#include "TessaryCore/CloudDate.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = CloudDate::parse(text);
    if (!parsed) {
        return 0;
    }
    const auto whole = std::chrono::floor<std::chrono::seconds>(*parsed);
    const auto again = CloudDate::parse(CloudDate::format(*parsed));
    // Offsets can move a year-0000 or year-9999 date outside the four-digit range.
    const auto year = int(std::chrono::year_month_day(std::chrono::floor<std::chrono::days>(whole)).year());
    if (year >= 0 && year <= 9999 && (!again || *again != whole)) {
        std::abort();
    }
    return 0;
}
