#include "OverlayTestSupport.h"

#include "Foundation/Theme.h"
#include "Overlay/Canvas/MagnifierImage.h"
#include "Overlay/Canvas/OverlaySprite.h"
#include "Overlay/Session/OverlayWindow.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace OverlayTest;

namespace {

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

// `color` laid over an opaque `under`, as source-over blending gives it.
QRgb over(const QColor& color, QRgb under) {
    const double a = color.alphaF();
    const auto mix = [a](int top, int bottom) { return int(std::lround(top * a + bottom * (1 - a))); };
    return qRgb(mix(color.red(), qRed(under)), mix(color.green(), qGreen(under)),
                mix(color.blue(), qBlue(under)));
}

} // namespace

TEST(MagnifierImage, ShowsEachSamplePixelAsAFlatBlockInsideTheRoundedOutline) {
    const QImage source = FakeDisplayCapture::patternImage(QSize(64, 48));
    const struct {
        double scale;
        QRectF rect;
        tessary::PixelRect sample;
    } cases[] = {
        {1, QRectF(20, 30, 132, 132), {10, 5, 13, 13}},
        {2, QRectF(20.5, 30, 132, 132), {40, 30, 13, 13}},
        {1.5, QRectF(7, 11, 132, 132), {0, 0, 13, 13}},
        {1, QRectF(0, 0, 132, 132), {0, 0, 5, 5}}, // a capture smaller than the usual sample
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale << ", sample " << c.sample.width);
        MagnifierImage magnifier;
        OverlaySprite sprite;
        magnifier.compose(sprite, c.rect, c.scale, source, c.sample);
        const QImage& image = sprite.image();
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.devicePixelRatio(), c.scale);
        // The sprite sits on whole device pixels and covers the rectangle with room for the outline.
        const QPointF origin = sprite.origin() * c.scale;
        EXPECT_DOUBLE_EQ(origin.x(), std::round(origin.x()));
        EXPECT_DOUBLE_EQ(origin.y(), std::round(origin.y()));
        const QPointF inset = c.rect.topLeft() * c.scale - origin;
        EXPECT_GE(inset.x(), 0.5);
        EXPECT_GE(inset.y(), 0.5);

        const double block = c.rect.width() * c.scale / c.sample.width;
        int checked = 0;
        for (int by = 0; by < c.sample.height; ++by) {
            for (int bx = 0; bx < c.sample.width; ++bx) {
                // A quarter into the block: clear of the centre cross, which runs through the middle block.
                const QPoint at((inset + QPointF((bx + 0.25) * block, (by + 0.25) * block)).toPoint());
                if ((bx == 0 || bx == c.sample.width - 1) && (by == 0 || by == c.sample.height - 1)) {
                    continue; // corner blocks are partly cut away by the rounded outline
                }
                if (bx == 0 || by == 0) {
                    continue; // the outline's stroke lies over the first quarter of the edge blocks
                }
                EXPECT_EQ(image.pixel(at), source.pixel(c.sample.x + bx, c.sample.y + by))
                    << "block " << bx << ", " << by;
                ++checked;
            }
        }
        EXPECT_GT(checked, 0);
        // The rectangle's own corner lies outside the rounded outline.
        const QPoint corner = (inset + QPointF(1, 1)).toPoint();
        EXPECT_EQ(qAlpha(image.pixel(corner)), 0);
        // The cross through the middle is in the selection colour (at scale 1 its 1.5-point width
        // covers two pixels by three quarters each).
        const QPoint middle = (inset + QPointF(c.rect.width() * c.scale / 2, block * 0.25)).toPoint();
        int nearest = 255;
        for (int dx = -1; dx <= 1; ++dx) {
            nearest = std::min(nearest, channelDistance(image.pixel(middle + QPoint(dx, 0)),
                                                        Theme::selectionBorder().rgba()));
        }
        EXPECT_LE(nearest, 70);
    }
}

