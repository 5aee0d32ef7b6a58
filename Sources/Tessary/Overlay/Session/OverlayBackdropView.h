#pragma once

#include "Overlay/Session/CapturedDisplay.h"
#include "TessaryCore/Geometry.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

// The frozen display image with the dimming over it, except for the cut-out. A dimmed copy of the
// image is made once, on a worker thread; from then on every repaint only copies pixels from the
// two images, one invalidated rectangle at a time, so a pointer move never blends the dimming
// again. Never takes the mouse.
class OverlayBackdropView : public QWidget {
    Q_OBJECT
public:
    OverlayBackdropView(const CapturedDisplay& captured, QWidget* parent);

    // Canvas rectangle (y-up points) shown undimmed; none or empty dims everything.
    void setCutout(const std::optional<tessary::Rect>& cutout);
    const std::optional<tessary::Rect>& cutout() const { return cutout_; }

    // Whether the dimmed copy has arrived (before that, repaints blend the dimming themselves).
    bool hasDimmedCopy() const { return !dimmed_.isNull(); }

    // Runs at the start of every repaint (the bottom layer paints first), so a frame can be timed.
    void setPaintObserver(std::function<void()> observer) { paintObserver_ = std::move(observer); }

    // Paints the frozen image and the dimming into `rect` (widget coordinates) by blending the
    // dimming on the spot: the full-redraw path, and the reference the layered path must match.
    static void paintFrozen(QPainter& painter, const QPixmap& pixmap, const QRectF& widgetCutout,
                            const QRect& rect, const QRect& bounds);

    // Image pixels left undimmed by a cut-out (widget points) at `scale` pixels per point: those
    // whose centre lies inside it (on the right or bottom edge counts, on the left or top edge
    // does not), the rule the dimming's non-antialiased fill follows.
    static QRect undimmedPixels(const QRectF& widgetCutout, double scale);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF widgetCutout() const;
    // The dimming outside `cutout` over `target`, blended on the spot.
    static void paintDimming(QPainter& painter, const QRectF& cutout, const QRect& target);

    QImage image_;
    QImage dimmed_;
    double scale_ = 1;
    std::optional<tessary::Rect> cutout_;
    std::function<void()> paintObserver_;
};
