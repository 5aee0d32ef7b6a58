#pragma once

#include "TessaryCore/Geometry.h"

#include <vector>

namespace tessary::StrayGlyphs {

// Page layout analysis sometimes files a dense CJK character at the start or end of a line as a
// tiny picture block, and that character would be lost with the pictures. Returns `lines` (text
// line boxes) each grown to take in the non-text `blocks` that sit on it: a block no larger than a
// glyph of the line (height at most 1.5 × the line's, width at most 2 × the line's height), with at
// least half its height beside the line and no further from it than one line height. A block
// joins the nearest such line; the others are left out. Any unit, the same on both axes.
std::vector<Rect> attach(std::vector<Rect> lines, const std::vector<Rect>& blocks);

} // namespace tessary::StrayGlyphs
