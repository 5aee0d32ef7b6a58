#include "TessaryCore/ScrollMatcher.h"

#include "TessaryCore/ByteDifferences.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace tessary::ScrollMatcher {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Maps any double, NaN included, into 0…1.
double unitInterval(double value) {
    if (!(value > 0.0)) {
        return 0.0;
    }
    return std::min(value, 1.0);
}

bool sameShape(const FrameSignature& a, const FrameSignature& b) {
    return a.rowCount() == b.rowCount() && a.columnCount() == b.columnCount();
}

enum class Attempt { matched, ambiguous, notConfident };

struct Search {
    const FrameSignature& previous;
    const FrameSignature& current;
    const ScrollMatchOptions& options;
    std::int64_t top;    // first active row
    std::int64_t probe;  // probe height in rows
    std::int64_t span;   // candidates are top … top + span
    std::int64_t radius; // exclusion radius around the best candidate

    // Scores every candidate against the probe taken at `anchor`; sums are kept as integers, since dividing
    // them all by the same block size changes neither their order nor their ties.
    Attempt run(double anchor, std::vector<std::uint64_t>& sums, ScrollMatch& match) const {
        const auto probeTop =
            top + static_cast<std::int64_t>(std::round(unitInterval(anchor) * double(span)));
        const std::int64_t columns = previous.columnCount();
        const auto blockLength = static_cast<std::size_t>(probe * columns);
        const std::uint8_t* probeStart = previous.samples().data() + probeTop * columns;
        const std::uint8_t* candidates = current.samples().data();

        sums.resize(static_cast<std::size_t>(span + 1));
        std::int64_t bestIndex = 0;
        for (std::int64_t i = 0; i <= span; ++i) {
            const std::uint64_t sum =
                ByteDifferences::sum(probeStart, candidates + (top + i) * columns, blockLength);
            sums[static_cast<std::size_t>(i)] = sum;
            if (sum < sums[static_cast<std::size_t>(bestIndex)]) {
                bestIndex = i;
            }
        }
        std::uint64_t runnerUpSum = std::numeric_limits<std::uint64_t>::max();
        bool hasRunnerUp = false;
        for (std::int64_t i = 0; i <= span; ++i) {
            if (std::abs(i - bestIndex) > radius) {
                runnerUpSum = std::min(runnerUpSum, sums[static_cast<std::size_t>(i)]);
                hasRunnerUp = true;
            }
        }

        const double samplesPerBlock = double(probe) * double(columns);
        const double best = double(sums[static_cast<std::size_t>(bestIndex)]) / samplesPerBlock;
        const double runnerUp = hasRunnerUp ? double(runnerUpSum) / samplesPerBlock : infinity;
        if (!(best <= options.maximumMeanDifference)) {
            return Attempt::notConfident;
        }
        if (!(runnerUp - best >= options.minimumSeparation)) {
            return Attempt::ambiguous;
        }
        match.offset = probeTop - (top + bestIndex);
        match.meanDifference = best;
        match.runnerUpDifference = runnerUp;
        return Attempt::matched;
    }
};

} // namespace

double rowDifference(const FrameSignature& previous, const FrameSignature& current, std::int64_t y) {
    if (!sameShape(previous, current) || y < 0 || y >= previous.rowCount()) {
        return infinity;
    }
    const std::int64_t columns = previous.columnCount();
    const std::uint64_t sum =
        ByteDifferences::sum(previous.samples().data() + y * columns, current.samples().data() + y * columns,
                             static_cast<std::size_t>(columns));
    return double(sum) / double(columns);
}

std::optional<StickyEdges> stickyEdges(const FrameSignature& previous, const FrameSignature& current,
                                       const ScrollMatchOptions& options) {
    if (!sameShape(previous, current)) {
        return StickyEdges::none();
    }
    const std::int64_t rows = previous.rowCount();
    if (rows == 0) {
        return std::nullopt;
    }
    const auto unchanged = [&](std::int64_t y) {
        return rowDifference(previous, current, y) <= options.stickyTolerance;
    };
    std::int64_t top = 0;
    while (top < rows && unchanged(top)) {
        ++top;
    }
    if (top == rows) {
        return std::nullopt;
    }
    std::int64_t bottom = 0;
    while (bottom < rows - top && unchanged(rows - 1 - bottom)) {
        ++bottom;
    }
    const auto limit = static_cast<std::int64_t>(unitInterval(options.maximumStickyFraction) * double(rows));
    return StickyEdges{std::min(top, limit), std::min(bottom, limit)};
}

ScrollMatchResult match(const FrameSignature& previous, const FrameSignature& current,
                        const ScrollMatchOptions& options) {
    if (!sameShape(previous, current)) {
        return ScrollMatchFailure::sizeMismatch;
    }
    const std::optional<StickyEdges> sticky = stickyEdges(previous, current, options);
    if (!sticky) {
        ScrollMatch same;
        same.sameContent = true;
        return same;
    }

    const std::int64_t rows = previous.rowCount();
    const std::int64_t active = rows - sticky->top - sticky->bottom;
    if (active < options.minimumActiveRows) {
        return ScrollMatchFailure::activeRegionTooSmall;
    }
    const std::int64_t probeLimit = std::max<std::int64_t>(1, options.probeRows);
    const std::int64_t probe =
        active >= 24 ? std::min(probeLimit, active / 3) : std::min<std::int64_t>(probeLimit, 8);
    if (probe >= active) {
        return ScrollMatchFailure::activeRegionTooSmall;
    }

    const Search search{
        previous, current, options, sticky->top, probe, active - probe, std::max<std::int64_t>(probe, 4) / 2};
    std::vector<std::uint64_t> sums;
    bool ambiguous = false;
    for (const double anchor : {options.probeAnchor, options.fallbackProbeAnchor}) {
        ScrollMatch found;
        switch (search.run(anchor, sums, found)) {
        case Attempt::matched:
            found.sticky = *sticky;
            return found;
        case Attempt::ambiguous:
            ambiguous = true;
            break;
        case Attempt::notConfident:
            break;
        }
    }
    return ambiguous ? ScrollMatchFailure::ambiguousOverlap : ScrollMatchFailure::noConfidentOverlap;
}

ScrollMatchResult match(const GrayscaleFrame& previous, const GrayscaleFrame& current,
                        const ScrollMatchOptions& options) {
    if (previous.width() != current.width() || previous.height() != current.height()) {
        return ScrollMatchFailure::sizeMismatch;
    }
    return match(FrameSignature(previous, options.sampleColumns),
                 FrameSignature(current, options.sampleColumns), options);
}

} // namespace tessary::ScrollMatcher
