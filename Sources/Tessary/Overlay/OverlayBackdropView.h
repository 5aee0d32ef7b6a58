#pragma once

#include "Overlay/CapturedDisplay.h"
#include "TessaryCore/Geometry.h"

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <optional>

// The frozen display image with the dimming over it, except for the cut-out. The image is
// converted to a pixmap once; repaints only copy the invalidated part of it. Never takes the mouse.
class OverlayBackdropView : public QWidget {
    Q_OBJECT
public:
    OverlayBackdropView(const CapturedDisplay& captured, QWidget* parent);

    // Canvas rectangle (y-up points) shown undimmed; none or empty dims everything.
    void setCutout(const std::optional<tessary::Rect>& cutout);
    const std::optional<tessary::Rect>& cutout() const { return cutout_; }

    const QPixmap& pixmap() const { return pixmap_; }

    // Runs at the start of every repaint (the bottom layer paints first), so a frame can be timed.
    void setPaintObserver(std::function<void()> observer) { paintObserver_ = std::move(observer); }

    // Paints the frozen image and the dimming into `rect` (widget coordinates).
    static void paintFrozen(QPainter& painter, const QPixmap& pixmap, const QRectF& widgetCutout,
                            const QRect& rect, const QRect& bounds);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF widgetCutout() const;

    QPixmap pixmap_;
    std::optional<tessary::Rect> cutout_;
    std::function<void()> paintObserver_;
};
