#pragma once

#include "TessaryCore/GrayscaleFrame.h"
#include "TessaryCore/ScrollStitchSession.h"

#include <QHash>
#include <QImage>
#include <QList>

#include <cstdint>
#include <optional>
#include <vector>

class QColorSpace;

// Turns captured colour frames into what the scroll matcher works on.
namespace ScrollFrameConverter {

// Grey frames are at most this many columns wide; rows are never resampled.
inline constexpr int maximumGrayscaleWidth = 256;

// One 8-bit luminance value per pixel (Rec. 601 weights, translucent pixels composited over black), the
// width squeezed to at most 256 columns by area averaging, every row kept, so a row offset found on the
// grey frame is a pixel-row offset of the colour image. Nothing for an empty image or when memory runs out.
std::optional<tessary::GrayscaleFrame> grayscale(const QImage& image);

// The colour rows kept for one frame and the frame row they start at.
struct FrameStrip {
    QImage image;
    std::int64_t sourceRow = 0;
};
using FrameStrips = QHash<std::int64_t, FrameStrip>;

// One white-backed premultiplied ARGB32 image per segment of height > 0, in order, each placement's rows
// cut from its frame's strip and drawn `pixelWidth` wide; placements whose rows the strips do not hold are
// skipped, and a segment whose image cannot be allocated is left out. Each strip is released once its last
// placement is drawn, so the strips and the result are never both whole in memory.
QList<QImage> renderSegments(const std::vector<tessary::ScrollStitchSession::Segment>& segments,
                             FrameStrips&& strips, int pixelWidth, const QColorSpace& colorSpace);

// Seam bands between segments that were not joined are this many rows high.
inline constexpr std::int64_t seamHeight = 14;

// The segment images top to bottom as wide as the first; overlaps[i] hides that many first rows of image
// i + 1 under image i, and a join left at 0 gets a grey band with a dashed line. Nothing for no images or
// when the result cannot be allocated.
std::optional<QImage> stack(const QList<QImage>& segments, const std::vector<std::int64_t>& overlaps,
                            const QColorSpace& colorSpace);

} // namespace ScrollFrameConverter
