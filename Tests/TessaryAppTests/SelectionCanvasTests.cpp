#include "FakePlatformScope.h"
#include "OverlayTestSupport.h"

#include "Overlay/Bars/NoticeBarView.h"
#include "Overlay/Session/OverlayWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPaintEvent>

#include <gtest/gtest.h>

using namespace OverlayTest;
using tessary::Point;
using tessary::Rect;

namespace {

struct Step {
    QEvent::Type type;
    Point at;
};

std::unique_ptr<SelectionCanvasView> makeCanvas(RecordingDelegate& delegate,
                                                std::vector<tessary::OnScreenWindow> windows = {},
                                                double scale = 1, QSize points = {800, 600}) {
    auto canvas = std::make_unique<SelectionCanvasView>(patternDisplay(points, scale), std::move(windows));
    canvas->setDelegate(&delegate);
    return canvas;
}

void run(QWidget* w, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        mouse(w, step.type, step.at);
    }
}

constexpr auto P = QEvent::MouseButtonPress;
constexpr auto D = QEvent::MouseMove;
constexpr auto R = QEvent::MouseButtonRelease;

const tessary::OnScreenWindow editor{{100, 100, 300, 200}, "Editor"};

} // namespace

TEST(SelectionCanvas, GesturesWithoutASelection) {
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::optional<Rect> selection;
    } cases[] = {
        {"drag spans a rectangle",
         {{P, {100, 100}}, {D, {300, 250}}, {R, {300, 250}}},
         Rect{100, 100, 200, 150}},
        {"dragging up and left normalises",
         {{P, {300, 250}}, {D, {100, 100}}, {R, {100, 100}}},
         Rect{100, 100, 200, 150}},
        {"a click on the desktop selects nothing", {{P, {50, 50}}, {R, {50, 50}}}, std::nullopt},
        {"a click on a window takes it", {{P, {150, 150}}, {R, {150, 150}}}, editor.frame},
        {"a 4-point drag on a window still takes it",
         {{P, {150, 150}}, {D, {154, 150}}, {R, {154, 150}}},
         editor.frame},
        {"a 4.1-point drag starts a fresh rectangle",
         {{P, {150, 150}}, {D, {154.1, 150}}, {D, {200, 220}}, {R, {200, 220}}},
         Rect{150, 150, 50, 70}},
        {"2 points wide is a click", {{P, {500, 100}}, {D, {502, 200}}, {R, {502, 200}}}, std::nullopt},
        {"3 points wide is kept",
         {{P, {500, 100}}, {D, {503, 200}}, {R, {503, 200}}},
         Rect{500, 100, 3, 100}},
        {"the drag is clamped to the display",
         {{P, {700, 500}}, {D, {900, 700}}, {R, {900, 700}}},
         Rect{700, 500, 100, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDelegate delegate;
        auto canvas = makeCanvas(delegate, {editor});
        run(canvas.get(), c.steps);
        EXPECT_EQ(canvas->selection(), c.selection);
        EXPECT_EQ(delegate.began.size(), 1u) << "every press without a selection starts one";
        // A click that selects nothing turns the loupe on where it landed.
        EXPECT_EQ(canvas->isPreSelectionLoupeActive(), !c.selection.has_value());
        EXPECT_EQ(canvas->colorPickerPoint().has_value(), !c.selection.has_value());
        EXPECT_FALSE(canvas->interaction().isDragging());
    }
}

TEST(SelectionCanvas, GesturesOnAnExistingSelection) {
    const tessary::OnScreenWindow other{{500, 400, 200, 150}, "Viewer"};
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::optional<Rect> selection;
        std::size_t newSelections;
    } cases[] = {
        {"left handle dragged past the right edge flips",
         {{P, {200, 250}}, {D, {450, 250}}, {R, {450, 250}}},
         Rect{400, 200, 50, 100},
         0},
        {"moving stops flush with the display edge",
         {{P, {300, 250}}, {D, {900, 250}}, {R, {900, 250}}},
         Rect{600, 200, 200, 100},
         0},
        {"8 points outside the corner grabs the handle",
         {{P, {192, 308}}, {D, {150, 350}}, {R, {150, 350}}},
         Rect{150, 200, 250, 150},
         0},
        {"10 points outside starts a new selection",
         {{P, {190, 310}}, {D, {180, 330}}, {R, {180, 330}}},
         Rect{180, 310, 10, 20},
         1},
        {"a click on a window outside collapses to the loupe",
         {{P, {550, 450}}, {R, {550, 450}}},
         std::nullopt,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDelegate delegate;
        auto canvas = makeCanvas(delegate, {other});
        canvas->setSelection(Rect{200, 200, 200, 100});
        run(canvas.get(), c.steps);
        EXPECT_EQ(canvas->selection(), c.selection);
        EXPECT_EQ(delegate.began.size(), c.newSelections);
    }
}

TEST(SelectionCanvas, DrawingToolOnlyWorksInsideTheSelection) {
    RecordingDelegate delegate;
    auto canvas = makeCanvas(delegate);
    canvas->setSelection(Rect{200, 200, 200, 100});
    canvas->handleToolbarSelection(ToolKind::rectangle);
    ASSERT_EQ(canvas->activeTool(), ToolKind::rectangle);

    dragFromTo(canvas.get(), {100, 100}, {150, 150});
    EXPECT_EQ(canvas->selection(), (Rect{200, 200, 200, 100})) << "a press outside does nothing at all";
    EXPECT_TRUE(canvas->store().isEmpty());
    EXPECT_TRUE(delegate.began.empty());

    // The drag is clamped into the selection.
    dragFromTo(canvas.get(), {250, 220}, {500, 250});
    ASSERT_EQ(canvas->store().items().size(), 1u);
    const auto* shape = std::get_if<tessary::RectangleShape>(&canvas->store().items()[0].shape);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->rect, (Rect{250, 220, 150, 30}));
    EXPECT_FALSE(canvas->draft());

    // The same tool again returns to moving the selection.
    canvas->handleToolbarSelection(ToolKind::rectangle);
    EXPECT_FALSE(canvas->activeTool());
    dragFromTo(canvas.get(), {300, 250}, {310, 250});
    EXPECT_EQ(canvas->selection(), (Rect{210, 200, 200, 100}));
}

