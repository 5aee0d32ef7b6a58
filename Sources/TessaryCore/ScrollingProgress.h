#pragma once

#include "TessaryCore/ScrollMatchFailure.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessary {

// What a running scrolling capture tells the user beside the numbers.
enum class ScrollingNotice { tooFast, repetitive, segmented, resized };

// One progress report of a scrolling capture.
struct ScrollingProgress {
    std::int64_t frameCount = 0;
    std::int64_t heightInPixels = 0;
    std::int64_t segmentCount = 0;
    std::optional<ScrollingNotice> notice;

    friend bool operator==(const ScrollingProgress&, const ScrollingProgress&) = default;
};

// Localisation key of the notice's text.
std::string_view noticeKey(ScrollingNotice notice);
// The notice for a frame that was rejected (shown from the third rejection in a row on).
ScrollingNotice noticeForRejection(ScrollMatchFailure failure);
// The notice for a segment started because frames stopped matching for `failure`.
ScrollingNotice noticeForNewSegment(ScrollMatchFailure failure);
// The failure's case name as the log prints it.
std::string_view failureName(ScrollMatchFailure failure);

} // namespace tessary
