#include "Scrolling/ScrollingPreviewStripView.h"

#include "TessaryCore/ScrollingPanelLayout.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr double kCornerRadius = 6;
}

ScrollingPreviewStripView::ScrollingPreviewStripView(QWidget* parent) : QWidget(parent) {}

void ScrollingPreviewStripView::append(const QImage& strip) {
    if (strip.isNull()) {
        return;
    }
    if (strips_.isEmpty() && pixelWidth_ == 0) {
        pixelWidth_ = strip.width();
    }
    strips_.append(strip);
    trim();
    update();
}

void ScrollingPreviewStripView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    trim();
}

void ScrollingPreviewStripView::trim() {
    std::vector<std::int64_t> heights;
    heights.reserve(size_t(strips_.size()));
    for (const QImage& strip : std::as_const(strips_)) {
        heights.push_back(strip.height());
    }
    const std::size_t drop =
        tessary::ScrollingPanelLayout::stripsToDrop(heights, pixelWidth_, width(), height());
    strips_.remove(0, qsizetype(drop));
}

void ScrollingPreviewStripView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    painter.setClipPath(clip);
    painter.fillRect(rect(), QColor::fromRgbF(0.16f, 0.16f, 0.16f));
    if (pixelWidth_ < 1) {
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double scale = double(width()) / pixelWidth_;
    double bottom = height();
    for (qsizetype i = strips_.size(); i-- > 0 && bottom > 0;) {
        const double h = strips_[i].height() * scale;
        painter.drawImage(QRectF(0, bottom - h, width(), h), strips_[i]);
        bottom -= h;
    }
}
