#pragma once

#include "TessaryCore/FrameSignature.h"
#include "TessaryCore/GrayscaleFrame.h"
#include "TessaryCore/ScrollMatch.h"
#include "TessaryCore/ScrollMatchFailure.h"
#include "TessaryCore/ScrollMatchOptions.h"
#include "TessaryCore/StickyEdges.h"

#include <optional>
#include <variant>

namespace tessary {

using ScrollMatchResult = std::variant<ScrollMatch, ScrollMatchFailure>;

// Finds how far the content moved between two frames of a scrolling capture, and whether that answer can be
// trusted. Pure functions: no state, callable from any thread.
namespace ScrollMatcher {

// Matches two signatures; a failure is a value, never an exception.
ScrollMatchResult match(const FrameSignature& previous, const FrameSignature& current,
                        const ScrollMatchOptions& options = {});

// Matches two grey frames on their signatures built with `options.sampleColumns`.
ScrollMatchResult match(const GrayscaleFrame& previous, const GrayscaleFrame& current,
                        const ScrollMatchOptions& options = {});

// Unchanged rows at the top and bottom, each capped at `maximumStickyFraction` of the height; absent when
// every row is unchanged. Signatures of different sizes share no unchanged rows.
std::optional<StickyEdges> stickyEdges(const FrameSignature& previous, const FrameSignature& current,
                                       const ScrollMatchOptions& options = {});

// Mean absolute sample difference of row y between two signatures of the same size (+∞ otherwise).
double rowDifference(const FrameSignature& previous, const FrameSignature& current, std::int64_t y);

} // namespace ScrollMatcher

} // namespace tessary
