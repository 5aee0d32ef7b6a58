#include "Scrolling/ScrollFrameConverter.h"

#include "TessaryCore/SegmentStacker.h"

#include <QColorSpace>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <limits>
#include <malloc.h>
#include <unordered_map>
#include <vector>

namespace ScrollFrameConverter {

namespace {

// Rec. 601 luma in 16-bit fixed point; the weights add up to 65536, so white stays 255.
inline std::uint8_t luminance(QRgb pixel) {
    const auto value = 19595u * unsigned(qRed(pixel)) + 38470u * unsigned(qGreen(pixel)) +
                       7471u * unsigned(qBlue(pixel)) + 32768u;
    return static_cast<std::uint8_t>(value >> 16);
}

bool isPlainCopyFormat(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
}

// A premultiplied ARGB32 canvas whose rows are made white only where nothing opaque is copied over them,
// so a long image's pages are touched once, as its rows are drawn.
class Canvas {
public:
    Canvas(int width, std::int64_t height, const QColorSpace& colorSpace) {
        if (width < 1 || height < 1 || height > std::numeric_limits<int>::max()) {
            return;
        }
        image_ = QImage(width, int(height), QImage::Format_ARGB32_Premultiplied);
        if (image_.isNull()) {
            return;
        }
        if (colorSpace.isValid()) {
            image_.setColorSpace(colorSpace);
        }
        covered_.assign(size_t(height), false);
    }

    bool isNull() const { return image_.isNull(); }

    // Draws rows `sourceRow` … of `source` at `canvasRow`, as wide as the canvas. Opaque sources of the
    // same width are a plain row copy; anything else is drawn over white.
    void drawRows(const QImage& source, bool opaque, std::int64_t sourceRow, std::int64_t rowCount,
                  std::int64_t canvasRow) {
        const int first = int(std::max<std::int64_t>(canvasRow, 0));
        const int last = int(std::min<std::int64_t>(canvasRow + rowCount, image_.height()));
        if (first >= last) {
            return;
        }
        const int from = int(sourceRow + (first - canvasRow));
        const int count = last - first;
        if (opaque && source.width() == image_.width() && isPlainCopyFormat(source.format())) {
            const auto bytes = size_t(image_.width()) * 4;
            for (int i = 0; i < count; ++i) {
                std::memcpy(image_.scanLine(first + i), source.constScanLine(from + i), bytes);
                covered_[size_t(first + i)] = true;
            }
            return;
        }
        whiten(first, last);
        QPainter painter(&image_);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(0, first, image_.width(), count), source,
                          QRectF(0, from, source.width(), count));
    }

    // The finished image: rows nothing was drawn on are white.
    QImage take() {
        whiten(0, image_.height());
        covered_.clear();
        return std::move(image_);
    }

    QImage& image() { return image_; }

private:
    void whiten(int first, int last) {
        const auto bytes = size_t(image_.width()) * 4;
        for (int row = first; row < last; ++row) {
            if (!covered_[size_t(row)]) {
                // 0xffffffff is opaque white in premultiplied ARGB32.
                std::memset(image_.scanLine(row), 0xff, bytes);
                covered_[size_t(row)] = true;
            }
        }
    }

    QImage image_;
    std::vector<bool> covered_;
};

// Strips freed while rendering go back to the system in steps of this many bytes, so the strips and the
// long image drawn from them are never both whole in memory.
constexpr qsizetype kReleaseStepBytes = 32 * 1024 * 1024;

} // namespace

std::optional<tessary::GrayscaleFrame> grayscale(const QImage& image) {
    const int sourceWidth = image.width();
    const int height = image.height();
    if (image.isNull() || sourceWidth <= 0 || height <= 0) {
        return std::nullopt;
    }
    const int width = std::min(sourceWidth, maximumGrayscaleWidth);

    // Premultiplied pixels are the colour composited over black, as if drawn into a zeroed grey buffer.
    // RGB32 is premultiplied ARGB32 with opaque alpha: screen grabs are read as they are, without a copy.
    QImage colour = isPlainCopyFormat(image.format())
                        ? image
                        : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (width != sourceWidth && !colour.isNull()) {
        // Smooth scaling averages the columns each output column covers; with the height unchanged every
        // row maps to itself.
        colour = colour.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (colour.isNull() || colour.width() != width || colour.height() != height) {
        return std::nullopt;
    }
    if (!isPlainCopyFormat(colour.format())) {
        colour.convertTo(QImage::Format_ARGB32_Premultiplied);
    }

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    auto* target = pixels.data();
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(colour.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            *target++ = luminance(row[x]);
        }
    }
    return tessary::GrayscaleFrame::make(width, height, std::move(pixels));
}

