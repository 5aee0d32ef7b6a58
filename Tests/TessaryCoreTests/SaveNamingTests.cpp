#include "TessaryCore/SaveNaming.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <unicode/locid.h>

using namespace tessary;
using namespace std::chrono;

namespace {

TEST(SaveNamingTest, UniqueNamesCountUpFromTwo) {
    struct Case {
        std::set<std::string> taken;
        std::string expected;
    };
    std::set<std::string> allButLast = {"S.png"};
    for (int n = 2; n < 9999; ++n) {
        allButLast.insert("S-" + std::to_string(n) + ".png");
    }
    const std::vector<Case> cases = {
        {{}, "S.png"},
        {{"S.png"}, "S-2.png"},
        {{"S.png", "S-2.png"}, "S-3.png"},
        {{"S.png", "S-3.png"}, "S-2.png"},
        {{"S-2.png"}, "S.png"},
        {{"S.PNG"}, "S.png"},
        {allButLast, "S-9999.png"},
    };
    for (const auto& c : cases) {
        const auto name = SaveNaming::uniqueFileName(
            "S", "png", [&](const std::string& n) { return c.taken.count(n) > 0; });
        EXPECT_EQ(name, c.expected);
    }
}

TEST(SaveNamingTest, FallsBackToAnUntestedUuidName) {
    std::vector<std::string> asked;
    const auto name =
        SaveNaming::uniqueFileName("Tessary_2026-12-07_14-03-09", "png", [&](const std::string& n) {
            asked.push_back(n);
            return true;
        });
    const std::regex expected(
        "Tessary_2026-12-07_14-03-09-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.png");
    EXPECT_TRUE(std::regex_match(name, expected)) << name;
    ASSERT_EQ(asked.size(), 9999U);
    EXPECT_EQ(asked.front(), "Tessary_2026-12-07_14-03-09.png");
    EXPECT_EQ(asked[1], "Tessary_2026-12-07_14-03-09-2.png");
    EXPECT_EQ(asked.back(), "Tessary_2026-12-07_14-03-09-9999.png");
}

system_clock::time_point utc(year_month_day day, hours h, minutes m, seconds s, milliseconds ms = {}) {
    return sys_days(day) + h + m + s + ms;
}

TEST(SaveNamingTest, StemUsesTheGivenZone) {
    struct Case {
        system_clock::time_point date;
        const char* zone;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {utc(2026y / December / 7, 14h, 3min, 9s), "UTC", "Tessary_2026-12-07_14-03-09"},
        {utc(2026y / December / 7, 5h, 3min, 9s), "Asia/Tokyo", "Tessary_2026-12-07_14-03-09"},
        // Daylight saving time in summer, standard time in winter; both cross midnight backwards.
        {utc(2026y / July / 1, 3h, 30min, 0s), "America/New_York", "Tessary_2026-06-30_23-30-00"},
        {utc(2026y / January / 1, 3h, 30min, 0s), "America/New_York", "Tessary_2025-12-31_22-30-00"},
        // Half-hour offset; fractions of a second are cut, not rounded.
        {utc(2026y / March / 4, 18h, 45min, 59s, 999ms), "Asia/Kolkata", "Tessary_2026-03-05_00-15-59"},
        {utc(1970y / January / 1, 0h, 0min, 0s), "America/Los_Angeles", "Tessary_1969-12-31_16-00-00"},
        {utc(2026y / December / 7, 14h, 3min, 9s), "No/Such_Zone", "Tessary_2026-12-07_14-03-09"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SaveNaming::suggestedFileStem(c.date, c.zone), c.expected) << c.zone;
    }
}

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value, 1);
    }
    ~ScopedEnvironment() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SaveNamingTest, StemFollowsTheHostZoneWithAsciiDigitsInAnyLocale) {
    const auto date = utc(2026y / December / 7, 5h, 3min, 9s);
    const auto originalLocale = icu::Locale::getDefault();
    for (const char* locale : {"en_US", "ar_EG", "th_TH_TRADITIONAL", "fa_IR"}) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(locale), status);
        ASSERT_FALSE(U_FAILURE(status));
        {
            ScopedEnvironment tz("TZ", "Asia/Tokyo");
            EXPECT_EQ(SaveNaming::suggestedFileStem(date), "Tessary_2026-12-07_14-03-09") << locale;
        }
        {
            ScopedEnvironment tz("TZ", "UTC");
            EXPECT_EQ(SaveNaming::suggestedFileStem(date), "Tessary_2026-12-07_05-03-09") << locale;
        }
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(originalLocale, status);
}

} // namespace