TEST(MagnifierImage, ReadsCapturesInOtherPixelFormats) {
    QImage source = FakeDisplayCapture::patternImage(QSize(40, 40));
    // Unused bytes of 32-bit RGB are zero in an X server's image: the magnifier must still be opaque.
    QImage padded = source.copy();
    for (int y = 0; y < padded.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(padded.scanLine(y));
        for (int x = 0; x < padded.width(); ++x) {
            row[x] &= 0x00ffffffu;
        }
    }
    for (const QImage& input : {padded, source.convertToFormat(QImage::Format_RGB888),
                                source.convertToFormat(QImage::Format_ARGB32)}) {
        SCOPED_TRACE(testing::Message() << "format " << int(input.format()));
        MagnifierImage magnifier;
        OverlaySprite sprite;
        magnifier.compose(sprite, QRectF(0, 0, 132, 132), 1, input, {10, 10, 13, 13});
        // A quarter into block (8, 8), past the one-pixel margin for the outline.
        const int at = int(8.25 * 132 / 13) + 1;
        const QRgb shown = sprite.image().pixel(at, at);
        EXPECT_EQ(qAlpha(shown), 255);
        EXPECT_EQ(shown, source.pixel(10 + 8, 10 + 8));
    }
}

TEST(OverlaySprite, CopiesOnlyInsideTheRegionAndKeepsItsPixelsAcrossFrames) {
    OverlaySprite sprite;
    const QImage plate = OverlaySprite::roundedPlate(QSizeF(40, 20), 1, 5, Qt::red);
    sprite.begin(QRectF(10.6, 20.2, 40, 20), 1, plate);
    EXPECT_EQ(sprite.origin(), QPointF(10, 20));
    EXPECT_EQ(sprite.image().pixel(20, 10), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(sprite.image().pixel(0, 0)), 0); // outside the rounded corner

    QImage target(100, 60, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    sprite.paint(painter, QRegion(0, 0, 100, 25) + QRegion(40, 25, 60, 35));
    painter.end();
    EXPECT_EQ(target.pixel(30, 24), qRgb(255, 0, 0)); // inside the first rectangle
    EXPECT_EQ(target.pixel(30, 30), qRgb(0, 0, 0));   // sprite there, but outside the region
    EXPECT_EQ(target.pixel(45, 30), qRgb(255, 0, 0)); // inside the second rectangle
    EXPECT_EQ(target.pixel(60, 30), qRgb(0, 0, 0));   // region there, but no sprite

    // A frame without a plate of its size starts transparent, not with the last frame's pixels.
    sprite.begin(QRectF(10, 20, 40, 20), 1);
    EXPECT_EQ(qAlpha(sprite.image().pixel(20, 10)), 0);
}

TEST(SelectionCanvas, LoupeAndPanelAppearAroundThePointer) {
    RecordingDelegate delegate;
    OverlayWindow window(patternDisplay({800, 600}, 1), {}, {false, 0});
    SelectionCanvasView* canvas = window.canvas();
    canvas->setDelegate(&delegate);
    window.show();
    spin(50);
    canvas->showPreSelectionLoupe(std::nullopt);
    const tessary::Point pointer{300, 400};
    mouse(canvas, QEvent::MouseMove, pointer, Qt::NoButton);
    spin(30);
    const auto layout = canvas->colorPickerLayout(pointer);
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage& source = canvas->captured().image;

    // The block right of the middle one shows the pixel right of the one under the pointer.
    const QRectF magnifier = CoordinateSpace::toWidget(layout.magnifier, 600);
    const tessary::PixelPoint pixel{300, 600 - 400};
    const double block = magnifier.width() / 13;
    const QPoint right = (magnifier.center() + QPointF(block * 1.25, block * 0.25)).toPoint();
    EXPECT_EQ(shown.pixel(right), source.pixel(pixel.x + 1, pixel.y));

    // The panel's plate is its background over the dimmed desktop; its values are drawn on it.
    const QRectF panel = CoordinateSpace::toWidget(layout.panel, 600);
    const QPoint plain = (panel.topLeft() + QPointF(panel.width() - 6, panel.height() / 2)).toPoint();
    const QRgb under = source.pixel(plain);
    const QRgb dimmed = over(Theme::dimColor(), under);
    EXPECT_LE(channelDistance(shown.pixel(plain), over(Theme::colorPickerPanelBackground(), dimmed)), 3);
    int ink = 0;
    for (int y = int(panel.top()); y < int(panel.top() + 32); ++y) {
        for (int x = int(panel.left() + 56); x < int(panel.right() - 4); ++x) {
            ink += qGray(shown.pixel(x, y)) < 128;
        }
    }
    EXPECT_GT(ink, 20);
}
