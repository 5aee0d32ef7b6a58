#pragma once

#include "TessaryCore/QRCodeObservation.h"

#include <string>
#include <vector>

namespace tessary {

namespace QRCodePayloads {

// Codes whose vertical centres differ by no more than this (in image heights) count as one row.
inline constexpr double rowTolerance = 0.05;

// The distinct text payloads in reading order: rows top first, left to right within a row.
// Codes that are not QR codes or carry no text are skipped; a repeated payload keeps its first place.
std::vector<std::string> payloads(std::vector<QRCodeObservation> observations);

// Normalised, lower-left-origin box of a pixel box given with rows top-down, as `payloads` expects.
// `minX`...`maxX` and `minY`...`maxY` are pixel edges inside an image of `width` x `height`.
Rect normalizedBox(double minX, double minY, double maxX, double maxY, double width, double height);

} // namespace QRCodePayloads

} // namespace tessary
