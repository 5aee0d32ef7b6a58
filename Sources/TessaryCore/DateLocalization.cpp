#include "TessaryCore/DateLocalization.h"

#include "TessaryCore/UnicodeText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <unicode/dtptngen.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/regex.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace tessary::DateLocalization {

namespace {

// What an expression's match begins with (after its look-behind).
enum Opening : unsigned { digit = 1, weekdayName = 2, monthName = 4 };

// Capture-group indexes; 0 means the expression has no such group.
struct Pattern {
    std::unique_ptr<icu::RegexPattern> regex;
    int weekday = 0;
    int month = 0;
    int day = 0;
    int year = 0;
    unsigned openings = 0;
};

std::unique_ptr<icu::RegexPattern> compile(const char16_t* expression) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    std::unique_ptr<icu::RegexPattern> pattern(icu::RegexPattern::compile(
        icu::UnicodeString(expression), UREGEX_CASE_INSENSITIVE, parseError, status));
    if (U_FAILURE(status) || !pattern) {
        std::fprintf(stderr,
                     "TessaryCore/DateLocalization: cannot compile a date pattern (%s at offset %d)\n",
                     u_errorName(status), static_cast<int>(parseError.offset));
        std::abort();
    }
    return pattern;
}

// Built once on first use; RegexPattern is immutable and safe to share between threads.
const std::array<Pattern, 3>& patterns() {
    static const std::array<Pattern, 3> table{{
        // [weekday] day month [year]
        {compile(
             uR"((?<![\p{L}\p{N}])(?:(Mon(?:day)?|Tue(?:s(?:day)?)?|Wed(?:nesday)?|Thu(?:r(?:s(?:day)?)?)?|Fri(?:day)?|Sat(?:urday)?|Sun(?:day)?)\.?,?\s+)?(\d{1,2})(?:st|nd|rd|th)?\s+(Jan(?:uary)?|Feb(?:ruary)?|Mar(?:ch)?|Apr(?:il)?|May|June?|July?|Aug(?:ust)?|Sep(?:t(?:ember)?)?|Oct(?:ober)?|Nov(?:ember)?|Dec(?:ember)?)\.?(?:,?\s+(\d{4}))?(?![\p{L}\p{N}]))"),
         1, 3, 2, 4, digit | weekdayName},
        // [weekday] month day [year]
        {compile(
             uR"((?<![\p{L}\p{N}])(?:(Mon(?:day)?|Tue(?:s(?:day)?)?|Wed(?:nesday)?|Thu(?:r(?:s(?:day)?)?)?|Fri(?:day)?|Sat(?:urday)?|Sun(?:day)?)\.?,?\s+)?(Jan(?:uary)?|Feb(?:ruary)?|Mar(?:ch)?|Apr(?:il)?|May|June?|July?|Aug(?:ust)?|Sep(?:t(?:ember)?)?|Oct(?:ober)?|Nov(?:ember)?|Dec(?:ember)?)\.?\s+(\d{1,2})(?:st|nd|rd|th)?(?:,?\s+(\d{4}))?(?![\p{L}\p{N}]))"),
         1, 2, 3, 4, weekdayName | monthName},
        // month year
        {compile(
             uR"((?<![\p{L}\p{N}])(Jan(?:uary)?|Feb(?:ruary)?|Mar(?:ch)?|Apr(?:il)?|May|June?|July?|Aug(?:ust)?|Sep(?:t(?:ember)?)?|Oct(?:ober)?|Nov(?:ember)?|Dec(?:ember)?)\.?,?\s+(\d{4})(?![\p{L}\p{N}]))"),
         0, 1, 0, 2, monthName},
    }};
    return table;
}

