#include "FakePlatformScope.h"
#include "OverlayTestSupport.h"

#include "Foundation/Log.h"
#include "Overlay/Bars/ColorCell.h"
#include "Overlay/Bars/StickerCell.h"
#include "Overlay/Bars/StyleBarView.h"
#include "Overlay/Bars/ToolButton.h"
#include "Overlay/Bars/ToolbarView.h"
#include "Overlay/Session/ClickTrace.h"
#include "Overlay/Session/OverlayCoordinator.h"
#include "Overlay/Session/OverlayWindow.h"

#include <QPaintEvent>
#include <QSettings>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

using namespace OverlayTest;
using tessary::Point;
using tessary::Rect;

namespace {

// A real overlay window whose input goes through Qt's own dispatch (QTest drives the QWindow).
struct Overlay {
    RecordingDelegate delegate;
    std::unique_ptr<OverlayWindow> window;
    SelectionCanvasView* canvas = nullptr;

    explicit Overlay(QSize points = {1280, 800}) {
        window = std::make_unique<OverlayWindow>(
            patternDisplay(points, 1), std::vector<tessary::OnScreenWindow>{}, OverlayPerfOptions{});
        canvas = window->canvas();
        canvas->setDelegate(&delegate);
        window->show();
        spin(20);
    }
    ~Overlay() { window->hide(); }

    QPoint at(Point p) const { return CoordinateSpace::toWidget(p, canvas->height()).toPoint(); }
    // A point inside a child widget, in window coordinates.
    QPoint at(const QWidget* child, QPoint local) const { return child->mapTo(window.get(), local); }
    void pressAt(QPoint p) { QTest::mousePress(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, p); }
    void moveTo(QPoint p) { QTest::mouseMove(window->windowHandle(), p); }
    void releaseAt(QPoint p) {
        QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, p);
    }
    void click(QPoint p) {
        pressAt(p);
        releaseAt(p);
    }
    void dragSelection(Point from, Point to) {
        pressAt(at(from));
        moveTo(at(to));
        releaseAt(at(to));
    }
    Rect frameOf(const QWidget* bar) const {
        return CoordinateSpace::fromWidget(QRectF(bar->geometry()), canvas->height());
    }
    bool shows(const QWidget* bar) const { return bar && bar->isVisibleTo(canvas); }
};

} // namespace

