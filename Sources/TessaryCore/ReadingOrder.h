#pragma once

#include "TessaryCore/Geometry.h"
#include "TessaryCore/RecognizedLine.h"

#include <string>
#include <vector>

namespace tessary::ReadingOrder {

// Boxes whose vertical centres differ by less than this share of the taller box sit on one line.
inline constexpr double sameLineFactor = 0.6;

// Whether the line in `a` is read before the one in `b` (normalised boxes, y up): on one line,
// the one further left; otherwise the higher one.
bool precedes(const Rect& a, const Rect& b);

// The lines in reading order. Lines neither of which precedes the other keep their order.
std::vector<RecognizedLine> sorted(std::vector<RecognizedLine> lines);

// The texts of the sorted lines joined by single line feeds; no line yields "". Texts are kept
// as they are, empty ones included.
std::string assemble(std::vector<RecognizedLine> lines);

} // namespace tessary::ReadingOrder
