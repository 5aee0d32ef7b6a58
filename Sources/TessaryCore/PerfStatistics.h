#pragma once

#include "TessaryCore/Geometry.h"

#include <vector>

namespace tessary {

// Arithmetic of the drawing-performance probe.
namespace PerfStatistics {

// Entry at round(p × (n − 1)) of an ascending list (halves away from zero), clamped; 0 when empty.
double percentile(const std::vector<double>& sortedAscending, double p);
double mean(const std::vector<double>& values);

// Scripted pointer position of frame `k`: a triangle wave with a period of 240 frames from
// (260, 260) across the canvas less a 520-point margin.
Point probePoint(long long frame, Size canvas);

} // namespace PerfStatistics
} // namespace tessary
