#include "TessaryCore/ByteDifferences.h"
#include "TessaryCore/FrameSignature.h"
#include "TessaryCore/ScrollMatcher.h"
#include "TessaryCore/ScrollStitchSession.h"
#include "TessaryCore/SegmentAligner.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <random>
#include <stdexcept>
#include <vector>

using namespace tessary;

namespace {

constexpr int repetitions = 10;

// `rows` rows of random texture, `width` wide.
std::vector<std::uint8_t> texture(std::int64_t width, std::int64_t rows, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * rows));
    for (auto& pixel : pixels) {
        pixel = static_cast<std::uint8_t>(random() & 0xff);
    }
    return pixels;
}

// A `rows`-high window onto a textured page, its content starting at page row `top`, with a 60-row header
// and a 40-row footer that never move.
GrayscaleFrame window(const std::vector<std::uint8_t>& page, const std::vector<std::uint8_t>& bars,
                      std::int64_t top, std::int64_t rows) {
    constexpr std::int64_t width = 256;
    std::vector<std::uint8_t> pixels(bars.begin(), bars.begin() + 60 * width);
    pixels.insert(pixels.end(), page.begin() + top * width, page.begin() + (top + rows - 100) * width);
    pixels.insert(pixels.end(), bars.end() - 40 * width, bars.end());
    return *GrayscaleFrame::make(width, rows, std::move(pixels));
}

struct MatchPair {
    FrameSignature previous;
    FrameSignature current;
};

MatchPair pairShiftedBy(std::int64_t shift) {
    const auto page = texture(256, 4000, 1);
    const auto bars = texture(256, 100, 2);
    return {FrameSignature(window(page, bars, 1000, 2000), 64),
            FrameSignature(window(page, bars, 1000 + shift, 2000), 64)};
}

void requireOffset(const ScrollMatchResult& result, std::int64_t offset) {
    const auto* match = std::get_if<ScrollMatch>(&result);
    if (match == nullptr || match->offset != offset) {
        throw std::logic_error("benchmark frames did not match as set up");
    }
}

void BM_FrameSignature_256x2000(benchmark::State& state) {
    const auto frame = *GrayscaleFrame::make(256, 2000, texture(256, 2000, 3));
    for (auto _ : state) {
        FrameSignature signature(frame, 64);
        benchmark::DoNotOptimize(signature.samples().data());
    }
}
BENCHMARK(BM_FrameSignature_256x2000)->Unit(benchmark::kMillisecond)->Repetitions(repetitions);

// The first anchor finds the content 300 rows further down.
void BM_Match2000_FirstAnchor(benchmark::State& state) {
    const MatchPair pair = pairShiftedBy(300);
    requireOffset(ScrollMatcher::match(pair.previous, pair.current), 300);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScrollMatcher::match(pair.previous, pair.current));
    }
}
BENCHMARK(BM_Match2000_FirstAnchor)->Unit(benchmark::kMillisecond)->Repetitions(repetitions);

// Scrolled back 700 rows: the first probe's rows left the window, only the fallback anchor finds them.
void BM_Match2000_BothAnchors(benchmark::State& state) {
    const MatchPair pair = pairShiftedBy(-700);
    requireOffset(ScrollMatcher::match(pair.previous, pair.current), -700);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScrollMatcher::match(pair.previous, pair.current));
    }
}
BENCHMARK(BM_Match2000_BothAnchors)->Unit(benchmark::kMillisecond)->Repetitions(repetitions);

// One anchor's candidate scan (every block of 64 rows × 64 bands against the probe), with a given kernel.
using Kernel = std::uint64_t (*)(const std::uint8_t*, const std::uint8_t*, std::size_t);