TEST(CanvasBars, ToolbarAppearsAtItsPlaceAfterTheRelease) {
    // Canvas 1280 x 800, toolbar 866 x 44; frames worked out from the stacking rules by hand.
    const struct {
        const char* name;
        Point from, to;
        Rect toolbar;
    } cases[] = {
        {"below the selection, right-aligned", {300, 600}, {900, 300}, {34, 248, 866, 44}},
        {"no room below: above the selection", {300, 320}, {900, 20}, {34, 328, 866, 44}},
        // Window pixels reach from 0 to 1279 across and down: canvas (0, 1) to (1279, 800).
        {"full-display selection: inside at its bottom", {0, 1}, {1279, 800}, {406, 9, 866, 44}},
        {"narrow selection at the left edge: 8 points in", {0, 500}, {200, 300}, {8, 248, 866, 44}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Overlay overlay;
        overlay.pressAt(overlay.at(c.from));
        overlay.moveTo(overlay.at(c.to));
        EXPECT_FALSE(overlay.shows(overlay.canvas->toolbar())) << "no bars while dragging";
        overlay.releaseAt(overlay.at(c.to));
        ToolbarView* toolbar = overlay.canvas->toolbar();
        ASSERT_TRUE(overlay.shows(toolbar));
        EXPECT_EQ(overlay.frameOf(toolbar), c.toolbar);
        EXPECT_FALSE(overlay.shows(overlay.canvas->styleBar())) << "no style bar without a tool";
    }
}

TEST(CanvasBars, StyleBarFollowsTheActiveTool) {
    Overlay overlay;
    overlay.dragSelection({300, 600}, {900, 300});
    ToolbarView* toolbar = overlay.canvas->toolbar();
    StyleBarView* styleBar = overlay.canvas->styleBar();
    ASSERT_NE(toolbar, nullptr);

    overlay.click(overlay.at(toolbar->button(ToolKind::rectangle), {24, 18}));
    ASSERT_EQ(overlay.canvas->activeTool(), ToolKind::rectangle);
    EXPECT_TRUE(toolbar->button(ToolKind::rectangle)->isSelected());
    ASSERT_TRUE(overlay.shows(styleBar));
    EXPECT_EQ(styleBar->width(), 349);
    // Right-aligned with the selection, 6 points under the toolbar.
    EXPECT_EQ(overlay.frameOf(styleBar), (Rect{900 - 349, 248 - 6 - 38, 349, 38}));

    overlay.click(overlay.at(toolbar->button(ToolKind::sticker), {24, 18}));
    EXPECT_EQ(styleBar->width(), 684);
    EXPECT_TRUE(styleBar->showsStickers());
    EXPECT_EQ(overlay.frameOf(styleBar).maxX(), 900);

    // A colour and a sticker picked in the bar are what the canvas draws next.
    overlay.click(overlay.at(styleBar->colorCells()[4], {11, 11}));
    overlay.click(overlay.at(styleBar->stickerCells()[3], {16, 11}));
    EXPECT_EQ(overlay.canvas->style().color, tessary::AnnotationColor::palette()[4]);
    EXPECT_EQ(overlay.canvas->sticker(), StyleBarView::stickers()[3]);

    overlay.click(overlay.at(toolbar->button(ToolKind::sticker), {24, 18}));
    EXPECT_FALSE(overlay.canvas->activeTool());
    EXPECT_FALSE(overlay.shows(styleBar)) << "pressing the tool again returns to moving the selection";

    overlay.click(overlay.at(toolbar->button(ToolKind::colorPicker), {24, 18}));
    EXPECT_TRUE(toolbar->button(ToolKind::colorPicker)->isSelected());
    EXPECT_FALSE(overlay.shows(styleBar));
}

TEST(CanvasBars, UndoButtonWorksExactlyWhileThereIsSomethingToUndo) {
    Overlay overlay;
    overlay.dragSelection({300, 600}, {900, 300});
    ToolbarView* toolbar = overlay.canvas->toolbar();
    ToolButton* undo = toolbar->button(ToolKind::undo);
    const QPoint undoAt = overlay.at(undo, {24, 18});
    EXPECT_FALSE(undo->isActionable());

    overlay.click(overlay.at(toolbar->button(ToolKind::rectangle), {24, 18}));
    overlay.dragSelection({400, 500}, {500, 400});
    ASSERT_EQ(overlay.canvas->store().items().size(), 1u);
    EXPECT_TRUE(undo->isActionable());

    overlay.click(undoAt);
    EXPECT_TRUE(overlay.canvas->store().isEmpty());
    EXPECT_FALSE(undo->isActionable());
    overlay.click(undoAt);
    EXPECT_TRUE(overlay.canvas->store().isEmpty());
    EXPECT_EQ(overlay.canvas->selection(), (Rect{300, 300, 600, 300})) << "undo leaves the selection";
}

TEST(CanvasBars, PressesOnTheBarsNeverReachTheCanvas) {
    Overlay overlay;
    overlay.dragSelection({300, 600}, {900, 300});
    ToolbarView* toolbar = overlay.canvas->toolbar();
    const Rect selection = *overlay.canvas->selection();
    overlay.delegate.began.clear();

    // A press on a button, moved off it before the release, does nothing.
    ToolButton* save = toolbar->button(ToolKind::save);
    overlay.pressAt(overlay.at(save, {24, 18}));
    overlay.moveTo(overlay.at(save, {24, 60}));
    overlay.releaseAt(overlay.at(save, {24, 60}));
    EXPECT_TRUE(overlay.delegate.invoked.empty());

    // The gaps: the left padding, the group separator, the strip under the buttons.
    const ToolButton* tools = toolbar->button(ToolKind::colorPicker);
    for (const QPoint gap : {QPoint(4, 22), QPoint(tools->x() - 7, 22), QPoint(200, 42)}) {
        SCOPED_TRACE(gap.x());
        ASSERT_EQ(toolbar->childAt(gap), nullptr);
        overlay.pressAt(overlay.at(toolbar, gap));
        overlay.moveTo(overlay.at(toolbar, gap + QPoint(30, 0)));
        overlay.releaseAt(overlay.at(toolbar, gap + QPoint(30, 0)));
    }
    EXPECT_TRUE(overlay.delegate.began.empty()) << "a press outside the selection would start a new one";
    EXPECT_EQ(overlay.canvas->selection(), selection);
    EXPECT_TRUE(overlay.delegate.invoked.empty());

    overlay.click(overlay.at(save, {24, 18}));
    EXPECT_EQ(overlay.delegate.invoked, std::vector<ToolKind>{ToolKind::save});
}

TEST(CanvasBars, BarsHideDuringGestures) {
    const struct {
        const char* name;
        std::optional<ToolKind> tool;
        Point from, to;
    } cases[] = {
        {"drawing a rectangle", ToolKind::rectangle, {400, 500}, {500, 400}},
        {"moving the selection", std::nullopt, {400, 500}, {420, 480}},
        {"dragging a handle", std::nullopt, {900, 300}, {950, 250}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Overlay overlay;
        overlay.dragSelection({300, 600}, {900, 300});
        if (c.tool) {
            overlay.canvas->handleToolbarSelection(*c.tool);
        }
        overlay.pressAt(overlay.at(c.from));
        overlay.moveTo(overlay.at(c.to));
        EXPECT_FALSE(overlay.shows(overlay.canvas->toolbar()));
        EXPECT_FALSE(overlay.shows(overlay.canvas->styleBar()));
        overlay.releaseAt(overlay.at(c.to));
        EXPECT_TRUE(overlay.shows(overlay.canvas->toolbar()));
        EXPECT_EQ(overlay.shows(overlay.canvas->styleBar()), c.tool.has_value());
    }
}

TEST(CanvasBars, QRButtonFollowsTheCodesFoundForTheSelection) {
    Overlay overlay;
    overlay.dragSelection({300, 600}, {900, 300});
    ToolbarView* toolbar = overlay.canvas->toolbar();
    EXPECT_FALSE(toolbar->qrAvailable());
    overlay.canvas->setQRPayloads({QStringLiteral("https://example.org")});
    EXPECT_TRUE(toolbar->qrAvailable());
    EXPECT_TRUE(toolbar->button(ToolKind::qrCode)->isActionable());
    overlay.canvas->setSelection(Rect{300, 300, 500, 300});
    EXPECT_FALSE(toolbar->qrAvailable()) << "a changed selection has not been scanned";
}

TEST(CanvasBars, ClickTraceReportsWhereTheToolbarAppeared) {
    FakePlatformScope scope;
    ClickTrace::setEnabled(true);
    {
        Overlay overlay;
        overlay.dragSelection({300, 600}, {900, 300});
    }
    ClickTrace::forget();
    const QString prefix =
        QStringLiteral("点击诊断·画布：工具栏出现在屏幕 (34.0,248.0,866.0×44.0)，窗口 key=");
    bool found = false;
    for (const QString& line : scope.logLines()) {
        if (line.startsWith(prefix)) {
            found = true;
            const QString key = line.mid(prefix.size());
            EXPECT_TRUE(key == QStringLiteral("是") || key == QStringLiteral("否")) << qPrintable(line);
        }
    }
    EXPECT_TRUE(found) << qPrintable(scope.logLines().join(QLatin1Char('\n')));
}

TEST(CanvasBars, StrokesRepaintOnlyWhatTheyTouch) {
    for (const ToolKind tool : {ToolKind::pen, ToolKind::mosaic}) {
        SCOPED_TRACE(qPrintable(ToolKinds::name(tool)));
        Overlay overlay;
        overlay.dragSelection({0, 1}, {1279, 800});
        ASSERT_EQ(overlay.canvas->selection(), (Rect{0, 1, 1279, 799}));
        overlay.canvas->handleToolbarSelection(tool);
        spin(30);
        QRegion painted;
        struct Recorder : QObject {
            QRegion* region = nullptr;
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint) {
                    *region += static_cast<QPaintEvent*>(event)->region();
                }
                return false;
            }
        } recorder;
        recorder.region = &painted;
        overlay.pressAt(overlay.at(Point{100, 400}));
        spin(30);
        overlay.canvas->installEventFilter(&recorder);
        for (int i = 1; i <= 20; ++i) {
            overlay.moveTo(overlay.at(Point{100.0 + 10 * i, 400.0 + (i % 2) * 5}));
            spin(5);
        }
        overlay.canvas->removeEventFilter(&recorder);
        overlay.releaseAt(overlay.at(Point{300, 400}));
        ASSERT_FALSE(painted.isEmpty());
        // The stroke spans 200 x 5 points; what was repainted stays close to it.
        const QRect box = painted.boundingRect();
        EXPECT_LT(box.width(), 260);
        EXPECT_LT(box.height(), 60);
    }
}

