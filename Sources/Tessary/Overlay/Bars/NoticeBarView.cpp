#include "Overlay/Bars/NoticeBarView.h"

#include "Foundation/Fonts.h"
#include "Foundation/Theme.h"
#include "TessaryCore/NoticeLayout.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

QFont labelFont() {
    static const QFont font = Fonts::system(13, Fonts::Weight::regular);
    return font;
}

} // namespace

NoticeBarView::NoticeBarView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NoSystemBackground);
    setAccessibleDescription(QStringLiteral("static text"));
    resize(int(tessary::NoticeLayout::minimumWidth), int(barHeight));
}

void NoticeBarView::setText(const QString& text, double maxWidth) {
    using namespace tessary;
    text_ = text;
    setAccessibleName(text);
    setToolTip(text);
    const QFontMetricsF metrics(labelFont());
    const double width = NoticeLayout::barWidth(maxWidth, metrics.horizontalAdvance(text));
    const double labelWidth = width - NoticeLayout::chrome;
    const double labelHeight = std::ceil(std::min(metrics.height(), barHeight));
    labelRect_ = QRectF(NoticeLayout::padding + NoticeLayout::iconWidth + NoticeLayout::iconGap,
                        (barHeight - labelHeight) / 2, labelWidth, labelHeight);
    resize(int(std::ceil(width)), int(barHeight));
    update();
}

QString NoticeBarView::displayedText() const {
    return QFontMetricsF(labelFont()).elidedText(text_, Qt::ElideRight, labelRect_.width());
}

void NoticeBarView::setOnClick(std::function<void()> onClick) {
    onClick_ = std::move(onClick);
    if (onClick_) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
}

void NoticeBarView::setOpacity(double opacity) {
    opacity_ = opacity;
    update();
}

void NoticeBarView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity_);
    // Stand-in for the popover material: the window colour, slightly translucent.
    QColor background = palette().color(QPalette::Window);
    background.setAlphaF(0.94f);
    QPainterPath pill;
    pill.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(pill, background);

    // Info icon: a ring with an "i", in the secondary label colour.
    const QRectF icon(tessary::NoticeLayout::padding, 7.5, tessary::NoticeLayout::iconWidth, 15);
    const QColor iconColor = Theme::secondaryLabelColor();
    painter.setPen(QPen(iconColor, 1.3));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(icon.adjusted(0.65, 0.65, -0.65, -0.65));
    painter.setPen(Qt::NoPen);
    painter.setBrush(iconColor);
    painter.drawEllipse(QPointF(icon.center().x(), icon.top() + 4.4), 0.95, 0.95);
    painter.drawRoundedRect(QRectF(icon.center().x() - 0.75, icon.top() + 6.4, 1.5, 5.2), 0.6, 0.6);

    painter.setFont(labelFont());
    painter.setPen(Theme::labelColor());
    painter.drawText(labelRect_, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, displayedText());
}

void NoticeBarView::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void NoticeBarView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (rect().contains(event->position().toPoint()) && onClick_) {
        // The action may delete this bar: keep a copy.
        const std::function<void()> action = onClick_;
        action();
    }
}
