#include "TessaryCore/CloudDate.h"

#include <cstdio>

namespace tessary::CloudDate {

namespace {

// Reads exactly `count` ASCII digits at `at`.
std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

bool expect(std::string_view text, std::size_t at, char c) {
    return at < text.size() && text[at] == c;
}

} // namespace

std::optional<Time> parse(std::string_view text) {
    using namespace std::chrono;
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    const auto hour = digits(text, 11, 2);
    const auto minute = digits(text, 14, 2);
    const auto second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || !expect(text, 4, '-') ||
        !expect(text, 7, '-') || !expect(text, 10, 'T') || !expect(text, 13, ':') || !expect(text, 16, ':')) {
        return std::nullopt;
    }
    const year_month_day date{std::chrono::year(*year), std::chrono::month(static_cast<unsigned>(*month)),
                              std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok() || *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    std::size_t at = 19;
    milliseconds fraction{0};
    if (expect(text, at, '.')) {
        ++at;
        const std::size_t start = at;
        int value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            if (at - start < 3) {
                value = value * 10 + (text[at] - '0');
            }
            ++at;
        }
        const std::size_t count = at - start;
        if (count == 0 || count > 9) {
            return std::nullopt;
        }
        for (std::size_t i = count; i < 3; ++i) {
            value *= 10;
        }
        fraction = milliseconds(value);
    }
    minutes offset{0};
    if (expect(text, at, 'Z')) {
        ++at;
    } else if (expect(text, at, '+') || expect(text, at, '-')) {
        const bool negative = text[at] == '-';
        const auto offsetHours = digits(text, at + 1, 2);
        const auto offsetMinutes = digits(text, at + 4, 2);
        if (!offsetHours || !offsetMinutes || !expect(text, at + 3, ':') || *offsetHours > 23 ||
            *offsetMinutes > 59) {
            return std::nullopt;
        }
        offset = hours(*offsetHours) + minutes(*offsetMinutes);
        if (negative) {
            offset = -offset;
        }
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    const Time local = time_point_cast<milliseconds>(sys_days(date)) + hours(*hour) + minutes(*minute) +
                       seconds(*second) + fraction;
    return local - offset;
}

std::string format(Time time) {
    using namespace std::chrono;
    const sys_seconds whole = floor<seconds>(time);
    const sys_days day = floor<days>(whole);
    const year_month_day date(day);
    const hh_mm_ss clock(whole - day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return buffer;
}

} // namespace tessary::CloudDate
