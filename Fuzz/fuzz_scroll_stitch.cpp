// Drives a stitch session with frame sequences scrolled, repeated, resized, partly repainted or replaced
// over a generated page, under options that may be absurd. Besides memory safety it checks that every
// placement names rows of its own frame, that closed segments are shifted to start at row 0 and cover
// exactly their height, that the SIMD and plain difference sums agree, and that the matcher, the overlap
// suggestion and the stacker stay within their documented ranges.
#include "TessaryCore/ByteDifferences.h"
#include "TessaryCore/ScrollMatcher.h"
#include "TessaryCore/ScrollStitchSession.h"
#include "TessaryCore/SegmentAligner.h"
#include "TessaryCore/SegmentStacker.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

using namespace tessary;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what) {
    if (!condition) {
        fail(what);
    }
}

// Reads values from the front of the input; an exhausted input reads as zeros.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return offset_ >= size_; }
    std::uint8_t byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    template <typename T> T value() {
        std::uint8_t bytes[sizeof(T)] = {};
        for (auto& b : bytes) {
            b = byte();
        }
        T result;
        std::memcpy(&result, bytes, sizeof(T));
        return result;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

struct Rng {
    std::uint32_t state;
    std::uint8_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<std::uint8_t>(state >> 24);
    }
};

constexpr std::int64_t pageRows = 1024;

struct Scene {
    std::int64_t width = 1;
    std::vector<std::uint8_t> page; // pageRows × width
    std::vector<std::uint8_t> bars; // 64 × width, header rows from the top, footer rows from the bottom
    std::int64_t header = 0;
    std::int64_t footer = 0;
    std::int64_t visible = 1;
    std::int64_t top = 0;

    std::vector<std::uint8_t> frame() const {
        std::vector<std::uint8_t> pixels(bars.begin(), bars.begin() + header * width);
        const std::int64_t first = std::clamp<std::int64_t>(top, 0, pageRows - visible);
        pixels.insert(pixels.end(), page.begin() + first * width, page.begin() + (first + visible) * width);
        pixels.insert(pixels.end(), bars.end() - footer * width, bars.end());
        return pixels;
    }
};

ScrollMatchOptions readOptions(Reader& in) {
    ScrollMatchOptions options;
    const std::uint8_t raw = in.byte();
    if (raw & 0x01) {
        options.sampleColumns = in.value<std::int64_t>();
    }
    if (raw & 0x02) {
        options.probeRows = in.value<std::int64_t>();
    }
    if (raw & 0x04) {
        options.probeAnchor = in.value<double>();
        options.fallbackProbeAnchor = in.value<double>();
    }
    if (raw & 0x08) {
        options.maximumMeanDifference = in.value<double>();
        options.minimumSeparation = in.value<double>();
    }
    if (raw & 0x10) {
        options.stickyTolerance = in.value<double>();
        options.maximumStickyFraction = in.value<double>();
    }
    if (raw & 0x20) {
        options.minimumActiveRows = in.value<std::int64_t>();
    }
    return options;
}

void fillPage(Scene& scene, Reader& in) {
    Rng rng{in.value<std::uint32_t>() | 1u};
    const std::uint8_t kind = in.byte() % 4;
    const std::int64_t period = 1 + in.byte() % 64;
    scene.page.resize(static_cast<std::size_t>(pageRows * scene.width));
    for (std::int64_t y = 0; y < pageRows; ++y) {
        for (std::int64_t x = 0; x < scene.width; ++x) {
            std::uint8_t value = rng.next();
            if (kind == 1 && y >= period) { // stripes: repetitive content
                value = scene.page[static_cast<std::size_t>((y - period) * scene.width + x)];
            } else if (kind == 2 && (y / 16) % 3 == 0) { // blank bands between "lines"
                value = 240;
            } else if (kind == 3) { // low contrast
                value = static_cast<std::uint8_t>(value % 8);
            }
            scene.page[static_cast<std::size_t>(y * scene.width + x)] = value;
        }
    }
    scene.bars.resize(static_cast<std::size_t>(64 * scene.width));
    for (auto& pixel : scene.bars) {
        pixel = rng.next();
    }
}