std::uint64_t scanCandidates(const MatchPair& pair, Kernel kernel) {
    constexpr std::int64_t probe = 64;
    const std::int64_t columns = pair.previous.columnCount();
    const std::int64_t span = pair.previous.rowCount() - probe;
    const std::uint8_t* probeStart = pair.previous.samples().data() + 1000 * columns;
    std::uint64_t best = UINT64_MAX;
    for (std::int64_t y = 0; y <= span; ++y) {
        best = std::min(best, kernel(probeStart, pair.current.samples().data() + y * columns,
                                     static_cast<std::size_t>(probe * columns)));
    }
    return best;
}

void BM_CandidateScan(benchmark::State& state, Kernel kernel) {
    const MatchPair pair = pairShiftedBy(300);
    for (auto _ : state) {
        benchmark::DoNotOptimize(scanCandidates(pair, kernel));
    }
}
BENCHMARK_CAPTURE(BM_CandidateScan, plain, &ByteDifferences::plainSum)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(repetitions);
BENCHMARK_CAPTURE(BM_CandidateScan, simd, &ByteDifferences::sum)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(repetitions);

// This thread's CPU time: unlike wall time it does not count the time other processes hold the core.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Both kernels back to back in every iteration; the counter is the plain loop's CPU time over the SIMD one.
void BM_CandidateScan_SimdSpeedUp(benchmark::State& state) {
    const MatchPair pair = pairShiftedBy(300);
    double plain = 0.0;
    double simd = 0.0;
    for (auto _ : state) {
        const double start = threadSeconds();
        const auto plainBest = scanCandidates(pair, &ByteDifferences::plainSum);
        const double middle = threadSeconds();
        const auto simdBest = scanCandidates(pair, &ByteDifferences::sum);
        const double end = threadSeconds();
        if (plainBest != simdBest) {
            state.SkipWithError("kernels disagree");
            break;
        }
        plain += middle - start;
        simd += end - middle;
    }
    state.counters["speedUp"] = plain / simd;
    state.SetLabel(ByteDifferences::usesSimd() ? "SSE2" : "portable fallback");
}
BENCHMARK(BM_CandidateScan_SimdSpeedUp)->Unit(benchmark::kMillisecond)->Repetitions(repetitions);

// Two 400-row crops sharing their last and first 120 rows.
void BM_SuggestOverlap_400(benchmark::State& state) {
    const auto page = texture(256, 680, 4);
    const auto upper = *GrayscaleFrame::make(256, 400, {page.begin(), page.begin() + 400 * 256});
    const auto lower = *GrayscaleFrame::make(256, 400, {page.begin() + 280 * 256, page.end()});
    const FrameSignature previous(upper, 64);
    const FrameSignature current(lower, 64);
    if (SegmentAligner::suggestOverlap(previous, current) != 120) {
        state.SkipWithError("crops did not align as set up");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(SegmentAligner::suggestOverlap(previous, current));
    }
}
BENCHMARK(BM_SuggestOverlap_400)->Unit(benchmark::kMillisecond)->Repetitions(repetitions);

// A whole capture: 300 frames of 256 × 1200, scrolled 20 to 59 rows at a time, every one accepted.
void BM_Session_300Frames_1200Rows(benchmark::State& state) {
    std::mt19937 random(5);
    const auto page = texture(256, 1200 + 300 * 60, 6);
    const auto bars = texture(256, 100, 7);
    std::vector<GrayscaleFrame> frames;
    std::int64_t top = 0;
    for (int i = 0; i < 300; ++i) {
        frames.push_back(window(page, bars, top, 1200));
        top += 20 + static_cast<std::int64_t>(random() % 40);
    }
    for (auto _ : state) {
        ScrollStitchSession session;
        for (const auto& frame : frames) {
            benchmark::DoNotOptimize(session.accept(frame));
        }
        if (session.acceptedFrameCount() != 300 || session.segmentCount() != 1) {
            state.SkipWithError("frames were not all accepted into one segment");
            break;
        }
        benchmark::DoNotOptimize(session.finish());
    }
}
BENCHMARK(BM_Session_300Frames_1200Rows)->Unit(benchmark::kMillisecond)->Repetitions(repetitions);

} // namespace
