#include "TessaryCore/SegmentAligner.h"

#include "TessaryCore/ByteDifferences.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

namespace tessary::SegmentAligner {

namespace {

// Overlaps closer than this to the best one count as the same answer.
constexpr std::int64_t separationRadius = 12;

} // namespace

std::optional<std::int64_t> suggestOverlap(const FrameSignature& previous, const FrameSignature& current,
                                           const ScrollMatchOptions& options) {
    const std::int64_t columns = previous.columnCount();
    if (columns != current.columnCount()) {
        return std::nullopt;
    }
    const std::int64_t largest =
        std::min(std::min(previous.rowCount(), current.rowCount()) - 1, maximumOverlap);
    if (largest < minimumOverlap) {
        return std::nullopt;
    }

    // Scores as double, like the matcher: overlaps differ in size, so integer sums do not compare directly.
    std::vector<double> scores(static_cast<std::size_t>(largest - minimumOverlap + 1));
    std::int64_t bestOverlap = minimumOverlap;
    double best = std::numeric_limits<double>::infinity();
    for (std::int64_t overlap = minimumOverlap; overlap <= largest; ++overlap) {
        const std::uint64_t sum =
            ByteDifferences::sum(previous.samples().data() + (previous.rowCount() - overlap) * columns,
                                 current.samples().data(), static_cast<std::size_t>(overlap * columns));
        const double score = double(sum) / (double(overlap) * double(columns));
        scores[static_cast<std::size_t>(overlap - minimumOverlap)] = score;
        if (score < best) {
            best = score;
            bestOverlap = overlap;
        }
    }
    double runnerUp = std::numeric_limits<double>::infinity();
    for (std::int64_t overlap = minimumOverlap; overlap <= largest; ++overlap) {
        if (std::abs(overlap - bestOverlap) > separationRadius) {
            runnerUp = std::min(runnerUp, scores[static_cast<std::size_t>(overlap - minimumOverlap)]);
        }
    }
    if (best <= options.maximumMeanDifference && runnerUp - best >= options.minimumSeparation) {
        return bestOverlap;
    }
    return std::nullopt;
}

std::optional<std::int64_t> suggestOverlap(const GrayscaleFrame& previous, const GrayscaleFrame& current,
                                           const ScrollMatchOptions& options) {
    if (previous.width() != current.width()) {
        return std::nullopt;
    }
    return suggestOverlap(FrameSignature(previous, options.sampleColumns),
                          FrameSignature(current, options.sampleColumns), options);
}

} // namespace tessary::SegmentAligner
