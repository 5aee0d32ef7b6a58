#include "Foundation/CoordinateSpace.h"
#include "Platform/DisplayImageFit.h"

#include <gtest/gtest.h>

TEST(CoordinateSpace, GlobalPointsAgainstAPrimaryDisplay) {
    struct Case {
        QRectF primary;
        QPointF qt;
        tessary::Point model;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, {0, 1080}, {0, 0}},
        {{0, 0, 1920, 1080}, {0, 0}, {0, 1080}},
        {{0, 0, 1920, 1080}, {2020, 50}, {2020, 1030}},
        // Primary to the right of and below Qt's origin.
        {{1280, 200, 1920, 1080}, {1280, 1280}, {0, 0}},
        {{1280, 200, 1920, 1080}, {0, 0}, {-1280, 1280}},
        {{1280, 200, 1920, 1080}, {10.25, 300.5}, {-1269.75, 979.5}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CoordinateSpace::fromQtGlobal(c.qt, c.primary), c.model) << c.qt.x() << "," << c.qt.y();
        EXPECT_EQ(CoordinateSpace::toQtGlobal(c.model, c.primary), c.qt) << c.qt.x() << "," << c.qt.y();
    }
}

TEST(CoordinateSpace, RectanglesSwapTheirReferenceCorner) {
    const QRectF primary(0, 0, 1920, 1080);
    struct Case {
        QRectF qt;
        tessary::Rect model;
    };
    const Case cases[] = {
        {{100, 50, 400, 300}, {100, 730, 400, 300}},
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
        {{1920, -900, 1440, 900}, {1920, 1080, 1440, 900}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CoordinateSpace::fromQtGlobal(c.qt, primary), c.model);
        EXPECT_EQ(CoordinateSpace::toQtGlobal(c.model, primary), c.qt);
    }
    // Unnormalised input describes the same area.
    EXPECT_EQ(CoordinateSpace::fromQtGlobal(QRectF(500, 350, -400, -300), primary),
              (tessary::Rect{100, 730, 400, 300}));
    EXPECT_EQ(CoordinateSpace::toQtGlobal(tessary::Rect{500, 1030, -400, -300}, primary),
              QRectF(100, 50, 400, 300));
}

TEST(CoordinateSpace, WidgetAndCanvasPoints) {
    struct Case {
        double height;
        QPointF widget;
        tessary::Point canvas;
    };
    const Case cases[] = {
        {1080, {0, 0}, {0, 1080}}, {1080, {0, 1080}, {0, 0}}, {900, {10.25, 0.5}, {10.25, 899.5}}};
    for (const Case& c : cases) {
        EXPECT_EQ(CoordinateSpace::fromWidget(c.widget, c.height), c.canvas);
        EXPECT_EQ(CoordinateSpace::toWidget(c.canvas, c.height), c.widget);
    }
    EXPECT_EQ(CoordinateSpace::fromWidget(QRectF(10, 20, 30, 40), 100), (tessary::Rect{10, 40, 30, 40}));
    EXPECT_EQ(CoordinateSpace::toWidget(tessary::Rect{10, 40, 30, 40}, 100), QRectF(10, 20, 30, 40));
}

TEST(DisplayImageFit, CropsRoundingLossesAndScalesThumbnails) {
    QImage native(2560, 1440, QImage::Format_RGB32);
    for (int y = 0; y < native.height(); ++y) {
        for (int x = 0; x < native.width(); ++x) {
            native.setPixel(x, y, qRgb(x & 0xff, y & 0xff, (x ^ y) & 0xff));
        }
    }
    struct Case {
        QSize requested;
        bool sharpCrop;
    };
    for (const Case c : {Case{{2560, 1440}, true}, Case{{2559, 1439}, true}, Case{{2557, 1440}, true},
                         Case{{128, 72}, false}, Case{{2556, 1440}, false}, Case{{2600, 1500}, false}}) {
        const QImage fitted = fitDisplayImage(native, c.requested);
        ASSERT_EQ(fitted.size(), c.requested);
        const QPoint probe(c.requested.width() / 2 + 1, c.requested.height() / 2);
        // A crop keeps every pixel where it was; a scale of this noisy pattern does not.
        EXPECT_EQ(fitted.pixel(probe) == native.pixel(probe), c.sharpCrop)
            << c.requested.width() << "x" << c.requested.height();
    }
    EXPECT_TRUE(fitDisplayImage(native, QSize(0, 10)).isNull());
}