TEST(CanvasBars, DemoAnnotationsArriveWithTheBars) {
    FakePlatformScope scope;
    tessary::LaunchOptions options;
    options.demoSelection = true;
    options.demoAnnotations = true;
    OverlayCoordinator coordinator(options, scope.services());
    coordinator.begin();
    ASSERT_TRUE(coordinator.isActive());
    SelectionCanvasView* canvas = coordinator.canvases().first();
    ASSERT_TRUE(canvas->selection());
    EXPECT_EQ(canvas->store().items().size(), 6u) << "one annotation of each kind";
    ASSERT_NE(canvas->toolbar(), nullptr);
    EXPECT_TRUE(canvas->toolbar()->isVisibleTo(canvas));
    EXPECT_TRUE(canvas->toolbar()->button(ToolKind::undo)->isActionable());
    coordinator.finish();
    spin(20);
}

// Two displays side by side; the bars and the editor of the right one get their input through the
// left window, as they do under a pointer and keyboard grab.
namespace {
constexpr const char* barsTwoScreens = R"({ "screens": [
  { "name": "L", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 },
  { "name": "R", "x": 800, "y": 0, "width": 1000, "height": 600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 }
] })";
}

TEST(CanvasBars, TwoDisplays) {
    runInLayout("bars-two", barsTwoScreens, QStringLiteral("CanvasBarsTwoDisplays.*"), 1);
}

