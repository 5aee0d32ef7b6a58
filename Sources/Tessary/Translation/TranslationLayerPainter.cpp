#include "Translation/TranslationLayerPainter.h"

#include "Translation/Typesetter.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

namespace TranslationLayerPainter {

namespace {

QColor qColor(const tessary::RgbColor& color) {
    return QColor::fromRgbF(float(color.red), float(color.green), float(color.blue));
}

// A canvas rectangle in the area's own top-down points.
QRectF local(const tessary::Rect& rect, const tessary::Rect& area) {
    return QRectF(rect.minX() - area.minX(), area.maxY() - rect.maxY(), rect.maxX() - rect.minX(),
                  rect.maxY() - rect.minY());
}

} // namespace

void paint(QPainter& painter, const TypesetTranslation& translation, const tessary::Rect& area, double scale,
           const tessary::Rect& clip, bool drawText) {
    if (translation.isEmpty()) {
        return;
    }
    painter.save();
    painter.scale(scale, scale);
    painter.setClipRect(local(clip, area), Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const tessary::TranslationBlockLayout& layout : translation.layouts) {
        const QRectF cover = local(layout.coverRect, area);
        const double radius = layout.cornerRadius();
        painter.setPen(Qt::NoPen);
        painter.setBrush(qColor(layout.backgroundColor));
        painter.drawRoundedRect(cover, radius, radius);
        if (!drawText) {
            continue;
        }
        const QRectF textRect = local(layout.textRect(), area);
        const std::unique_ptr<QTextLayout> text =
            Typesetter::layoutText(QString::fromStdString(layout.block.translatedText),
                                   Typesetter::font(layout.fontSize, translation.targetLanguage),
                                   textRect.width(), layout.alignment);
        painter.save();
        // Text that does not fit even at the smallest size is cut at the patch.
        painter.setClipRect(cover, Qt::IntersectClip);
        painter.setPen(qColor(layout.textColor));
        text->draw(&painter, textRect.topLeft());
        painter.restore();
    }
    painter.restore();
}

QImage rendered(const QImage& crop, const TypesetTranslation& translation, const tessary::Rect& selection,
                double scale) {
    if (crop.isNull() || translation.isEmpty()) {
        return crop;
    }
    QImage image = crop.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return crop;
    }
    QPainter painter(&image);
    paint(painter, translation, selection, scale > 0 ? scale : 1, selection);
    painter.end();
    return image;
}

} // namespace TranslationLayerPainter