TEST(SelectionCanvas, PenSkipsPointsCloserThanOneAndAHalf) {
    RecordingDelegate delegate;
    auto canvas = makeCanvas(delegate);
    canvas->setSelection(Rect{0, 0, 400, 400});
    canvas->handleToolbarSelection(ToolKind::pen);
    press(canvas.get(), {10, 10});
    for (int i = 1; i <= 6; ++i) {
        drag(canvas.get(), {10.0 + i, 10});
    }
    release(canvas.get(), {16, 10});
    ASSERT_EQ(canvas->store().items().size(), 1u);
    const auto* pen = std::get_if<tessary::PenShape>(&canvas->store().items()[0].shape);
    ASSERT_NE(pen, nullptr);
    EXPECT_EQ(pen->points, (std::vector<Point>{{10, 10}, {12, 10}, {14, 10}, {16, 10}}));
}

TEST(SelectionCanvas, KeysAndToolbarActionsReachTheSession) {
    RecordingDelegate delegate;
    auto canvas = makeCanvas(delegate);
    key(canvas.get(), Qt::Key_Return);
    EXPECT_EQ(delegate.confirms, 0) << "Return without a selection does nothing";
    canvas->setSelection(Rect{10, 10, 50, 50});
    key(canvas.get(), Qt::Key_Return);
    key(canvas.get(), Qt::Key_Enter);
    EXPECT_EQ(delegate.confirms, 2);
    key(canvas.get(), Qt::Key_Escape);
    EXPECT_EQ(delegate.finishes, 1);

    for (ToolKind kind : allToolKinds) {
        canvas->handleToolbarSelection(kind);
    }
    const std::vector<ToolKind> forwarded{ToolKind::translate,        ToolKind::ocr,    ToolKind::qrCode,
                                          ToolKind::scrollingCapture, ToolKind::save,   ToolKind::pin,
                                          ToolKind::cancel,           ToolKind::confirm};
    EXPECT_EQ(delegate.invoked, forwarded);
}