TEST(CanvasBarsTwoDisplays, GrabbedInputReachesTheOtherDisplaysBarsAndEditor) {
    if (!inLayout("bars-two")) {
        GTEST_SKIP() << "runs inside CanvasBars.TwoDisplays";
    }
    FakePlatformScope scope;
    OverlayCoordinator coordinator({}, scope.services());
    coordinator.begin();
    ASSERT_EQ(coordinator.windows().size(), 2);
    OverlayWindow* left = coordinator.windows()[0];
    SelectionCanvasView* right = coordinator.canvases()[1];
    const auto send = [&](QEvent::Type type, QPointF global) {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, left->mapFromGlobal(global), global,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(left->windowHandle(), &event);
    };
    const auto click = [&](QPointF global) {
        send(QEvent::MouseButtonPress, global);
        send(QEvent::MouseButtonRelease, global);
    };
    send(QEvent::MouseButtonPress, {1000, 100});
    send(QEvent::MouseMove, {1600, 300});
    send(QEvent::MouseButtonRelease, {1600, 300});
    ASSERT_EQ(right->selection(), (Rect{200, 300, 600, 200}));
    ToolbarView* toolbar = right->toolbar();
    ASSERT_TRUE(toolbar && toolbar->isVisibleTo(right));

    const auto globalOf = [](QWidget* w, QPoint local) { return QPointF(w->mapToGlobal(local)); };
    click(globalOf(toolbar, {4, 22})); // the toolbar's left padding
    EXPECT_EQ(right->selection(), (Rect{200, 300, 600, 200}));
    click(globalOf(toolbar->button(ToolKind::text), {24, 18}));
    ASSERT_EQ(right->activeTool(), ToolKind::text);

    click({1100, 200});
    AnnotationTextEditor* editor = right->textEditor();
    ASSERT_NE(editor, nullptr);
    for (const int key : {Qt::Key_H, Qt::Key_I}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(key).toLower()));
        QCoreApplication::sendEvent(left->windowHandle(), &press);
    }
    QKeyEvent commit(QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier);
    QCoreApplication::sendEvent(left->windowHandle(), &commit);
    EXPECT_EQ(right->textEditor(), nullptr);
    ASSERT_EQ(right->store().items().size(), 1u);
    const auto* text = std::get_if<tessary::TextShape>(&right->store().items()[0].shape);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->content, "hi");
    EXPECT_TRUE(coordinator.isActive()) << "typing never reached the session's keys";
    coordinator.finish();
    spin(20);
}
