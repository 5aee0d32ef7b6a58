#include "Overlay/Annotations/AnnotationRenderer.h"

#include "Foundation/Fonts.h"
#include "Foundation/HugePages.h"
#include "Overlay/Annotations/GaussianBlur.h"
#include "Overlay/Canvas/RenderTransform.h"

#include <QBrush>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>

namespace AnnotationRenderer {

namespace {

using tessary::AnnotationWeight;

constexpr std::array<double, 3> stickerSizes{30, 40, 56};
constexpr int textFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs;
// Halos larger than this many device pixels are skipped rather than allocated.
constexpr double largestHaloArea = 64.0 * 1024 * 1024;

std::size_t indexOf(AnnotationWeight weight) {
    return static_cast<std::size_t>(weight);
}

QPointF toQt(tessary::Point p) {
    return {p.x, p.y};
}
QRectF toQt(const tessary::Rect& r) {
    const auto s = r.standardized();
    return {s.x, s.y, s.width, s.height};
}

QColor colorOf(const tessary::AnnotationColor& c) {
    return QColor::fromRgbF(c.red, c.green, c.blue, 1.0);
}

QPainterPath polyline(const std::vector<tessary::Point>& points) {
    QPainterPath path(toQt(points.front()));
    for (std::size_t i = 1; i < points.size(); ++i) {
        path.lineTo(toQt(points[i]));
    }
    return path;
}

// Fonts are resolved once per weight: resolving walks the font database.
const QFont& textFont(AnnotationWeight weight) {
    static const std::array<QFont, 3> fonts = [] {
        std::array<QFont, 3> result;
        for (const auto w : tessary::allAnnotationWeights) {
            result[indexOf(w)] = Fonts::system(tessary::fontSize(w), Fonts::Weight::semibold);
        }
        return result;
    }();
    return fonts[indexOf(weight)];
}

// Switches the painter's model space (y up) to a y-down frame whose origin is the top-left corner of `box`,
// for drawing that only knows y-down: text and images.
void enterTopDownFrame(QPainter& painter, const QRectF& box) {
    painter.translate(box.left(), box.bottom());
    painter.scale(1, -1);
}

double deviceScale(const QPainter& painter) {
    return std::sqrt(std::abs(painter.deviceTransform().determinant()));
}

// Draws the blurred glyphs of `text` laid out in `box` (a y-down frame) in the shadow colour.
void drawHalo(QPainter& painter, const QRectF& box, const QString& text, const TextAttributes& attributes) {
    const double margin = std::ceil(2 * attributes.shadowBlurRadius);
    QRectF area = box.adjusted(-margin, -margin, margin, margin);
    if (painter.hasClipping()) {
        area &= painter.clipBoundingRect().adjusted(-margin, -margin, margin, margin);
    }
    const double scale = deviceScale(painter);
    const double widthPx = std::ceil(area.width() * scale);
    const double heightPx = std::ceil(area.height() * scale);
    if (area.isEmpty() || scale <= 0 || widthPx * heightPx > largestHaloArea) {
        return;
    }
    QImage mask(static_cast<int>(widthPx), static_cast<int>(heightPx), QImage::Format_Alpha8);
    if (mask.isNull()) {
        return;
    }
    mask.fill(0);
    {
        QPainter glyphs(&mask);
        glyphs.setRenderHint(QPainter::TextAntialiasing);
        glyphs.scale(scale, scale);
        glyphs.translate(-area.topLeft() + attributes.shadowOffset);
        glyphs.setFont(attributes.font);
        glyphs.setPen(Qt::black);
        glyphs.drawText(box, textFlags, text);
    }
    // Blur radius as a standard deviation, the way layer shadows are usually specified.
    GaussianBlur::blurSingleChannel(mask, attributes.shadowBlurRadius / 2 * scale);
    QImage halo(mask.size(), QImage::Format_ARGB32_Premultiplied);
    if (halo.isNull()) {
        return;
    }
    const QRgb shadow = attributes.shadowColor.rgb();
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* coverage = mask.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(halo.scanLine(y));
        for (int x = 0; x < mask.width(); ++x) {
            out[x] = qPremultiply(qRgba(qRed(shadow), qGreen(shadow), qBlue(shadow), coverage[x]));
        }
    }
    painter.save();
    painter.setOpacity(painter.opacity() * attributes.shadowColor.alphaF());
    painter.drawImage(QRectF(area.topLeft(), QSizeF(widthPx / scale, heightPx / scale)), halo);
    painter.restore();
}

void drawText(QPainter& painter, const tessary::TextShape& shape, const tessary::AnnotationStyle& style) {
    const QString text = displayText(shape.content);
    const TextAttributes attributes = textAttributes(style);
    const QSizeF size = textSize(text, attributes.font);
    // The origin is the top-left corner of the text box.
    enterTopDownFrame(painter,
                      QRectF(shape.origin.x, shape.origin.y - size.height(), size.width(), size.height()));
    const QRectF box(QPointF(0, 0), size);
    drawHalo(painter, box, text, attributes);
    painter.setFont(attributes.font);
    painter.setPen(attributes.foreground);
    painter.drawText(box, textFlags, text);
}

void drawSticker(QPainter& painter, const tessary::StickerShape& shape, AnnotationWeight weight) {
    const QString emoji = QString::fromStdString(shape.emoji);
    const QFont font = stickerFont(weight);
    const QSizeF size = textSize(emoji, font);
    enterTopDownFrame(painter, QRectF(shape.center.x - size.width() / 2, shape.center.y - size.height() / 2,
                                      size.width(), size.height()));
    painter.setFont(font);
    painter.setPen(Qt::black); // only for glyphs without colours of their own
    painter.drawText(QRectF(QPointF(0, 0), size), textFlags, emoji);
}

void drawMosaic(QPainter& painter, const std::vector<tessary::Point>& points, AnnotationWeight weight,
                const AnnotationRenderContext& context) {
    if (points.size() < 2 || !context.mosaicImage) {
        return;
    }
    const QImage image = context.mosaicImage(weight);
    const QRectF bounds = toQt(context.bounds);
    if (image.isNull() || bounds.isEmpty()) {
        return;
    }
    QPainterPathStroker stroker;
    stroker.setWidth(mosaicBrushWidth(weight));
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setMiterLimit(10);
    QPainterPath outline = stroker.createStroke(polyline(points));
    outline.setFillRule(Qt::WindingFill);
    // The brush lays the whole-display mosaic image over `bounds` (image rows run down from the top), so it
    // lines up with the display underneath; only the brush outline is filled with it. Beyond `bounds` the
    // image would repeat, but nothing is drawn outside the display.
    QBrush brush(image);
    brush.setTransform(QTransform(bounds.width() / image.width(), 0, 0, -bounds.height() / image.height(),
                                  bounds.left(), bounds.bottom()));
    painter.fillPath(outline, brush);
}

} // namespace