void checkSegments(const std::vector<ScrollStitchSession::Segment>& segments,
                   const std::vector<std::int64_t>& frameHeights,
                   const std::vector<std::int64_t>& frameWidths, std::int64_t totalBefore,
                   std::int64_t openBefore) {
    std::int64_t total = 0;
    for (const auto& segment : segments) {
        check(!segment.placements.empty(), "segment without placements");
        std::int64_t lowest = INT64_MAX;
        std::int64_t highest = INT64_MIN;
        for (const auto& p : segment.placements) {
            const auto index = static_cast<std::size_t>(p.frameIndex);
            check(p.frameIndex >= 0 && index < frameHeights.size(), "placement of an unknown frame");
            check(frameWidths[index] == segment.width, "placement of a frame of another width");
            check(p.rowCount >= 1, "empty placement");
            check(p.sourceRow >= 0 && p.sourceRow + p.rowCount <= frameHeights[index],
                  "rows outside the frame");
            lowest = std::min(lowest, p.canvasRow);
            highest = std::max(highest, p.canvasRow + p.rowCount);
        }
        check(lowest == 0, "closed segment not shifted to row 0");
        check(highest == segment.height, "segment height differs from its placements");
        total += segment.height;
    }
    check(total == totalBefore || total == totalBefore - openBefore,
          "total height differs from the segments");
}

