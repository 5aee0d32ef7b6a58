#include "Overlay/Annotations/AnnotationRenderer.h"
#include "Overlay/Annotations/MosaicImageCache.h"
#include "Overlay/Canvas/RenderTransform.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>

using namespace tessary;

namespace {

// A 400 x 300 point display; the selection sits in the middle of it.
constexpr Rect displayBounds{0, 0, 400, 300};
constexpr Rect selection{100, 50, 200, 150};
const QColor background(128, 128, 128);

QImage solidCrop(double scale, QColor color = background) {
    QImage image(static_cast<int>(selection.width * scale), static_cast<int>(selection.height * scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// The exported pixel under a model point: x from the selection's left edge, rows down from its top.
QColor exportedPixel(const QImage& image, Point p, double scale) {
    const int x = static_cast<int>(std::floor((p.x - selection.minX()) * scale));
    const int y = static_cast<int>(std::floor((selection.maxY() - p.y) * scale));
    return image.pixelColor(x, y);
}

bool near(QColor a, QColor b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QColor qtColor(const AnnotationColor& c) {
    return QColor::fromRgbF(c.red, c.green, c.blue);
}

std::string describe(QColor c) {
    return std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue());
}

struct ShapeCase {
    const char* name;
    AnnotationShape shape;
    AnnotationColor color;
    std::vector<Point> inked;
    std::vector<Point> untouched;
};

TEST(AnnotationRendererTest, ShapesLandOnTheExpectedPixels) {
    const std::vector<ShapeCase> cases = {
        {"rectangle",
         RectangleShape{{120, 70, 60, 40}},
         AnnotationColors::red,
         {{120, 90}, {150, 110}, {180, 90}, {150, 70}, {121.5, 108.5}},
         {{150, 90}, {115, 90}, {150, 115}, {124, 90}}},
        {"rectangle dragged leftwards",
         RectangleShape{{180, 70, -60, 40}},
         AnnotationColors::red,
         {{120, 90}, {150, 110}, {180, 90}, {150, 70}},
         {{150, 90}, {185, 90}, {240, 90}}},
        {"ellipse",
         EllipseShape{{200, 100, 80, 40}},
         AnnotationColors::blue,
         {{200.5, 120}, {279.5, 120}, {240, 139.5}, {240, 100.5}},
         {{240, 120}, {203, 103}, {277, 137}, {195, 120}}},
        {"arrow",
         ArrowShape{{110, 180}, {250, 180}},
         AnnotationColors::green,
         {{240, 180}, {120, 180}, {231, 187}, {231, 173}, {245, 180}},
         {{253, 180}, {120, 184}, {228, 187}, {106, 180}}},
        {"pen",
         PenShape{{{120, 100}, {200, 100}, {200, 160}}},
         AnnotationColors::purple,
         {{160, 100}, {200, 130}, {200, 100}, {119.2, 100.5}},
         {{160, 105}, {195, 130}, {115, 100}, {205, 130}}},
    };
    for (const double scale : {1.0, 2.0}) {
        for (const auto& c : cases) {
            const Annotation annotation(c.shape, {c.color, AnnotationWeight::medium});
            const QImage image =
                AnnotationRenderer::renderOnto(solidCrop(scale), selection, scale, {annotation}, {});
            ASSERT_EQ(image.size(), solidCrop(scale).size());
            for (const auto& p : c.inked) {
                const QColor got = exportedPixel(image, p, scale);
                EXPECT_TRUE(near(got, qtColor(c.color), 3))
                    << c.name << " @" << scale << "x: (" << p.x << "," << p.y << ") is " << describe(got);
            }
            for (const auto& p : c.untouched) {
                const QColor got = exportedPixel(image, p, scale);
                EXPECT_TRUE(near(got, background, 0))
                    << c.name << " @" << scale << "x: (" << p.x << "," << p.y << ") is " << describe(got);
            }
        }
    }
}

TEST(AnnotationRendererTest, ArrowOutline) {
    struct Case {
        const char* name;
        Point from, to;
        std::vector<QPointF> corners;
    };
    const std::vector<Case> cases = {
        {"long",
         {0, 0},
         {100, 0},
         {{0, 1.28}, {80, 3.2}, {80, 9.2}, {100, 0}, {80, -9.2}, {80, -3.2}, {0, -1.28}}},
        {"short keeps its head at 40 %",
         {0, 0},
         {10, 0},
         {{0, 1.28}, {6, 3.2}, {6, 9.2}, {10, 0}, {6, -9.2}, {6, -3.2}, {0, -1.28}}},
        {"diagonal",
         {0, 0},
         {30, 40},
         {{-1.024, 0.768},
          {15.44, 25.92},
          {10.64, 29.52},
          {30, 40},
          {25.36, 18.48},
          {20.56, 22.08},
          {1.024, -0.768}}},
        {"degenerate", {5, 5}, {5, 5}, {{5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}}},
    };
    for (const auto& c : cases) {
        const QPainterPath path = AnnotationRenderer::arrowPath(c.from, c.to, 4);
        // A path skips lines of zero length, so coinciding corners collapse into one.
        std::vector<QPointF> expected;
        for (const auto& corner : c.corners) {
            if (expected.empty() || expected.back() != corner) {
                expected.push_back(corner);
            }
        }
        ASSERT_GE(path.elementCount(), static_cast<int>(expected.size())) << c.name;
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPointF corner = path.elementAt(i);
            const QPointF want = i < static_cast<int>(expected.size()) ? expected[static_cast<std::size_t>(i)]
                                                                       : expected.front(); // closing line
            EXPECT_TRUE(std::isfinite(corner.x()) && std::isfinite(corner.y())) << c.name;
            EXPECT_NEAR(corner.x(), want.x(), 1e-9) << c.name << " corner " << i;
            EXPECT_NEAR(corner.y(), want.y(), 1e-9) << c.name << " corner " << i;
        }
    }
}

TEST(AnnotationRendererTest, NothingIsDrawnForIncompleteStrokes) {
    MosaicImageCache cache(QImage(400, 300, QImage::Format_RGB32), 1);
    const AnnotationRenderContext withMosaic{[&](AnnotationWeight w) { return cache.image(w); },
                                             displayBounds};
    const AnnotationRenderContext withoutMosaic{[](AnnotationWeight) { return QImage(); }, displayBounds};
    const struct {
        const char* name;
        AnnotationShape shape;
        const AnnotationRenderContext& context;
    } cases[] = {
        {"single-point pen", PenShape{{{150, 100}}}, withMosaic},
        {"single-point mosaic", MosaicShape{{{150, 100}}}, withMosaic},
        {"mosaic without an image", MosaicShape{{{150, 100}, {200, 100}}}, withoutMosaic},
        {"mosaic without a source", MosaicShape{{{150, 100}, {200, 100}}}, AnnotationRenderContext{}},
    };
    for (const auto& c : cases) {
        const QImage crop = solidCrop(1);
        const Annotation annotation(c.shape, AnnotationStyle::defaultStyle());
        EXPECT_EQ(AnnotationRenderer::renderOnto(crop, selection, 1, {annotation}, c.context), crop)
            << c.name;
    }
}

// A display whose quadrants differ in colour, each checkered with white pixel by pixel, so that the
// pixelated copy is smooth where the original is not.
QImage checkeredDisplay(double scale) {
    const int width = static_cast<int>(displayBounds.width * scale);
    const int height = static_cast<int>(displayBounds.height * scale);
    QImage image(width, height, QImage::Format_RGB32);
    const QColor quadrants[2][2] = {{QColor(200, 0, 0), QColor(0, 160, 0)},
                                    {QColor(0, 0, 200), QColor(0, 0, 0)}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QColor color = quadrants[y >= height / 2][x >= width / 2];
            image.setPixelColor(x, y, (x + y) % 2 ? QColor(Qt::white) : color);
        }
    }
    return image;
}

QImage displayCrop(const QImage& display, double scale) {
    return display.copy(static_cast<int>(selection.minX() * scale),
                        static_cast<int>((displayBounds.height - selection.maxY()) * scale),
                        static_cast<int>(selection.width * scale),
                        static_cast<int>(selection.height * scale));
}

TEST(AnnotationRendererTest, MosaicRevealsThePixelatedDisplayInPlace) {
    for (const double scale : {1.0, 2.0}) {
        const QImage display = checkeredDisplay(scale);
        MosaicImageCache cache(display, scale);
        const AnnotationRenderContext context{[&](AnnotationWeight w) { return cache.image(w); },
                                              displayBounds};
        const AnnotationStyle style{AnnotationColors::red, AnnotationWeight::medium};
        const std::vector<Annotation> annotations = {
            Annotation(RectangleShape{{110, 160, 60, 30}}, style),
            // Drawn later, so the mosaic hides the rectangle's bottom edge where they cross.
            Annotation(MosaicShape{{{120, 160}, {280, 160}}}, style),
            Annotation(MosaicShape{{{120, 80}, {280, 80}}}, style),
        };
        const QImage image = AnnotationRenderer::renderOnto(displayCrop(display, scale), selection, scale,
                                                            annotations, context);
        const struct {
            Point point;
            QColor average; // of the quadrant colour and white
        } revealed[] = {
            {{130, 160}, QColor(228, 128, 128)},
            {{150, 160}, QColor(228, 128, 128)},
            {{270, 160}, QColor(128, 208, 128)},
            {{130, 80}, QColor(128, 128, 228)},
            {{270, 80}, QColor(128, 128, 128)},
            {{150, 71}, QColor(128, 128, 228)}, // the brush is 1.6 blocks wide
        };
        for (const auto& r : revealed) {
            const QColor got = exportedPixel(image, r.point, scale);
            const QColor right = exportedPixel(image, {r.point.x + 1 / scale, r.point.y}, scale);
            EXPECT_TRUE(near(got, r.average, 14))
                << scale << "x (" << r.point.x << "," << r.point.y << ") " << describe(got);
            EXPECT_TRUE(near(got, right, 6)) << "pixelated, not checkered";
        }
        // Away from the brush the checkered original is intact.
        for (const Point p : {Point{200, 120}, Point{130, 185}, Point{150, 66}}) {
            const QColor a = exportedPixel(image, p, scale);
            const QColor b = exportedPixel(image, {p.x + 1 / scale, p.y}, scale);
            EXPECT_FALSE(near(a, b, 40)) << scale << "x (" << p.x << "," << p.y << ")";
        }
    }
}

// Pixels of `image` within `tolerance` of `color`, as a bounding box.
QRect inkBox(const QImage& image, QColor color, int tolerance) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (near(image.pixelColor(x, y), color, tolerance)) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// The same text drawn the plain Qt way (y down) with its top-left corner where the annotation puts it.
QImage referenceText(const QImage& crop, const QString& text, const QFont& font, QColor color, Point topLeft,
                     double scale) {
    QImage image = crop.copy();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    painter.setFont(font);
    painter.setPen(color);
    const QPointF corner(topLeft.x - selection.minX(), selection.maxY() - topLeft.y);
    painter.drawText(QRectF(corner, AnnotationRenderer::textSize(text, font)), Qt::AlignLeft | Qt::AlignTop,
                     text);
    return image;
}

TEST(AnnotationRendererTest, TextAndStickersStandUprightAtTheirAnchor) {
    for (const double scale : {1.0, 2.0}) {
        const QImage crop = solidCrop(scale);
        // Text: the ink of the export matches the plain rendering, halo aside.
        const AnnotationStyle style{AnnotationColors::black, AnnotationWeight::heavy};
        const Annotation text(TextShape{{130, 170}, "Tg\nLp"}, style);
        const QImage exported = AnnotationRenderer::renderOnto(crop, selection, scale, {text}, {});
        const QImage reference =
            referenceText(crop, QStringLiteral("Tg\nLp"), AnnotationRenderer::textAttributes(style).font,
                          qtColor(style.color), {130, 170}, scale);
        const QRect expectedInk = inkBox(reference, qtColor(style.color), 10);
        const QRect gotInk = inkBox(exported, qtColor(style.color), 10);
        ASSERT_FALSE(expectedInk.isEmpty());
        EXPECT_LE((gotInk.topLeft() - expectedInk.topLeft()).manhattanLength(), 2) << scale << "x";
        EXPECT_LE((gotInk.bottomRight() - expectedInk.bottomRight()).manhattanLength(), 2) << scale << "x";
        EXPECT_GT(expectedInk.height(), 30 * scale) << "two lines";

        // Sticker: centred on its point, in colour, and the same picture as a plain rendering.
        const Point center{200, 110};
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QImage sticker = AnnotationRenderer::renderOnto(
            crop, selection, scale, {Annotation(StickerShape{center, emoji.toStdString()}, style)}, {});
        const QFont font = AnnotationRenderer::stickerFont(AnnotationWeight::heavy);
        const QSizeF size = AnnotationRenderer::textSize(emoji, font);
        const QImage plain = referenceText(
            crop, emoji, font, Qt::black, {center.x - size.width() / 2, center.y + size.height() / 2}, scale);
        int colourful = 0;
        long long difference = 0;
        for (int y = 0; y < sticker.height(); ++y) {
            for (int x = 0; x < sticker.width(); ++x) {
                const QColor got = sticker.pixelColor(x, y);
                const QColor want = plain.pixelColor(x, y);
                colourful += got.hsvSaturation() > 120 && got.value() > 120;
                difference += std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) +
                              std::abs(got.blue() - want.blue());
            }
        }
        EXPECT_GT(colourful, 200 * scale * scale) << "a colour emoji";
        EXPECT_LT(difference / (3.0 * size.width() * size.height() * scale * scale), 6) << scale << "x";
    }
}

TEST(AnnotationRendererTest, TextHaloContrastsWithTheTextColour) {
    const struct {
        const char* name;
        AnnotationColor text;
        QColor backdrop;
        std::function<bool(QColor)> isHalo;
        QColor expectedShadow;
    } cases[] = {
        {"white text", AnnotationColors::white, Qt::white, [](QColor c) { return c.value() < 225; },
         Qt::black},
        // Yellow is not light (its components sum to 1.88): a white halo, seen as grey on black.
        {"yellow text", AnnotationColors::yellow, Qt::black,
         [](QColor c) { return c.blue() > 30 && std::abs(c.red() - c.blue()) < 30; }, Qt::white},
    };
    for (const double scale : {1.0, 2.0}) {
        for (const auto& c : cases) {
            const AnnotationStyle style{c.text, AnnotationWeight::medium};
            EXPECT_EQ(AnnotationRenderer::textAttributes(style).shadowColor.rgb(), c.expectedShadow.rgb());
            EXPECT_NEAR(AnnotationRenderer::textAttributes(style).shadowColor.alphaF(), 0.65, 0.01);
            const QImage image =
                AnnotationRenderer::renderOnto(solidCrop(scale, c.backdrop), selection, scale,
                                               {Annotation(TextShape{{120, 150}, "Halo"}, style)}, {});
            // The text box in pixels, grown by the halo's reach.
            const QSizeF size = AnnotationRenderer::textSize(QStringLiteral("Halo"),
                                                             AnnotationRenderer::textAttributes(style).font);
            const QRect around =
                QRectF(QPointF((120 - selection.minX() - 4) * scale, (selection.maxY() - 150 - 4) * scale),
                       (size + QSizeF(8, 8)) * scale)
                    .toAlignedRect();
            int halo = 0;
            for (int y = around.top(); y <= around.bottom(); ++y) {
                for (int x = around.left(); x <= around.right(); ++x) {
                    halo += c.isHalo(image.pixelColor(x, y));
                }
            }
            EXPECT_GT(halo, 20 * scale * scale) << c.name << " @" << scale << "x";
            // Far from the text the backdrop is untouched.
            EXPECT_EQ(image.pixelColor(around.right() + static_cast<int>(6 * scale), around.center().y()),
                      c.backdrop)
                << c.name;
        }
    }
}

// The canvas draws in points through the same transform; its pixels under the selection must be the
// exported ones.
TEST(AnnotationRendererTest, CanvasAndExportAgree) {
    for (const double scale : {1.0, 2.0}) {
        const QImage display = checkeredDisplay(scale);
        MosaicImageCache cache(display, scale);
        const AnnotationRenderContext context{[&](AnnotationWeight w) { return cache.image(w); },
                                              displayBounds};
        const std::vector<Annotation> annotations = {
            Annotation(RectangleShape{{120, 70, 60, 40}}, {AnnotationColors::red, AnnotationWeight::light}),
            Annotation(ArrowShape{{110, 180}, {250, 120}},
                       {AnnotationColors::green, AnnotationWeight::heavy}),
            Annotation(PenShape{{{130, 60}, {170, 140}, {260, 90}}},
                       {AnnotationColors::blue, AnnotationWeight::medium}),
            Annotation(MosaicShape{{{200, 60}, {280, 190}}},
                       {AnnotationColors::red, AnnotationWeight::heavy}),
            Annotation(TextShape{{150, 190}, "canvas"}, {AnnotationColors::white, AnnotationWeight::medium}),
        };
        QImage canvas = display.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        canvas.setDevicePixelRatio(scale);
        {
            QPainter painter(&canvas);
            painter.setTransform(RenderTransform::modelToTarget(displayBounds, 1, displayBounds.height));
            painter.setClipRect(QRectF(selection.x, selection.y, selection.width, selection.height));
            for (const auto& a : annotations) {
                AnnotationRenderer::draw(painter, a, context);
            }
        }
        canvas.setDevicePixelRatio(1);
        const QImage fromCanvas = displayCrop(canvas, scale);
        const QImage exported = AnnotationRenderer::renderOnto(displayCrop(display, scale), selection, scale,
                                                               annotations, context);
        ASSERT_EQ(fromCanvas.size(), exported.size());
        int differing = 0;
        for (int y = 0; y < exported.height(); ++y) {
            for (int x = 0; x < exported.width(); ++x) {
                differing += !near(fromCanvas.pixelColor(x, y), exported.pixelColor(x, y), 8);
            }
        }
        EXPECT_LT(differing, exported.width() * exported.height() / 1000) << scale << "x";
        EXPECT_NE(exported, displayCrop(display, scale)) << "something was drawn";
    }
}

} // namespace