constexpr std::array<std::u16string_view, 12> monthKeys{u"jan", u"feb", u"mar", u"apr", u"may", u"jun",
                                                        u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"};

std::optional<int> monthNumber(const icu::UnicodeString& name) {
    std::u16string key;
    for (int32_t index = 0, taken = 0; index < name.length() && taken < 3; ++taken) {
        const UChar32 c = u_tolower(name.char32At(index));
        if (c > 0xFFFF) {
            return std::nullopt; // no month key holds a supplementary character
        }
        key.push_back(static_cast<char16_t>(c));
        index = name.moveIndex32(index, 1);
    }
    for (std::size_t i = 0; i < monthKeys.size(); ++i) {
        if (monthKeys[i] == key) {
            return static_cast<int>(i) + 1;
        }
    }
    return std::nullopt;
}

std::optional<std::int64_t> digitsValue(const icu::UnicodeString& text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (int32_t index = 0; index < text.length(); index = text.moveIndex32(index, 1)) {
        const double digit = u_getNumericValue(text.char32At(index));
        if (digit < 0 || digit > 9 || digit != std::floor(digit)) {
            return std::nullopt; // also U_NO_NUMERIC_VALUE, which is negative
        }
        if (value > (std::numeric_limits<std::int64_t>::max() - static_cast<std::int64_t>(digit)) / 10) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::int64_t>(digit);
    }
    return value;
}

// Date rendering for one target. ICU calendars and formatters mutate while they work, so each
// instance serialises its users; the expensive pattern generator is created on first use.
class TargetFormatter {
public:
    explicit TargetFormatter(const icu::Locale& locale)
        : locale_(locale), english_(std::strcmp(locale.getLanguage(), "en") == 0) {}

    bool isEnglish() const { return english_; }

    // The date rendered with the skeleton, or nothing when the components do not name a real
    // day of the Gregorian calendar. Without `render` the result is empty but present exactly
    // when a rendering would be.
    std::optional<icu::UnicodeString> format(std::int64_t year, int month, std::int64_t day,
                                             const icu::UnicodeString& skeleton, bool render) {
        const std::lock_guard lock(mutex_);
        if (!prepare()) {
            return std::nullopt;
        }
        const auto date = validDate(year, month, day);
        if (!date) {
            return std::nullopt;
        }
        icu::SimpleDateFormat* formatter = formatterFor(skeleton);
        if (formatter == nullptr) {
            return std::nullopt;
        }
        icu::UnicodeString rendered;
        if (render) {
            formatter->format(*date, rendered);
        }
        return rendered;
    }

private:
    bool prepare() {
        if (prepared_) {
            return calendar_ && generator_;
        }
        prepared_ = true;
        UErrorCode status = U_ZERO_ERROR;
        calendar_ =
            std::make_unique<icu::GregorianCalendar>(icu::TimeZone::createTimeZone("UTC"), locale_, status);
        if (U_FAILURE(status)) {
            calendar_.reset();
            return false;
        }
        calendar_->setLenient(false);
        generator_.reset(icu::DateTimePatternGenerator::createInstance(locale_, status));
        if (U_FAILURE(status)) {
            generator_.reset();
            return false;
        }
        return true;
    }

    // Valid exactly when the calendar accepts the fields and reads the same day back.
    std::optional<UDate> validDate(std::int64_t year, int month, std::int64_t day) {
        if (year < 1 || year > 9999 || day < 1 || day > 31) {
            return std::nullopt;
        }
        UErrorCode status = U_ZERO_ERROR;
        calendar_->clear();
        calendar_->set(static_cast<int32_t>(year), month - 1, static_cast<int32_t>(day));
        const UDate date = calendar_->getTime(status);
        if (U_FAILURE(status)) {
            return std::nullopt;
        }
        calendar_->setTime(date, status);
        const int32_t era = calendar_->get(UCAL_ERA, status);
        const int32_t readYear = calendar_->get(UCAL_YEAR, status);
        const int32_t readMonth = calendar_->get(UCAL_MONTH, status);
        const int32_t readDay = calendar_->get(UCAL_DATE, status);
        if (U_FAILURE(status) || era != icu::GregorianCalendar::AD || readYear != year ||
            readMonth != month - 1 || readDay != day) {
            return std::nullopt;
        }
        return date;
    }

    icu::SimpleDateFormat* formatterFor(const icu::UnicodeString& skeleton) {
        const std::u16string key(skeleton.getBuffer(), static_cast<std::size_t>(skeleton.length()));
        if (const auto found = formatters_.find(key); found != formatters_.end()) {
            return found->second.get();
        }
        UErrorCode status = U_ZERO_ERROR;
        const icu::UnicodeString pattern = generator_->getBestPattern(skeleton, status);
        if (U_FAILURE(status)) {
            return nullptr;
        }
        auto formatter = std::make_unique<icu::SimpleDateFormat>(pattern, locale_, status);
        if (U_FAILURE(status)) {
            return nullptr;
        }
        auto* calendar = new icu::GregorianCalendar(icu::TimeZone::createTimeZone("UTC"), locale_, status);
        formatter->adoptCalendar(calendar);
        if (U_FAILURE(status)) {
            return nullptr;
        }
        return (formatters_[key] = std::move(formatter)).get();
    }

    std::mutex mutex_;
    const icu::Locale locale_;
    const bool english_;
    bool prepared_ = false;
    std::unique_ptr<icu::GregorianCalendar> calendar_;
    std::unique_ptr<icu::DateTimePatternGenerator> generator_;
    std::map<std::u16string, std::unique_ptr<icu::SimpleDateFormat>> formatters_;
};

icu::Locale localeFor(const std::string& target) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu::Locale::forLanguageTag(target, status);
    if (U_SUCCESS(status) && !locale.isBogus()) {
        return locale;
    }
    // Identifiers in ICU's own form, such as "zh_Hans".
    locale = icu::Locale::createCanonical(target.c_str());
    return locale.isBogus() ? icu::Locale::getRoot() : locale;
}

