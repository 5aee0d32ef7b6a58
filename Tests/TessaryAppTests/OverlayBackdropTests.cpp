#include "Foundation/CoordinateSpace.h"
#include "Overlay/Session/OverlayBackdropView.h"
#include "Overlay/Session/OverlayGuideView.h"
#include "OverlayTestSupport.h"

#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

const QColor untouched(255, 0, 255);

QImage blank(QSize points, double scale) {
    QImage image(QSize(int(points.width() * scale), int(points.height() * scale)), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(untouched);
    return image;
}

// What the backdrop shows for `region`, painted the way the full-redraw path does it.
QImage reference(const CapturedDisplay& display, const std::optional<QRectF>& cutout, const QRegion& region) {
    const QSize points = display.geometry.size();
    QImage out = blank(points, display.scale);
    QPixmap pixmap = QPixmap::fromImage(display.image);
    pixmap.setDevicePixelRatio(display.scale);
    QPainter painter(&out);
    for (const QRect& rect : region) {
        OverlayBackdropView::paintFrozen(painter, pixmap, cutout.value_or(QRectF()), rect,
                                         QRect(QPoint(), points));
    }
    return out;
}

QImage layered(OverlayBackdropView& view, const QRegion& region, double scale) {
    QImage out = blank(view.size(), scale);
    view.render(&out, QPoint(), region, QWidget::RenderFlags());
    return out;
}

int differingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y);
        }
    }
    return count;
}

} // namespace

TEST(OverlayBackdrop, LayeredRepaintsMatchTheFullRedrawPixelForPixel) {
    const QSize points(160, 100);
    const std::vector<std::optional<QRectF>> cutouts = {
        std::nullopt,
        QRectF(40, 20, 60, 50),          // whole points
        QRectF(10.3, 20.6, 50.5, 33.25), // fractional edges
        QRectF(10.5, 7.5, 21, 13),       // edges on pixel centres at scale 1
        QRectF(-10, -5, 60, 40),         // reaches past the display
        QRectF(150.2, 90.7, 30, 30),     // mostly outside
        QRectF(5.2, 5.2, 0.4, 0.4),      // smaller than a pixel
    };
    const std::vector<QRegion> regions = {
        QRegion(0, 0, points.width(), points.height()),
        // Thin bands like a crosshair's, plus a label-sized box.
        QRegion(0, 44, 160, 3) + QRegion(79, 0, 3, 100) + QRegion(90, 60, 50, 20),
    };
    for (double scale : {1.0, 2.0}) {
        const CapturedDisplay display = OverlayTest::patternDisplay(points, scale);
        for (const auto& cutout : cutouts) {
            OverlayBackdropView view(display, nullptr);
            view.resize(points);
            if (cutout) {
                view.setCutout(CoordinateSpace::fromWidget(*cutout, points.height()));
            }
            // Repaints before the dimmed copy arrives blend the dimming; later ones copy it. Both
            // must show the same pixels.
            for (bool waitForCopy : {false, true}) {
                if (waitForCopy) {
                    ASSERT_TRUE(OverlayTest::spinUntil([&] { return view.hasDimmedCopy(); }));
                }
                for (const QRegion& region : regions) {
                    const QRectF shown = cutout.value_or(QRectF());
                    EXPECT_EQ(
                        differingPixels(layered(view, region, scale), reference(display, cutout, region)), 0)
                        << "scale " << scale << " cutout " << shown.x() << "," << shown.y() << " "
                        << shown.width() << "x" << shown.height() << " region of " << region.rectCount()
                        << " rects, dimmed copy " << view.hasDimmedCopy();
                }
            }
        }
    }
}

TEST(OverlayBackdrop, UndimmedPixelsAreThoseWithTheirCentreInside) {
    const struct {
        QRectF cutout;
        double scale;
        QRect expected;
    } cases[] = {
        {QRectF(10, 20, 30, 40), 1, QRect(10, 20, 30, 40)},
        {QRectF(10, 20, 30, 40), 2, QRect(20, 40, 60, 80)},
        {QRectF(10.4, 0.6, 5.2, 2), 1, QRect(10, 1, 6, 2)}, // 10.5 and 15.5 are inside, 16.5 not
        {QRectF(10.5, 0.5, 1, 1), 1, QRect(11, 1, 1, 1)},   // centres on the far edges count, near ones not
        {QRectF(10.75, 0, 0.5, 1), 1, QRect()},             // no centre inside
        {QRectF(3.3, 3.3, 1, 1), 2, QRect(7, 7, 2, 2)},     // 6.6 … 8.6 holds 7.5 and 8.5
        {QRectF(), 1, QRect()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OverlayBackdropView::undimmedPixels(c.cutout, c.scale), c.expected)
            << c.cutout.x() << "," << c.cutout.y() << " at " << c.scale;
    }
}

TEST(OverlayGuide, ARepaintOfSomeBandsDrawsWhatAFullRepaintDrawsThere) {
    const QSize size(300, 200);
    OverlayGuideView guide(nullptr);
    guide.resize(size);
    const struct {
        tessary::Point crosshair;
        std::optional<tessary::Rect> border;
    } cases[] = {
        {{150, 100}, std::nullopt},
        {{20.25, 180.75}, tessary::Rect{30.5, 40.25, 100, 60}}, // fractional, lines cut by the edges
        {{299, 1}, tessary::Rect{0, 0, 300, 200}},
    };
    for (const auto& c : cases) {
        guide.setCrosshair(c.crosshair);
        guide.showWindowBorder(c.border);
        const QPointF centre = CoordinateSpace::toWidget(c.crosshair, size.height());
        // Bands through the lines and one away from them, as pointer moves invalidate them.
        const QRegion region = QRegion(0, int(centre.y()) - 2, size.width(), 5) +
                               QRegion(int(centre.x()) - 2, 0, 5, size.height()) + QRegion(5, 5, 40, 30);
        QImage full(size, QImage::Format_ARGB32_Premultiplied);
        full.fill(Qt::transparent);
        guide.render(&full, QPoint(), QRegion(QRect(QPoint(), size)), QWidget::RenderFlags());
        QImage part(size, QImage::Format_ARGB32_Premultiplied);
        part.fill(Qt::transparent);
        guide.render(&part, QPoint(), region, QWidget::RenderFlags());
        int drawn = 0;
        int differing = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QRgb expected = region.contains(QPoint(x, y)) ? full.pixel(x, y) : 0;
                differing += part.pixel(x, y) != expected;
                drawn += qAlpha(part.pixel(x, y)) != 0;
            }
        }
        EXPECT_EQ(differing, 0) << c.crosshair.x << "," << c.crosshair.y;
        EXPECT_GT(drawn, 0);
    }
}
