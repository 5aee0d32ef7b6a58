#include "Scrolling/SegmentJoinPreviewView.h"

#include "TessaryCore/SegmentJoinState.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

SegmentJoinPreviewView::SegmentJoinPreviewView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::SizeVerCursor);
}

void SegmentJoinPreviewView::setImages(const QImage& upper, const QImage& lower) {
    upper_ = upper;
    lower_ = lower;
    update();
}

void SegmentJoinPreviewView::setOverlap(std::int64_t overlap) {
    overlap = std::max<std::int64_t>(overlap, 0);
    if (overlap == overlap_) {
        return;
    }
    overlap_ = overlap;
    update();
    if (onOverlapChange) {
        onOverlapChange(overlap_);
    }
}

double SegmentJoinPreviewView::scale() const {
    return upper_.width() > 0 ? double(width()) / upper_.width() : 1.0;
}

void SegmentJoinPreviewView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath corners;
    corners.addRoundedRect(QRectF(rect()), 6, 6);
    painter.setClipPath(corners);
    painter.fillRect(rect(), QColor::fromRgbF(0.14f, 0.14f, 0.14f));
    if (upper_.isNull() || lower_.isNull()) {
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double s = scale();
    const double w = width();
    const double m = std::round(height() * 0.5);
    painter.save();
    painter.setClipRect(QRectF(0, 0, w, m), Qt::IntersectClip);
    const double upperHeight = s * upper_.height();
    painter.drawImage(QRectF(0, m - upperHeight, w, upperHeight), upper_);
    painter.restore();
    painter.save();
    painter.setClipRect(QRectF(0, m, w, height() - m), Qt::IntersectClip);
    painter.drawImage(QRectF(0, m - s * double(overlap_), w, s * lower_.height()), lower_);
    painter.restore();

    const QColor marker(255, 255, 255, 230);
    painter.setPen(Qt::NoPen);
    painter.setBrush(marker);
    painter.drawPolygon(QPolygonF({QPointF(0, m - 6), QPointF(11, m), QPointF(0, m + 6)}));
    painter.drawPolygon(QPolygonF({QPointF(w, m - 6), QPointF(w - 11, m), QPointF(w, m + 6)}));
    painter.setPen(QPen(marker, 1));
    painter.drawLine(QPointF(11, m), QPointF(34, m));
    painter.drawLine(QPointF(w - 11, m), QPointF(w - 34, m));
}

void SegmentJoinPreviewView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    dragStartPoint_ = event->position();
    dragStartOverlap_ = overlap_;
}

void SegmentJoinPreviewView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragStartPoint_) {
        return;
    }
    setOverlap(tessary::SegmentJoinState::afterDrag(dragStartOverlap_,
                                                    event->position().y() - dragStartPoint_->y(), scale()));
}

void SegmentJoinPreviewView::mouseReleaseEvent(QMouseEvent*) {
    dragStartPoint_.reset();
}

void SegmentJoinPreviewView::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        setOverlap(tessary::SegmentJoinState::afterArrow(overlap_, event->key() == Qt::Key_Up, shift));
        return;
    }
    QWidget::keyPressEvent(event);
}