// Targets come from settings, so a handful at most; the bound only guards against callers that
// pass arbitrary text.
std::shared_ptr<TargetFormatter> formatterFor(std::string_view target) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::shared_ptr<TargetFormatter>> cache;
    constexpr std::size_t cacheLimit = 16;

    std::string key(target);
    const std::lock_guard lock(mutex);
    if (const auto found = cache.find(key); found != cache.end()) {
        return found->second;
    }
    if (cache.size() >= cacheLimit) {
        cache.clear();
    }
    auto formatter = std::make_shared<TargetFormatter>(localeFor(key));
    cache.emplace(std::move(key), formatter);
    return formatter;
}

struct Match {
    int32_t start = 0;
    int32_t end = 0;
    // Start and end of each capture group; start is -1 for a group that did not take part.
    std::array<int32_t, 5> groupStart{};
    std::array<int32_t, 5> groupEnd{};
};

// A character of a weekday or month name folded to lower-case ASCII; '*' for one that
// case-insensitive matching might fold into ASCII letters (U+017F, ligatures); 0 for one that
// can be no part of a name.
char nameLetter(UChar32 c) {
    if (c < 0x80) {
        const auto lower = static_cast<char>(c | 0x20);
        return lower >= 'a' && lower <= 'z' ? lower : 0;
    }
    return u_hasBinaryProperty(c, UCHAR_CHANGES_WHEN_CASEFOLDED) ? '*' : 0;
}

// Whether a match of an expression with these openings can start at `index`. Every expression
// begins with a look-behind rejecting a preceding letter or number, then a digit or a weekday or
// month name, all names three letters or longer. Trying the expressions only where this holds
// gives the matches a full search would, many times faster: ICU cannot skip ahead by itself past
// a leading look-behind, and trying a dozen case-insensitive names at every position is slow.
bool mayOpenAt(const char16_t* chars, int32_t length, int32_t index, unsigned openings) {
    UChar32 c = 0;
    if (index > 0) {
        int32_t before = index;
        U16_PREV(chars, 0, before, c);
        if ((U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_N_MASK)) != 0) {
            return false;
        }
    }
    int32_t at = index;
    U16_NEXT(chars, at, length, c);
    if ((openings & digit) != 0 && u_isdigit(c)) {
        return true;
    }
    std::array<char, 3> key{};
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (i > 0) {
            if (at >= length) {
                return false;
            }
            U16_NEXT(chars, at, length, c);
        }
        key[i] = nameLetter(c);
        if (key[i] == '*') {
            return true;
        }
        if (key[i] == 0) {
            return false;
        }
    }
    const auto packed = [](char a, char b, char c) {
        return static_cast<std::uint32_t>(a) << 16 | static_cast<std::uint32_t>(b) << 8 |
               static_cast<std::uint32_t>(c);
    };
    static constexpr std::array<std::string_view, 7> weekdays{"mon", "tue", "wed", "thu",
                                                              "fri", "sat", "sun"};
    static constexpr std::array<std::string_view, 12> months{"jan", "feb", "mar", "apr", "may", "jun",
                                                             "jul", "aug", "sep", "oct", "nov", "dec"};
    const std::uint32_t prefix = packed(key[0], key[1], key[2]);
    const auto among = [&](const auto& names) {
        return std::any_of(names.begin(), names.end(), [&](std::string_view name) {
            return packed(name[0], name[1], name[2]) == prefix;
        });
    };
    return ((openings & weekdayName) != 0 && among(weekdays)) ||
           ((openings & monthName) != 0 && among(months));
}

