#include "Scrolling/ScrollingSelectionFrameWindow.h"

#include "Foundation/Theme.h"

#include <QPainter>
#include <QRegion>

ScrollingSelectionFrameWindow::ScrollingSelectionFrameWindow(const QRect& region)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setObjectName(QStringLiteral("ScrollingSelectionFrameWindow"));
    const QRect frame = region.adjusted(-borderWidth, -borderWidth, borderWidth, borderWidth);
    setGeometry(frame);
    const QRect local(QPoint(0, 0), frame.size());
    setMask(QRegion(local).subtracted(
        QRegion(local.adjusted(borderWidth, borderWidth, -borderWidth, -borderWidth))));
}

void ScrollingSelectionFrameWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::selectionBorder());
}
