#include "TessaryCore/DateLocalization.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <thread>
#include <vector>

#include <unicode/dtptngen.h>
#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace tessary::DateLocalization {
void PrintTo(const Result& result, std::ostream* out) {
    *out << "{\"" << result.text << "\", \"" << result.remainder << "\"}";
}
} // namespace tessary::DateLocalization

using namespace tessary;
using DateLocalization::Result;

namespace {

// Reference rendering straight from ICU, for renderings the rows below do not spell out.
std::string icuRendering(const char* tag, const char16_t* skeleton, int year, int month, int day) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = icu::Locale::forLanguageTag(tag, status);
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    icu::SimpleDateFormat format(generator->getBestPattern(skeleton, status), locale, status);
    auto* calendar = new icu::GregorianCalendar(icu::TimeZone::createTimeZone("UTC"), status);
    calendar->set(year, month - 1, day);
    const UDate date = calendar->getTime(status);
    format.adoptCalendar(calendar);
    icu::UnicodeString text;
    format.format(date, text);
    EXPECT_FALSE(U_FAILURE(status)) << u_errorName(status);
    std::string out;
    return text.toUTF8String(out);
}

struct Case {
    const char* target;
    std::string text;
    std::optional<Result> expected;
};

void expectCases(const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        EXPECT_EQ(DateLocalization::localize(c.text, c.target), c.expected) << c.target << ": " << c.text;
    }
}

TEST(DateLocalizationTest, FullDatesUseEachLocalesOwnNotation) {
    const std::string full = "Mon, 6 May 2024";
    expectCases({
        {"zh-Hans", full, Result{"2024年5月6日周一", ""}},
        {"ja", full, Result{"2024年5月6日(月)", ""}},
        {"ko", full, Result{"2024년 5월 6일 (월)", ""}},
        {"fr", full, Result{"lun. 6 mai 2024", ""}},
        {"de", full, Result{"Mo., 6. Mai 2024", ""}},
        {"es", full, Result{"lun, 6 may 2024", ""}},
        {"ru", full, Result{"пн, 6 мая 2024\u202Fг.", ""}},
        // The weekday shown is the date's own, whatever the text claimed.
        {"zh-Hans", "Sun 6 May 2024", Result{"2024年5月6日周一", ""}},
        {"zh-Hans", "Monday, May 6th, 2024", Result{"2024年5月6日周一", ""}},
        {"zh_Hans", full, Result{"2024年5月6日周一", ""}},
    });
}

TEST(DateLocalizationTest, ShapesPickTheirTemplates) {
    expectCases({
        {"zh-Hans", "6 May 2024", Result{"2024年5月6日", ""}},
        {"zh-Hans", "May 6", Result{"5月6日", ""}},
        {"zh-Hans", "May 2024", Result{"2024年5月", ""}},
        {"zh-Hans", "Sept 2024", Result{"2024年9月", ""}},
        {"zh-Hans", "September 2024", Result{"2024年9月", ""}},
        {"zh-Hans", "Dec. 2024", Result{"2024年12月", ""}},
        // A weekday shows only beside a full date.
        {"zh-Hans", "Tue 6 May", Result{"5月6日", ""}},
        {"zh-Hans", "Mon, May 6", Result{"5月6日", ""}},
        {"fr", "Sept 2024", Result{icuRendering("fr", u"yMMM", 2024, 9, 1), ""}},
        {"de", "May 6", Result{icuRendering("de", u"MMMd", 2000, 5, 6), ""}},
        {"ru", "June 2024", Result{icuRendering("ru", u"yMMM", 2024, 6, 1), ""}},
        {"ja", "6 Jan", Result{icuRendering("ja", u"MMMd", 2000, 1, 6), ""}},
        {"ko", "Feb 29", Result{icuRendering("ko", u"MMMd", 2000, 2, 29), ""}},
        {"es", "29 Feb 2024", Result{icuRendering("es", u"yMMMd", 2024, 2, 29), ""}},
    });
}

TEST(DateLocalizationTest, SpellingVariantsConvertAlike) {
    const Result expected{"2024年5月6日", ""};
    std::vector<Case> cases;
    for (const char* text : {"6th May 2024", "May 6th, 2024", "May 6, 2024", "6 MAY 2024", "mAy 6 2024",
                             "6 May, 2024", "\uFF16 May \uFF12\uFF10\uFF12\uFF14"}) {
        cases.push_back({"zh-Hans", text, expected});
    }
    expectCases(cases);
}

TEST(DateLocalizationTest, LeavesWhatIsNotAnEnglishDate) {
    expectCases({
        {"en", "6 May 2024", std::nullopt},
        {"en-GB", "6 May 2024", std::nullopt},
        {"en-US", "Sept 2024", std::nullopt},
        {"zh-Hans", "2024 Sept", std::nullopt},
        {"zh-Hans", "AMay 2024", std::nullopt},
        {"zh-Hans", "May 20245", std::nullopt},
        {"zh-Hans", "Mayday 2024", std::nullopt},
        {"zh-Hans", "No dates here", std::nullopt},
        {"zh-Hans", "", std::nullopt},
        // Impossible dates stay as written, month and year included.
        {"zh-Hans", "31 February 2024", std::nullopt},
        {"zh-Hans", "29 Feb 2023", std::nullopt},
        {"zh-Hans", "0 May", std::nullopt},
        {"fr", "32 May 2024", std::nullopt},
        {"de", "April 31", std::nullopt},
    });
}

