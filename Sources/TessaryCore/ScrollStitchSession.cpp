#include "TessaryCore/ScrollStitchSession.h"

#include "TessaryCore/ScrollMatcher.h"

#include <algorithm>
#include <utility>

namespace tessary {

bool operator==(const ScrollStitchSession::Outcome& a, const ScrollStitchSession::Outcome& b) {
    if (a.kind_ != b.kind_) {
        return false;
    }
    switch (a.kind_) {
    case ScrollStitchSession::Outcome::Kind::appended:
        return a.placement_ == b.placement_;
    case ScrollStitchSession::Outcome::Kind::rejected:
    case ScrollStitchSession::Outcome::Kind::segmented:
        return a.failure_ == b.failure_;
    case ScrollStitchSession::Outcome::Kind::started:
    case ScrollStitchSession::Outcome::Kind::unchanged:
        return true;
    }
    return true;
}

ScrollStitchSession::ScrollStitchSession(ScrollMatchOptions options, std::int64_t maximumConsecutiveFailures)
    : options_(options), maximumConsecutiveFailures_(maximumConsecutiveFailures) {}

ScrollStitchSession::Outcome ScrollStitchSession::accept(const GrayscaleFrame& frame) {
    const std::int64_t index = nextFrameIndex_++;
    FrameSignature signature(frame, options_.sampleColumns);

    if (!open_) {
        open(index, frame, std::move(signature));
        return Outcome::started();
    }
    if (frame.width() != open_->width || frame.height() != open_->height) {
        closeOpenSegment();
        open(index, frame, std::move(signature));
        consecutiveFailures_ = 0;
        return Outcome::segmented(ScrollMatchFailure::sizeMismatch);
    }

    const ScrollMatchResult result = ScrollMatcher::match(open_->anchor, signature, options_);
    if (const auto* failure = std::get_if<ScrollMatchFailure>(&result)) {
        if (++consecutiveFailures_ < maximumConsecutiveFailures_) {
            return Outcome::rejected(*failure);
        }
        closeOpenSegment();
        open(index, frame, std::move(signature));
        consecutiveFailures_ = 0;
        return Outcome::segmented(*failure);
    }

    const ScrollMatch& match = std::get<ScrollMatch>(result);
    OpenSegment& segment = *open_;
    consecutiveFailures_ = 0;
    // Frames showing the same content say nothing about fixed headers and footers: their 0/0 edges must
    // neither narrow the segment's edges nor spend the one-time trim of the first frame.
    if (!match.sameContent) {
        segment.sticky = segment.sticky ? StickyEdges{std::min(segment.sticky->top, match.sticky.top),
                                                      std::min(segment.sticky->bottom, match.sticky.bottom)}
                                        : match.sticky;
        if (!segment.trimmedFirstFrame) {
            segment.trimmedFirstFrame = true;
            segment.contentTop += segment.sticky->top;
            segment.contentBottom -= segment.sticky->bottom;
        }
    }
    if (segment.direction == 0 && match.offset != 0) {
        segment.direction = match.offset >= 1 ? 1 : -1;
    }
    segment.anchor = std::move(signature);
    segment.anchorTopRow += match.offset;

    if (const std::optional<Placement> placement = appendNewContent(segment, index)) {
        ++acceptedFrameCount_;
        return Outcome::appended(*placement);
    }
    return Outcome::unchanged();
}

std::optional<ScrollStitchSession::Placement> ScrollStitchSession::appendNewContent(OpenSegment& segment,
                                                                                    std::int64_t frameIndex) {
    const StickyEdges sticky = segment.sticky.value_or(StickyEdges::none());
    const std::int64_t frameTop = segment.anchorTopRow;
    const std::int64_t contentStart = frameTop + sticky.top;
    const std::int64_t contentEnd = frameTop + segment.height - sticky.bottom;

    // A sticky edge that later narrows (it first caught rows that were merely unchanged, then a fast
    // scroll) can leave the content bounds beyond this frame's own rows; placements are clamped to the
    // frame's content so that they never name rows outside it.
    std::optional<Placement> placement;
    if (segment.direction >= 0 && contentEnd > segment.contentBottom) {
        const std::int64_t start = std::max(segment.contentBottom, contentStart);
        placement = Placement{frameIndex, start - frameTop, contentEnd - start, start};
        segment.contentBottom = contentEnd;
    } else if (segment.direction <= 0 && contentStart < segment.contentTop) {
        const std::int64_t end = std::min(segment.contentTop, contentEnd);
        placement = Placement{frameIndex, sticky.top, end - contentStart, contentStart};
        segment.contentTop = contentStart;
    }
    if (placement) {
        segment.placements.push_back(*placement);
        segment.placedTop = std::min(segment.placedTop, placement->canvasRow);
        segment.placedBottom = std::max(segment.placedBottom, placement->canvasRow + placement->rowCount);
    }
    return placement;
}

void ScrollStitchSession::open(std::int64_t frameIndex, const GrayscaleFrame& frame,
                               FrameSignature signature) {
    // The whole first frame, header and footer included.
    open_.emplace(frameIndex, frame.width(), frame.height(), std::move(signature));
    ++acceptedFrameCount_;
}

void ScrollStitchSession::closeOpenSegment() {
    if (!open_) {
        return;
    }
    OpenSegment segment = std::move(*open_);
    open_.reset();
    // A segment that never grew beyond its starting frame adds nothing, unless it is all the capture has.
    if (segment.placements.size() < 2 && !finishedSegments_.empty()) {
        return;
    }
    for (Placement& placement : segment.placements) {
        placement.canvasRow -= segment.placedTop;
    }
    finishedSegments_.push_back(
        Segment{std::move(segment.placements), segment.width, segment.placedBottom - segment.placedTop});
}

std::vector<ScrollStitchSession::Segment> ScrollStitchSession::finish() {
    closeOpenSegment();
    return std::exchange(finishedSegments_, {});
}

std::int64_t ScrollStitchSession::currentSegmentHeight() const {
    return open_ ? open_->placedBottom - open_->placedTop : 0;
}

std::int64_t ScrollStitchSession::totalHeight() const {
    std::int64_t total = currentSegmentHeight();
    for (const Segment& segment : finishedSegments_) {
        total += segment.height;
    }
    return total;
}

std::int64_t ScrollStitchSession::segmentCount() const {
    return static_cast<std::int64_t>(finishedSegments_.size()) + (open_ ? 1 : 0);
}

StickyEdges ScrollStitchSession::detectedSticky() const {
    return open_ ? open_->sticky.value_or(StickyEdges::none()) : StickyEdges::none();
}

} // namespace tessary
