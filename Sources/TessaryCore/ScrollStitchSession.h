#pragma once

#include "TessaryCore/FrameSignature.h"
#include "TessaryCore/GrayscaleFrame.h"
#include "TessaryCore/ScrollMatchFailure.h"
#include "TessaryCore/ScrollMatchOptions.h"
#include "TessaryCore/StickyEdges.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace tessary {

// Turns the grey frames of one scrolling capture into a plan for a long image: segments made of placements
// saying which rows of which frame go to which canvas row. It never keeps pixels, only the last matched
// frame's signature and a few integers per placement. Not synchronised: use one session from one thread.
class ScrollStitchSession {
public:
    struct Placement {
        std::int64_t frameIndex = 0; // index of the frame the rows come from
        std::int64_t sourceRow = 0;  // first row taken, in the frame's own rows
        std::int64_t rowCount = 0;   // rows taken, at least 1
        std::int64_t canvasRow = 0;  // canvas row of the first of them
        friend bool operator==(const Placement&, const Placement&) = default;
    };

    struct Segment {
        // In the order made; later placements are drawn over earlier ones.
        std::vector<Placement> placements;
        std::int64_t width = 0;
        std::int64_t height = 0;
        friend bool operator==(const Segment&, const Segment&) = default;
    };

    class Outcome {
    public:
        enum class Kind { appended, rejected, segmented, started, unchanged };

        static Outcome appended(Placement placement) { return {Kind::appended, placement, {}}; }
        static Outcome rejected(ScrollMatchFailure failure) { return {Kind::rejected, {}, failure}; }
        static Outcome segmented(ScrollMatchFailure failure) { return {Kind::segmented, {}, failure}; }
        static Outcome started() { return {Kind::started, {}, {}}; }
        static Outcome unchanged() { return {Kind::unchanged, {}, {}}; }

        Kind kind() const { return kind_; }
        // Meaningful for `appended` only.
        const Placement& placement() const { return placement_; }
        // Meaningful for `rejected` and `segmented` only.
        ScrollMatchFailure failure() const { return failure_; }

        // Equal when the kind and that kind's payload are equal.
        friend bool operator==(const Outcome& a, const Outcome& b);

    private:
        Outcome(Kind kind, Placement placement, ScrollMatchFailure failure)
            : kind_(kind), placement_(placement), failure_(failure) {}

        Kind kind_;
        Placement placement_;
        ScrollMatchFailure failure_;
    };

    explicit ScrollStitchSession(ScrollMatchOptions options = {},
                                 std::int64_t maximumConsecutiveFailures = 8);

    Outcome accept(const GrayscaleFrame& frame);
    // Closes the open segment and hands over every finished segment; the counters keep their values.
    std::vector<Segment> finish();

    const ScrollMatchOptions& options() const { return options_; }
    std::int64_t maximumConsecutiveFailures() const { return maximumConsecutiveFailures_; }
    std::int64_t nextFrameIndex() const { return nextFrameIndex_; }
    std::int64_t acceptedFrameCount() const { return acceptedFrameCount_; }
    std::int64_t consecutiveFailures() const { return consecutiveFailures_; }
    std::int64_t currentSegmentHeight() const;
    std::int64_t totalHeight() const;
    std::int64_t segmentCount() const;
    StickyEdges detectedSticky() const;

private:
    struct OpenSegment {
        OpenSegment(std::int64_t frameIndex, std::int64_t width, std::int64_t height, FrameSignature anchor)
            : width(width), height(height), placements{Placement{frameIndex, 0, height, 0}},
              anchor(std::move(anchor)), contentBottom(height), placedBottom(height) {}

        std::int64_t width;
        std::int64_t height;
        std::vector<Placement> placements;
        FrameSignature anchor;
        std::int64_t anchorTopRow = 0;
        std::int64_t contentTop = 0;    // inclusive
        std::int64_t contentBottom = 0; // exclusive
        std::optional<StickyEdges> sticky;
        bool trimmedFirstFrame = false;
        int direction = 0;             // +1 grows downward, −1 upward, 0 not yet known
        std::int64_t placedTop = 0;    // smallest canvas row of any placement
        std::int64_t placedBottom = 0; // largest canvas row + row count of any placement
    };

    void open(std::int64_t frameIndex, const GrayscaleFrame& frame, FrameSignature signature);
    void closeOpenSegment();
    std::optional<Placement> appendNewContent(OpenSegment& segment, std::int64_t frameIndex);

    ScrollMatchOptions options_;
    std::int64_t maximumConsecutiveFailures_;
    std::optional<OpenSegment> open_;
    std::vector<Segment> finishedSegments_;
    std::int64_t consecutiveFailures_ = 0;
    std::int64_t nextFrameIndex_ = 0;
    std::int64_t acceptedFrameCount_ = 0;
};

} // namespace tessary