QList<QImage> renderSegments(const std::vector<tessary::ScrollStitchSession::Segment>& segments,
                             FrameStrips&& strips, int pixelWidth, const QColorSpace& colorSpace) {
    QList<QImage> images;
    if (pixelWidth < 1) {
        strips.clear();
        return images;
    }
    // Where each strip is used for the last time.
    std::unordered_map<std::int64_t, std::pair<std::size_t, std::size_t>> lastUse;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        for (std::size_t p = 0; p < segments[s].placements.size(); ++p) {
            lastUse[segments[s].placements[p].frameIndex] = {s, p};
        }
    }
    qsizetype freed = 0;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const auto& segment = segments[s];
        if (segment.height <= 0) {
            continue;
        }
        Canvas canvas(pixelWidth, segment.height, colorSpace);
        for (std::size_t p = 0; p < segment.placements.size(); ++p) {
            const auto& placement = segment.placements[p];
            const auto strip = strips.constFind(placement.frameIndex);
            if (strip == strips.constEnd()) {
                continue;
            }
            const std::int64_t d = placement.sourceRow - strip->sourceRow;
            if (!canvas.isNull() && d >= 0 && strip->image.height() >= d + placement.rowCount) {
                // Screen grabs are RGB32 and opaque; decoded frames with alpha are drawn over white.
                canvas.drawRows(strip->image, strip->image.format() == QImage::Format_RGB32, d,
                                placement.rowCount, placement.canvasRow);
            }
            if (lastUse[placement.frameIndex] == std::pair{s, p}) {
                freed += strip->image.sizeInBytes();
                strips.erase(strip);
                if (freed >= kReleaseStepBytes) {
                    malloc_trim(0);
                    freed = 0;
                }
            }
        }
        if (!canvas.isNull()) {
            images.append(canvas.take());
        }
    }
    strips.clear();
    return images;
}

std::optional<QImage> stack(const QList<QImage>& segments, const std::vector<std::int64_t>& overlaps,
                            const QColorSpace& colorSpace) {
    if (segments.isEmpty()) {
        return std::nullopt;
    }
    if (segments.size() == 1) {
        return segments.first();
    }
    std::vector<std::int64_t> heights;
    for (const QImage& image : segments) {
        heights.push_back(image.height());
    }
    const tessary::StackedLayout layout = tessary::SegmentStacker::layout(heights, overlaps, seamHeight);
    if (layout.height <= 0) {
        return std::nullopt;
    }
    Canvas stacked(segments.first().width(), layout.height, colorSpace);
    if (stacked.isNull()) {
        return std::nullopt;
    }
    for (const tessary::SegmentPlacement& placement : layout.placements) {
        if (placement.index < 0 || placement.index >= segments.size()) {
            continue;
        }
        // Rendered segments are drawn over white, so they are opaque whatever their format says.
        stacked.drawRows(segments[qsizetype(placement.index)], true, placement.sourceRow, placement.rowCount,
                         placement.canvasRow);
    }
    QImage canvas = stacked.take();
    if (!layout.seamRows.empty()) {
        QPainter painter(&canvas);
        const QColor band = QColor::fromRgbF(0.85f, 0.85f, 0.85f);
        QPen dashes(QColor::fromRgbF(0.25f, 0.25f, 0.25f), 2, Qt::CustomDashLine, Qt::FlatCap);
        // In pen widths: 10 points on, 7 off at width 2.
        dashes.setDashPattern({5.0, 3.5});
        for (const std::int64_t seam : layout.seamRows) {
            painter.fillRect(QRect(0, int(seam), canvas.width(), int(seamHeight)), band);
            painter.setPen(dashes);
            const double middle = double(seam) + 7;
            painter.drawLine(QPointF(0, middle), QPointF(canvas.width(), middle));
        }
    }
    return canvas;
}

} // namespace ScrollFrameConverter