QString displayText(const std::string& content) {
    QString text = QString::fromStdString(content);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QSizeF textSize(const QString& text, const QFont& font) {
    return QFontMetricsF(font).size(textFlags, text);
}

double stickerFontSize(AnnotationWeight weight) {
    return stickerSizes.at(indexOf(weight));
}

double mosaicBrushWidth(AnnotationWeight weight) {
    return 1.6 * tessary::mosaicBlockSize(weight);
}

QFont stickerFont(AnnotationWeight weight) {
    static const std::array<QFont, 3> fonts = [] {
        std::array<QFont, 3> result;
        for (const auto w : tessary::allAnnotationWeights) {
            QFont font = Fonts::system(stickerFontSize(w), Fonts::Weight::regular);
            // Colour emoji first; the UI face covers anything else a sticker might hold.
            font.setFamilies({QStringLiteral("Noto Color Emoji"), font.family()});
            result[indexOf(w)] = font;
        }
        return result;
    }();
    return fonts[indexOf(weight)];
}

TextAttributes textAttributes(const tessary::AnnotationStyle& style) {
    TextAttributes attributes;
    attributes.font = textFont(style.weight);
    attributes.foreground = colorOf(style.color);
    attributes.shadowColor = style.color.isLight() ? QColor(0, 0, 0) : QColor(255, 255, 255);
    attributes.shadowColor.setAlphaF(0.65f);
    return attributes;
}

QPainterPath arrowPath(tessary::Point from, tessary::Point to, double lineWidth) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double length = std::max(std::hypot(dx, dy), 0.001);
    const QPointF u(dx / length, dy / length);
    const QPointF n(-u.y(), u.x());
    const double tailHalfWidth = 0.32 * lineWidth;
    const double shaftHalfWidth = 0.8 * lineWidth;
    const double headHalfWidth = 2.3 * lineWidth;
    const double headLength = std::min(5 * lineWidth, 0.4 * length);
    const QPointF start = toQt(from);
    const QPointF tip = toQt(to);
    const QPointF base = tip - u * headLength;

    QPainterPath path(start + n * tailHalfWidth);
    path.lineTo(base + n * shaftHalfWidth);
    path.lineTo(base + n * headHalfWidth);
    path.lineTo(tip);
    path.lineTo(base - n * headHalfWidth);
    path.lineTo(base - n * shaftHalfWidth);
    path.lineTo(start - n * tailHalfWidth);
    path.closeSubpath();
    return path;
}

