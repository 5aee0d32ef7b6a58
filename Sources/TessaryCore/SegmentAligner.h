#pragma once

#include "TessaryCore/FrameSignature.h"
#include "TessaryCore/GrayscaleFrame.h"
#include "TessaryCore/ScrollMatchOptions.h"

#include <cstdint>
#include <optional>

namespace tessary::SegmentAligner {

inline constexpr std::int64_t minimumOverlap = 24;
inline constexpr std::int64_t maximumOverlap = 400;

// Suggests how many rows the end of `previous` (the upper segment) and the start of `current` (the lower
// one) have in common, when one overlap matches clearly better than every overlap more than 12 rows away.
std::optional<std::int64_t> suggestOverlap(const FrameSignature& previous, const FrameSignature& current,
                                           const ScrollMatchOptions& options = {});

// The same on grey frames, compared on signatures built with `options.sampleColumns`; frames of different
// widths give no suggestion.
std::optional<std::int64_t> suggestOverlap(const GrayscaleFrame& previous, const GrayscaleFrame& current,
                                           const ScrollMatchOptions& options = {});

} // namespace tessary::SegmentAligner
