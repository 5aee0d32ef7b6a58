#pragma once

#include "TessaryCore/GrayscaleFrame.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessary {

// Per-row band averages of a grey frame: every row is kept, the width shrinks to at most `sampleColumns`
// bands, so a row offset found on signatures is a pixel-row offset of the captured frame.
class FrameSignature {
public:
    // At most `sampleColumns` bands (one band when it is 0 or less, one per column on narrow frames).
    FrameSignature(const GrayscaleFrame& frame, std::int64_t sampleColumns);

    std::int64_t rowCount() const { return rowCount_; }
    std::int64_t columnCount() const { return columnCount_; }
    // Row-major: sample of band k in row y at y × columnCount + k.
    const std::vector<std::uint8_t>& samples() const { return samples_; }

    // Samples of row y; a row outside the signature gives an empty span.
    std::span<const std::uint8_t> row(std::int64_t y) const;

    friend bool operator==(const FrameSignature&, const FrameSignature&) = default;

private:
    std::int64_t rowCount_;
    std::int64_t columnCount_;
    std::vector<std::uint8_t> samples_;
};

} // namespace tessary