void draw(QPainter& painter, const tessary::Annotation& annotation, const AnnotationRenderContext& context) {
    const auto& style = annotation.style;
    const QColor color = colorOf(style.color);
    const double width = style.lineWidth();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setBrush(Qt::NoBrush);

    struct Visitor {
        QPainter& painter;
        const AnnotationRenderContext& context;
        const tessary::AnnotationStyle& style;
        QColor color;
        double width;

        void operator()(const tessary::RectangleShape& s) const {
            painter.setPen(QPen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
            painter.drawRect(toQt(s.rect));
        }
        void operator()(const tessary::EllipseShape& s) const {
            painter.setPen(QPen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
            painter.drawEllipse(toQt(s.rect));
        }
        void operator()(const tessary::ArrowShape& s) const {
            painter.fillPath(arrowPath(s.from, s.to, width), color);
        }
        void operator()(const tessary::PenShape& s) const {
            if (s.points.size() < 2) {
                return;
            }
            painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPath(polyline(s.points));
        }
        void operator()(const tessary::MosaicShape& s) const {
            drawMosaic(painter, s.points, style.weight, context);
        }
        void operator()(const tessary::TextShape& s) const { drawText(painter, s, style); }
        void operator()(const tessary::StickerShape& s) const { drawSticker(painter, s, style.weight); }
    };
    std::visit(Visitor{painter, context, style, color, width}, annotation.shape);
    painter.restore();
}

QImage renderOnto(const QImage& crop, const tessary::Rect& selection, double scale,
                  const std::vector<tessary::Annotation>& annotations, const AnnotationRenderContext& context,
                  const std::function<void(QPainter&)>& underlay) {
    // A display-sized copy made on the main thread: its fresh memory must be cheap to fault in.
    QImage out = HugePages::premultipliedCopy(crop);
    if (out.isNull()) {
        return crop;
    }
    // The transform works in pixels; a device pixel ratio would scale everything a second time.
    const qreal ratio = out.devicePixelRatio();
    out.setDevicePixelRatio(1);
    {
        QPainter painter(&out);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setTransform(RenderTransform::modelToTarget(selection, scale, out.height()));
        painter.setClipRect(toQt(selection));
        if (underlay) {
            underlay(painter);
        }
        for (const auto& annotation : annotations) {
            draw(painter, annotation, context);
        }
    }
    out.setDevicePixelRatio(ratio);
    return out;
}

} // namespace AnnotationRenderer
