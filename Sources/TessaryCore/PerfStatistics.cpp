#include "TessaryCore/PerfStatistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tessary::PerfStatistics {

double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) {
        return 0;
    }
    const double last = static_cast<double>(sorted.size() - 1);
    const double index = std::clamp(std::round(p * last), 0.0, last);
    return sorted[static_cast<std::size_t>(index)];
}

double mean(const std::vector<double>& values) {
    if (values.empty()) {
        return 0;
    }
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

Point probePoint(long long frame, Size canvas) {
    const double spanX = std::max(canvas.width - 520, 1.0);
    const double spanY = std::max(canvas.height - 520, 1.0);
    const double phase = static_cast<double>(frame % 240) / 240.0;
    const double t = 2 * std::min(phase, 1 - phase);
    return {260 + spanX * t, 260 + spanY * t};
}

} // namespace tessary::PerfStatistics