std::vector<Match> findAll(const Pattern& pattern, const icu::UnicodeString& text) {
    std::vector<Match> matches;
    std::unique_ptr<icu::RegexMatcher> matcher;
    UErrorCode status = U_ZERO_ERROR;
    const char16_t* chars = text.getBuffer();
    const int32_t length = text.length();
    int32_t index = 0;
    while (index < length) {
        if (!mayOpenAt(chars, length, index, pattern.openings)) {
            U16_FWD_1(chars, index, length);
            continue;
        }
        if (!matcher) {
            matcher.reset(pattern.regex->matcher(text, status));
            if (U_FAILURE(status)) {
                break;
            }
            // Look-around sees the whole text, as in a search over its whole length.
            matcher->useTransparentBounds(true);
            matcher->useAnchoringBounds(false);
        }
        matcher->region(index, length, status);
        const bool found = U_SUCCESS(status) && matcher->lookingAt(status);
        if (U_FAILURE(status)) {
            break;
        }
        if (!found) {
            U16_FWD_1(chars, index, length);
            continue;
        }
        Match match;
        match.start = matcher->start(status);
        match.end = matcher->end(status);
        const int32_t groups = std::min<int32_t>(matcher->groupCount(), 4);
        for (int32_t group = 1; group <= groups; ++group) {
            match.groupStart[group] = matcher->start(group, status);
            match.groupEnd[group] = matcher->end(group, status);
        }
        if (U_FAILURE(status) || match.end <= index) {
            break;
        }
        matches.push_back(match);
        index = match.end;
    }
    return matches;
}

std::optional<icu::UnicodeString> group(const Match& match, int index, const icu::UnicodeString& text) {
    if (index == 0 || match.groupStart[index] < 0) {
        return std::nullopt;
    }
    return icu::UnicodeString(text, match.groupStart[index], match.groupEnd[index] - match.groupStart[index]);
}

std::optional<icu::UnicodeString> format(const Match& match, const Pattern& pattern,
                                         const icu::UnicodeString& text, TargetFormatter& formatter,
                                         bool render) {
    const auto monthText = group(match, pattern.month, text);
    if (!monthText) {
        return std::nullopt;
    }
    const auto month = monthNumber(*monthText);
    if (!month) {
        return std::nullopt;
    }
    const auto dayText = group(match, pattern.day, text);
    const auto yearText = group(match, pattern.year, text);
    std::optional<std::int64_t> day;
    std::optional<std::int64_t> year;
    if (dayText && !(day = digitsValue(*dayText))) {
        return std::nullopt;
    }
    if (yearText && !(year = digitsValue(*yearText))) {
        return std::nullopt;
    }
    const bool showWeekday = group(match, pattern.weekday, text).has_value() && day && year;

    // Missing parts take neutral values; the skeleton keeps them out of the rendering.
    icu::UnicodeString skeleton(year ? u"yMMM" : u"MMM");
    if (day) {
        skeleton.append(u"d");
    }
    if (showWeekday) {
        skeleton.append(u"EEE");
    }
    return formatter.format(year.value_or(2000), *month, day.value_or(1), skeleton, render);
}

struct Range {
    int32_t start = 0;
    int32_t end = 0;
};

// A text being rewritten by the patterns in turn, with the ranges that earlier patterns settled:
// dates they converted and impossible dates they rejected. Later patterns leave those ranges
// alone, so "31 February 2024" does not turn into a stray 31 beside a localised month and year,
// and a rendering that happens to read as an English date is not converted a second time.
struct Pass {
    icu::UnicodeString text;
    std::vector<Range> settled;
};

bool overlapsSettled(const Pass& pass, const Match& match) {
    return std::any_of(pass.settled.begin(), pass.settled.end(), [&](const Range& range) {
        return match.start < range.end && range.start < match.end;
    });
}