void checkStacking(const std::vector<ScrollStitchSession::Segment>& segments, Reader& in) {
    std::vector<std::int64_t> heights;
    std::vector<std::int64_t> overlaps;
    for (const auto& segment : segments) {
        heights.push_back(segment.height);
        overlaps.push_back(static_cast<std::int64_t>(in.value<std::int16_t>()));
    }
    const std::int64_t seam = in.byte() % 32;
    const StackedLayout layout = SegmentStacker::layout(heights, overlaps, seam);
    for (const auto& p : layout.placements) {
        const auto height = heights[static_cast<std::size_t>(p.index)];
        check(p.rowCount >= 1 && p.sourceRow >= 0 && p.sourceRow + p.rowCount <= height,
              "stacked rows outside");
        check(p.canvasRow >= 0 && p.canvasRow + p.rowCount <= layout.height, "stacked rows beyond the image");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    const ScrollMatchOptions options = readOptions(in);
    const std::int64_t maximumFailures = static_cast<std::int8_t>(in.byte()) % 12;

    Scene scene;
    scene.width = 1 + in.byte() % 96;
    fillPage(scene, in);
    scene.header = in.byte() % 64;
    scene.footer = in.byte() % 64;
    scene.visible = 1 + in.byte() % 200;
    scene.top = 600;

    ScrollStitchSession session(options, maximumFailures);
    std::vector<std::int64_t> frameHeights;
    std::vector<std::int64_t> frameWidths;
    std::vector<GrayscaleFrame> recent;
    std::optional<FrameSignature> previousSignature;
    for (int step = 0; step < 32 && !in.empty(); ++step) {
        const std::uint8_t op = in.byte();
        std::vector<std::uint8_t> pixels;
        switch (op % 6) {
        case 0: // scroll
            scene.top = std::clamp<std::int64_t>(scene.top + in.value<std::int16_t>() % 400, 0, pageRows);
            break;
        case 1: // grab the same view again
            break;
        case 2: // window resized
            scene.visible = 1 + in.byte() % 200;
            break;
        case 3: // fixed bars change size
            scene.header = in.byte() % 64;
            scene.footer = in.byte() % 64;
            break;
        default:
            break;
        }
        pixels = scene.frame();
        if (op % 6 == 4) { // part of the view repainted in place
            const std::size_t from = in.value<std::uint16_t>() % pixels.size();
            const std::size_t count =
                std::min<std::size_t>(in.byte() * std::size_t(scene.width), pixels.size() - from);
            for (std::size_t i = from; i < from + count; ++i) {
                pixels[i] = static_cast<std::uint8_t>(pixels[i] ^ 0x5a);
            }
        } else if (op % 6 == 5) { // unrelated content
            Rng rng{op * 2654435761u + 1u};
            for (auto& pixel : pixels) {
                pixel = rng.next();
            }
        }
        const std::int64_t height = scene.header + scene.footer + scene.visible;
        const auto frame = GrayscaleFrame::make(scene.width, height, std::move(pixels));
        check(frame.has_value(), "consistent frame refused");

        const std::int64_t index = session.nextFrameIndex();
        frameHeights.push_back(frame->height());
        frameWidths.push_back(frame->width());
        const auto outcome = session.accept(*frame);
        check(session.nextFrameIndex() == index + 1, "frame index not advanced");
        if (outcome.kind() == ScrollStitchSession::Outcome::Kind::appended) {
            const auto& p = outcome.placement();
            check(p.frameIndex == index, "placement names another frame");
            check(p.rowCount >= 1 && p.sourceRow >= 0 && p.sourceRow + p.rowCount <= frame->height(),
                  "appended rows outside the frame");
        }
        check(session.consecutiveFailures() >= 0, "negative failure count");

        // The direct calls cost as much as the session itself: make them for some frames only.
        const bool direct = (op & 0x60) != 0;
        std::optional<FrameSignature> signature;
        if (direct) {
            signature.emplace(*frame, options.sampleColumns);
        }
        if (!recent.empty() && direct && previousSignature) {
            const GrayscaleFrame& previous = recent.back();
            // The frame overloads build both signatures again.
            const bool onFrames = (op & 0x80) != 0;
            if (op & 0x20) {
                const auto result = onFrames ? ScrollMatcher::match(previous, *frame, options)
                                             : ScrollMatcher::match(*previousSignature, *signature, options);
                if (const auto* match = std::get_if<ScrollMatch>(&result)) {
                    const std::int64_t rows = frame->height();
                    check(match->sticky.top >= 0 && match->sticky.bottom >= 0 &&
                              match->sticky.top + match->sticky.bottom <= rows,
                          "sticky edges outside the frame");
                    check(match->offset > -rows && match->offset < rows, "offset beyond the frame");
                }
            }
            if (op & 0x40) {
                const auto overlap =
                    onFrames ? SegmentAligner::suggestOverlap(previous, *frame, options)
                             : SegmentAligner::suggestOverlap(*previousSignature, *signature, options);
                if (overlap) {
                    check(*overlap >= SegmentAligner::minimumOverlap &&
                              *overlap <= SegmentAligner::maximumOverlap &&
                              *overlap < std::min(previous.height(), frame->height()),
                          "suggested overlap out of range");
                }
            }
        }
        if (!recent.empty()) {
            const GrayscaleFrame& previous = recent.back();
            // A short stretch at a changing offset is enough: unaligned starts and odd lengths are the risk.
            const std::size_t length = std::min(previous.pixels().size(), frame->pixels().size());
            const std::size_t start = static_cast<std::size_t>(op) % length;
            const std::size_t count = std::min<std::size_t>(length - start, 16 + op);
            check(ByteDifferences::sum(previous.pixels().data() + start, frame->pixels().data(), count) ==
                      ByteDifferences::plainSum(previous.pixels().data() + start, frame->pixels().data(),
                                                count),
                  "SIMD and plain sums differ");
            recent.clear();
        }
        recent.push_back(*frame);
        previousSignature = std::move(signature);
    }

    // An open segment that never grew is dropped at closing unless it is the first.
    const std::int64_t total = session.totalHeight();
    const std::int64_t open = session.currentSegmentHeight();
    const auto segments = session.finish();
    checkSegments(segments, frameHeights, frameWidths, total, open);
    check(session.segmentCount() == 0 && session.totalHeight() == 0, "finish left segments behind");
    checkStacking(segments, in);
    return 0;
}
