#pragma once

#include "TessaryCore/Geometry.h"

#include <optional>

// The box of a recognised line as a typesetter needs it. Recognisers report a line's ink, whose
// height depends on its letters ("Show" ends at the baseline, "login" goes below it), so lines of
// one size would come out in different sizes. From the baseline the box is rebuilt to the same
// proportions for every line of a size.
namespace tessary::LineMetrics {

// The share of an em from the top of capitals and ascenders (and of CJK ideographs, roughly) to the baseline.
inline constexpr double ascentPerEm = 0.75;
// The rebuilt box reaches this far above and below the baseline, in ems.
inline constexpr double boxAbove = 0.8;
inline constexpr double boxBelow = 0.25;

// `ink` (pixels, top-left origin, rows top-down) rebuilt around `baseline` (a row); `ink` as it is
// without a baseline, or with one outside it. The result always holds the ink.
Rect typographicBox(const Rect& ink, std::optional<double> baseline);

} // namespace tessary::LineMetrics