// Converts the dates among the pattern's matches in the pass, each replaced by its rendering or,
// when `render` is false, by one space. Returns whether anything was converted.
bool apply(const Pattern& pattern, const std::vector<Match>& matches, Pass& pass, TargetFormatter& formatter,
           bool render) {
    if (matches.empty()) {
        return false;
    }
    std::vector<std::pair<Match, icu::UnicodeString>> replacements;
    std::vector<Range> kept = pass.settled;
    for (const Match& match : matches) {
        if (overlapsSettled(pass, match)) {
            continue;
        }
        if (auto rendered = format(match, pattern, pass.text, formatter, render)) {
            replacements.emplace_back(match, render ? std::move(*rendered) : icu::UnicodeString(u' '));
        } else {
            kept.push_back({match.start, match.end});
        }
    }

    // Replacements are in ascending order and overlap no kept range, so a kept range moves by
    // the length change of the replacements before it.
    const auto shifted = [&](Range range) {
        for (const auto& [match, replacement] : replacements) {
            if (match.end > range.start) {
                break;
            }
            const int32_t delta = replacement.length() - (match.end - match.start);
            range.start += delta;
            range.end += delta;
        }
        return range;
    };
    std::vector<Range> settled;
    settled.reserve(kept.size() + replacements.size());
    for (const Range& range : kept) {
        settled.push_back(shifted(range));
    }
    icu::UnicodeString out;
    int32_t copied = 0;
    for (const auto& [match, replacement] : replacements) {
        out.append(pass.text, copied, match.start - copied);
        settled.push_back({out.length(), out.length() + replacement.length()});
        out.append(replacement);
        copied = match.end;
    }
    out.append(pass.text, copied, pass.text.length() - copied);
    pass.text = std::move(out);
    pass.settled = std::move(settled);
    return !replacements.empty();
}

} // namespace

bool operator==(const Result& a, const Result& b) {
    return UnicodeText::canonicallyEquivalent(a.text, b.text) &&
           UnicodeText::canonicallyEquivalent(a.remainder, b.remainder);
}

std::optional<Result> localize(std::string_view text, std::string_view target) {
    const std::shared_ptr<TargetFormatter> formatter = formatterFor(target);
    if (formatter->isEnglish()) {
        return std::nullopt;
    }
    Pass current{UnicodeText::toUtf16(text), {}};
    // The remainder is matched on its own once the first conversion has put spaces in it where
    // the text holds renderings; until then the two are the same.
    Pass remainder = current;
    bool converted = false;
    for (const Pattern& pattern : patterns()) {
        const std::vector<Match> matches = findAll(pattern, current.text);
        const bool diverged = converted;
        if (apply(pattern, matches, current, *formatter, true)) {
            converted = true;
        }
        apply(pattern, diverged ? findAll(pattern, remainder.text) : matches, remainder, *formatter, false);
    }
    if (!converted) {
        return std::nullopt;
    }
    const auto trimmable = [](UChar32 c) {
        return UnicodeText::isWhitespaceOrNewline(c) || UnicodeText::isPunctuation(c);
    };
    return Result{UnicodeText::toUtf8(current.text),
                  UnicodeText::toUtf8(UnicodeText::trimmed(remainder.text, trimmable))};
}

std::vector<std::pair<std::int32_t, std::int32_t>> detail::matchRanges(std::string_view text, int pattern,
                                                                       bool plainSearch) {
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
    if (pattern < 0 || pattern >= static_cast<int>(patterns().size())) {
        return ranges;
    }
    const Pattern& chosen = patterns()[static_cast<std::size_t>(pattern)];
    const icu::UnicodeString utf16 = UnicodeText::toUtf16(text);
    if (!plainSearch) {
        for (const Match& match : findAll(chosen, utf16)) {
            ranges.emplace_back(match.start, match.end);
        }
        return ranges;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(chosen.regex->matcher(utf16, status));
    while (U_SUCCESS(status) && matcher->find(status) && U_SUCCESS(status)) {
        ranges.emplace_back(matcher->start(status), matcher->end(status));
    }
    return ranges;
}

std::optional<std::int64_t> decimalValue(std::string_view text) {
    return digitsValue(UnicodeText::toUtf16(text));
}

} // namespace tessary::DateLocalization