TEST(DateLocalizationTest, ReplacesEveryDateAndTrimsTheRemainder) {
    expectCases({
        {"zh-Hans", "Due: May 6, 2024.", Result{"Due: 2024年5月6日.", "Due"}},
        {"zh-Hans", "16 May 20245", Result{"5月16日 20245", "20245"}},
        {"zh-Hans", "From 6 May 2024 to Jun 7, 2024",
         Result{"From 2024年5月6日 to 2024年6月7日", "From   to"}},
        {"zh-Hans", "(May 6 \u2013 Sept 2024)", Result{"(5月6日 \u2013 2024年9月)", ""}},
        {"ja", "Meeting\nMay 6, 2024\n", Result{"Meeting\n2024年5月6日\n", "Meeting"}},
        {"zh-Hans", "31 Feb 2024, 1 Mar 2024", Result{"31 Feb 2024, 2024年3月1日", "31 Feb 2024"}},
        {"de", "Released September 2024!",
         Result{"Released " + icuRendering("de", u"yMMM", 2024, 9, 1) + "!", "Released"}},
    });
}

TEST(DateLocalizationTest, RendersTheDayInUtcWhateverTheLocalZone) {
    // Targets no other test uses, so their formatters are built while the odd zone is the default.
    std::unique_ptr<icu::TimeZone> saved(icu::TimeZone::createDefault());
    for (const char* zone : {"Pacific/Kiritimati", "Pacific/Pago_Pago"}) {
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(zone));
        const char* target = zone[8] == 'K' ? "zh-Hans-CN" : "ja-JP";
        const auto result = DateLocalization::localize("Mon, 6 May 2024", target);
        EXPECT_EQ(result, (Result{zone[8] == 'K' ? "2024年5月6日周一" : "2024年5月6日(月)", ""})) << zone;
    }
    icu::TimeZone::setDefault(*saved);
}

TEST(DateLocalizationTest, ConcurrentCallersGetTheSameResults) {
    const std::vector<std::pair<const char*, const char*>> inputs = {
        {"zh-Hans", "Mon, 6 May 2024 and June 2024"},
        {"fr", "May 6th"},
        {"ru", "1 Jan 2000"},
        {"ko", "Dec 31"}};
    std::vector<std::optional<Result>> expected;
    for (const auto& [target, text] : inputs) {
        expected.push_back(DateLocalization::localize(text, target));
        ASSERT_TRUE(expected.back().has_value()) << text;
    }
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const std::size_t k = static_cast<std::size_t>(i + t) % inputs.size();
                if (DateLocalization::localize(inputs[k].second, inputs[k].first) != expected[k]) {
                    ++mismatches[t];
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST(DateLocalizationTest, FastScanFindsWhatAPlainSearchFinds) {
    const char* texts[] = {
        "Mon, 6 May 2024 and Tue 7 May, then June 2024",
        "\u017Fept 2024 and \u017Fat 6 May 2024", // long s folds to s
        "Augu\uFB06 6th 2024",                    // the st ligature folds to st
        "\u212Aey 1 Jan 2024",
        "\u0345May 2024 x\u0301May 2024 \u00B2May 2024",
        "\U0001D400May 2024 \U0001F600May 2024 \xed\xa0\x80May 2024",
        "AMay 2024 May 20245 16 May 20245 2024 Sept",
        "\uFF16 May \uFF12\uFF10\uFF12\uFF14\u0662 Jun",
        "Mar\nMar 3\tMAR 2024 mar.2024 mar., 2024",
        "Thurs 6 Mayo 2024 Thursday, May 6 Thur 6 May Tues 7",
    };
    std::size_t found = 0;
    for (const char* text : texts) {
        for (int pattern = 0; pattern < 3; ++pattern) {
            const auto fast = DateLocalization::detail::matchRanges(text, pattern, false);
            EXPECT_EQ(fast, DateLocalization::detail::matchRanges(text, pattern, true))
                << pattern << ": " << text;
            found += fast.size();
        }
    }
    EXPECT_GE(found, 20u);
}

TEST(DateLocalizationTest, DecimalValueReadsDigitsOfAnyScript) {
    struct DecimalCase {
        const char* text;
        std::optional<std::int64_t> expected;
    };
    const DecimalCase cases[] = {
        {"0", 0},
        {"2024", 2024},
        {"007", 7},
        {"\uFF12\uFF10\uFF12\uFF14", 2024},
        {"\u0663\u0661", 31}, // Arabic-Indic
        {"\u096B", 5},        // Devanagari
        {"\u2460", 1},        // circled digit one has a whole-number value
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", std::nullopt},
        {"", std::nullopt},
        {"12a", std::nullopt},
        {"-1", std::nullopt},
        {"1.5", std::nullopt},
        {" 1", std::nullopt},
        {"\u00BD", std::nullopt},  // one half is not whole
        {"\u216B", std::nullopt},  // roman twelve is above nine
        {"1\u0301", std::nullopt}, // a digit with a combining mark
        {"\xff", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateLocalization::decimalValue(c.text), c.expected) << c.text;
    }
}

} // namespace
