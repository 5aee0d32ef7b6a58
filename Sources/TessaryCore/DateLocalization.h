#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Converts English calendar dates inside a recognised text ("Mon, 6 May 2024", "May 6th",
// "Sept 2024") into the target language's own notation, so that a block holding only a date
// needs no translation engine.
namespace tessary::DateLocalization {

struct Result {
    // The whole input with every recognised English date replaced by its localised form.
    std::string text;
    // The input with every converted date replaced by one space, trimmed at both ends of
    // whitespace and punctuation. Empty when the text was nothing but dates and punctuation.
    std::string remainder;

    // Texts compare up to canonical equivalence.
    friend bool operator==(const Result& a, const Result& b);
};

// The text with its English dates rendered for `target` (a language identifier such as
// "zh-Hans" or "fr"), or nothing when no date was converted. English targets never convert.
// Dates are Gregorian in UTC; impossible dates (31 February) are left alone.
std::optional<Result> localize(std::string_view text, std::string_view target);

// The base-10 value of a non-empty string whose every character has a whole-number value from 0
// to 9: decimal digits of any script (full-width digits count) and other single digits such as ①.
// Nothing when a character has no such value or the result does not fit.
std::optional<std::int64_t> decimalValue(std::string_view text);

namespace detail {
// UTF-16 start and end of the matches of expression `pattern` (0 to 2, in the order they are
// applied) in the text, found by the scan localize() uses or, with `plainSearch`, by a search at
// every position. The two must agree; exposed so tests and the fuzz target can check that.
std::vector<std::pair<std::int32_t, std::int32_t>> matchRanges(std::string_view text, int pattern,
                                                               bool plainSearch);
} // namespace detail

} // namespace tessary::DateLocalization
