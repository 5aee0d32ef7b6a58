#include "Scrolling/ScrollFrameConverter.h"

#include "TessaryCore/SegmentStacker.h"

#include <QColorSpace>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>
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

QImage whiteCanvas(int width, std::int64_t height, const QColorSpace& colorSpace) {
    if (width < 1 || height < 1 || height > std::numeric_limits<int>::max()) {
        return {};
    }
    QImage canvas(width, int(height), QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull()) {
        return {};
    }
    canvas.fill(Qt::white);
    if (colorSpace.isValid()) {
        canvas.setColorSpace(colorSpace);
    }
    return canvas;
}

// Draws rows `sourceRow` … of `source` at `canvasRow` of `canvas`, as wide as the canvas. RGB32 is
// premultiplied ARGB32 with opaque alpha, so equal widths are a plain row copy.
void drawRows(QImage& canvas, const QImage& source, std::int64_t sourceRow, std::int64_t rowCount,
              std::int64_t canvasRow) {
    const int first = int(std::max<std::int64_t>(canvasRow, 0));
    const int last = int(std::min<std::int64_t>(canvasRow + rowCount, canvas.height()));
    if (first >= last) {
        return;
    }
    const int from = int(sourceRow + (first - canvasRow));
    const int count = last - first;
    if (source.width() == canvas.width() && isPlainCopyFormat(source.format())) {
        const auto bytes = size_t(canvas.width()) * 4;
        for (int i = 0; i < count; ++i) {
            std::memcpy(canvas.scanLine(first + i), source.constScanLine(from + i), bytes);
        }
        return;
    }
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QRectF(0, first, canvas.width(), count), source,
                      QRectF(0, from, source.width(), count));
}

} // namespace

std::optional<tessary::GrayscaleFrame> grayscale(const QImage& image) {
    const int sourceWidth = image.width();
    const int height = image.height();
    if (image.isNull() || sourceWidth <= 0 || height <= 0) {
        return std::nullopt;
    }
    const int width = std::min(sourceWidth, maximumGrayscaleWidth);

    // Premultiplied pixels are the colour composited over black, as if drawn into a zeroed grey buffer.
    QImage colour = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (width != sourceWidth && !colour.isNull()) {
        // Smooth scaling averages the columns each output column covers; with the height unchanged every
        // row maps to itself.
        colour = colour.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (colour.isNull() || colour.width() != width || colour.height() != height) {
        return std::nullopt;
    }
    if (colour.format() != QImage::Format_ARGB32_Premultiplied) {
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
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const auto& segment = segments[s];
        if (segment.height <= 0) {
            continue;
        }
        QImage canvas = whiteCanvas(pixelWidth, segment.height, colorSpace);
        for (std::size_t p = 0; p < segment.placements.size(); ++p) {
            const auto& placement = segment.placements[p];
            const auto strip = strips.constFind(placement.frameIndex);
            if (strip == strips.constEnd()) {
                continue;
            }
            const std::int64_t d = placement.sourceRow - strip->sourceRow;
            if (!canvas.isNull() && d >= 0 && strip->image.height() >= d + placement.rowCount) {
                drawRows(canvas, strip->image, d, placement.rowCount, placement.canvasRow);
            }
            if (lastUse[placement.frameIndex] == std::pair{s, p}) {
                strips.erase(strip);
            }
        }
        if (!canvas.isNull()) {
            images.append(std::move(canvas));
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
    QImage canvas = whiteCanvas(segments.first().width(), layout.height, colorSpace);
    if (canvas.isNull()) {
        return std::nullopt;
    }
    for (const tessary::SegmentPlacement& placement : layout.placements) {
        if (placement.index < 0 || placement.index >= segments.size()) {
            continue;
        }
        drawRows(canvas, segments[qsizetype(placement.index)], placement.sourceRow, placement.rowCount,
                 placement.canvasRow);
    }
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