TEST(SelectionCanvas, CropRuleMapsPointsToPixelsAtTheDisplayScale) {
    const struct {
        const char* name;
        double scale;
        Rect selection;
        QRect pixels;
    } cases[] = {
        {"2x: 10.25 points is column 21", 2, {10.25, 10, 20, 10}, {21, 160, 40, 20}},
        {"2x: top-left corner", 2, {0, 90, 30, 10}, {0, 0, 60, 20}},
        {"1x: bottom rows", 1, {5, 0, 10, 3}, {5, 97, 10, 3}},
        {"1.5x rounds half away from zero", 1.5, {1, 1, 3, 3}, {2, 144, 5, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDelegate delegate;
        auto canvas = makeCanvas(delegate, {}, c.scale, {100, 100});
        canvas->setSelection(c.selection);
        const QImage crop = canvas->croppedImage();
        ASSERT_EQ(crop.size(), c.pixels.size());
        EXPECT_EQ(crop.pixel(0, 0), FakeDisplayCapture::patternPixel(0, c.pixels.x(), c.pixels.y()));
        EXPECT_EQ(crop.pixel(crop.width() - 1, crop.height() - 1),
                  FakeDisplayCapture::patternPixel(0, c.pixels.right(), c.pixels.bottom()));
        EXPECT_EQ(canvas->renderedImage(), crop) << "nothing drawn: the crop itself";
    }
    RecordingDelegate delegate;
    auto canvas = makeCanvas(delegate, {}, 2, {100, 100});
    canvas->setSelection(Rect{10, 10, 0.5, 20});
    EXPECT_TRUE(canvas->croppedImage().isNull());
    EXPECT_TRUE(canvas->renderedImage().isNull());
}

TEST(SelectionCanvas, CropsShareTheFrozenPixelsAndOutliveTheCanvas) {
    const Rect selections[] = {{0, 0, 100, 100}, {10.25, 10, 20, 10}, {99, 0, 1, 100}};
    for (const Rect& selection : selections) {
        RecordingDelegate delegate;
        auto canvas = makeCanvas(delegate, {}, 2, {100, 100});
        canvas->setSelection(selection);
        QImage crop = canvas->croppedImage();
        ASSERT_FALSE(crop.isNull());
        const QImage expected = crop.copy();
        const QImage& frozen = canvas->captured().image;
        const uchar* begin = frozen.constBits();
        EXPECT_TRUE(crop.constBits() >= begin && crop.constBits() < begin + frozen.sizeInBytes())
            << "the crop should not copy the pixels";
        EXPECT_EQ(crop.devicePixelRatio(), frozen.devicePixelRatio());
        // Writing to a crop never reaches the frozen display.
        const QRgb before = frozen.pixel(frozen.width() - 1, 0);
        QImage written = crop;
        written.fill(Qt::magenta);
        EXPECT_EQ(frozen.pixel(frozen.width() - 1, 0), before);
        EXPECT_EQ(crop, expected);
        // The crop stays valid after the canvas and its frozen image are gone.
        canvas.reset();
        EXPECT_EQ(crop, expected);
    }
}

TEST(SelectionCanvas, FinishingActionsReceiveWhatTheCanvasHeld) {
    RecordingDelegate delegate;
    SelectionCanvasView canvas(patternDisplay({200, 200}, 2, {1000, -200}), {});
    canvas.setDelegate(&delegate);
    canvas.setSelection(Rect{20.25, 20, 100, 80});
    canvas.setQRPayloads({QStringLiteral("https://example.invalid/a")});
    canvas.handleToolbarSelection(ToolKind::pen);
    dragFromTo(&canvas, {40, 40}, {80, 70});

    for (ToolKind action : {ToolKind::save, ToolKind::ocr}) {
        canvas.handleToolbarSelection(action);
    }
    key(&canvas, Qt::Key_Return);
    ASSERT_EQ(delegate.outputs.size(), 3u);
    const CaptureOutput& save = delegate.outputs[0];
    const CaptureOutput& ocr = delegate.outputs[1];
    const CaptureOutput& confirm = delegate.outputs[2];
    for (const CaptureOutput* output : {&save, &ocr, &confirm}) {
        EXPECT_EQ(output->globalSelection, (Rect{1020.25, -180, 100, 80}));
        EXPECT_EQ(output->scale, 2);
        EXPECT_EQ(output->qrPayloads, QStringList{QStringLiteral("https://example.invalid/a")});
        EXPECT_EQ(output->cropped.size(), QSize(200, 160));
    }
    EXPECT_TRUE(ocr.rendered.isNull()) << "recognition reads the frozen pixels only";
    ASSERT_EQ(save.rendered.size(), save.cropped.size());
    EXPECT_NE(save.rendered.convertToFormat(QImage::Format_RGB32),
              save.cropped.convertToFormat(QImage::Format_RGB32))
        << "the stroke is in the saved picture";
    EXPECT_EQ(confirm.rendered.convertToFormat(QImage::Format_RGB32),
              save.rendered.convertToFormat(QImage::Format_RGB32));
}

TEST(SelectionCanvas, RenderedImageCarriesTheAnnotationsAtTheCropSize) {
    RecordingDelegate delegate;
    auto canvas = makeCanvas(delegate, {}, 2, {200, 200});
    canvas->setSelection(Rect{20, 20, 100, 80});
    canvas->handleToolbarSelection(ToolKind::rectangle);
    dragFromTo(canvas.get(), {40, 40}, {80, 70});
    const QImage crop = canvas->croppedImage();
    const QImage rendered = canvas->renderedImage();
    EXPECT_EQ(rendered.size(), crop.size());
    EXPECT_NE(rendered.convertToFormat(QImage::Format_RGB32), crop.convertToFormat(QImage::Format_RGB32));
    // Outside the drawn rectangle the pixels are the frozen ones.
    EXPECT_EQ(rendered.pixel(2, 2) | 0xff000000u, crop.pixel(2, 2) | 0xff000000u);
}

TEST(SelectionCanvas, PointerReadoutAndColourCopies) {
    FakePlatformScope scope;
    RecordingDelegate delegate;
    auto canvas = makeCanvas(delegate);
    QClipboard* clipboard = QGuiApplication::clipboard();

    hover(canvas.get(), {10, 590});
    ASSERT_TRUE(canvas->selectionGuidePixel());
    EXPECT_EQ(*canvas->selectionGuidePixel(), (tessary::PixelPoint{10, 10}));
    const QRgb under = FakeDisplayCapture::patternPixel(0, 10, 10);
    const tessary::PixelColor expected{uchar(qRed(under)), uchar(qGreen(under)), uchar(qBlue(under))};
    EXPECT_EQ(canvas->selectionGuideColor(), expected);
    key(canvas.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QString::fromStdString(expected.hexString()));
    EXPECT_EQ(scope.logLines().filter(QStringLiteral("选区引导：")).size(), 1);

    // The picker tool copies the long form on a press and says so for 1.2 s.
    canvas->setSelection(Rect{0, 0, 100, 100});
    canvas->handleToolbarSelection(ToolKind::colorPicker);
    ASSERT_TRUE(canvas->isColorPickerActive());
    press(canvas.get(), {10, 590});
    EXPECT_EQ(canvas->selection(), (Rect{0, 0, 100, 100})) << "a picker press never selects";
    EXPECT_EQ(clipboard->text(), QString::fromStdString(expected.clipboardString()));
    EXPECT_TRUE(scope.logLines().contains(QStringLiteral("取色器：") + clipboard->text() +
                                          QStringLiteral(" 已写剪贴板。")));
    EXPECT_TRUE(canvas->colorPickerJustCopied());
    spin(1000);
    press(canvas.get(), {10, 590});
    spin(300);
    EXPECT_FALSE(canvas->colorPickerJustCopied()) << "the first copy's reset clears the flag";
}

TEST(SelectionCanvas, LastColumnOfADoubleScaleDisplayIsTheLastPixel) {
    RecordingDelegate delegate;
    auto canvas = makeCanvas(delegate, {}, 2, {100, 50});
    hover(canvas.get(), {99.9, 0.1});
    ASSERT_TRUE(canvas->selectionGuidePixel());
    EXPECT_EQ(*canvas->selectionGuidePixel(), (tessary::PixelPoint{199, 99}));
    hover(canvas.get(), {100, 50});
    EXPECT_EQ(*canvas->selectionGuidePixel(), (tessary::PixelPoint{199, 0}));
}

TEST(SelectionCanvas, ClearingTheSelectionTurnsPickerAndLoupeOff) {
    RecordingDelegate delegate;
    auto canvas = makeCanvas(delegate);
    canvas->setSelection(Rect{10, 10, 100, 100});
    canvas->handleToolbarSelection(ToolKind::colorPicker);
    canvas->updateColorPicker({50, 50});
    canvas->clearSelection();
    EXPECT_FALSE(canvas->selection());
    EXPECT_FALSE(canvas->isColorPickerActive());
    EXPECT_FALSE(canvas->isPreSelectionLoupeActive());
    EXPECT_FALSE(canvas->colorPickerPoint());
    EXPECT_TRUE(canvas->colorPickerRegion().current.isEmpty());
}

TEST(SelectionCanvas, NoticeSitsUnderTheToolbarAndLeavesWithTheSelection) {
    FakePlatformScope scope;
    RecordingDelegate delegate;
    auto canvas = makeCanvas(delegate);
    canvas->showNotice(QStringLiteral("nothing selected"));
    EXPECT_EQ(canvas->noticeBar(), nullptr) << "no notice without a selection";

    canvas->setSelection(Rect{100, 300, 500, 200});
    canvas->showNotice(QStringLiteral("Copied"));
    NoticeBarView* bar = canvas->noticeBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisibleTo(canvas.get()));
    const Rect frame = CoordinateSpace::fromWidget(QRectF(bar->geometry()), canvas->height());
    // Toolbar band from 292 down to 248, then 6 points of gap and the 30-point bar.
    EXPECT_DOUBLE_EQ(frame.minY(), 212);
    EXPECT_DOUBLE_EQ(frame.maxX(), 600);
    EXPECT_TRUE(scope.logLines().contains(QStringLiteral("提示：Copied")));

    canvas->setSelection(Rect{100, 300, 400, 200});
    EXPECT_FALSE(bar->isVisibleTo(canvas.get()));
}

TEST(SelectionCanvas, PointerMovesRepaintOnlyTheReadout) {
    for (const bool legacy : {false, true}) {
        SCOPED_TRACE(legacy ? "legacy full redraw" : "dirty rectangles");
        RecordingDelegate delegate;
        OverlayWindow window(patternDisplay({800, 600}, 1), {}, {legacy, 0});
        SelectionCanvasView* canvas = window.canvas();
        canvas->setDelegate(&delegate);
        window.show();
        spin(50);

        QRegion painted;
        struct Recorder : QObject {
            QRegion* region;
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint) {
                    *region += static_cast<QPaintEvent*>(event)->region();
                }
                return false;
            }
        } recorder;
        recorder.region = &painted;
        canvas->installEventFilter(&recorder);
        hover(canvas, {400, 400});
        spin(30);
        painted = QRegion();
        hover(canvas, {410, 390});
        spin(50);
        canvas->removeEventFilter(&recorder);

        ASSERT_FALSE(painted.isEmpty());
        double area = 0;
        for (const QRect& rect : painted) {
            area += double(rect.width()) * rect.height();
        }
        if (legacy) {
            EXPECT_EQ(painted.boundingRect(), canvas->rect());
        } else {
            EXPECT_LT(area / (800.0 * 600.0), 0.1);
            const QRect readout =
                CoordinateSpace::toWidget(canvas->readoutRegion().current, canvas->height()).toAlignedRect();
            EXPECT_TRUE(QRegion(readout).subtracted(painted).isEmpty())
                << "the readout moved with the pointer";
        }
        window.hide();
    }
}
