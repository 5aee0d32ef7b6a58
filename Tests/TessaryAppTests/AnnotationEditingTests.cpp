#include "OverlayTestSupport.h"

#include "Overlay/Annotations/AnnotationTextEditor.h"
#include "Overlay/Bars/ToolButton.h"
#include "Overlay/Bars/ToolbarView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace OverlayTest;
using tessary::Point;
using tessary::Rect;

namespace {

// A canvas over a flat grey display, so that drawn ink is easy to find in the exported image.
CapturedDisplay flatDisplay(QSize points) {
    CapturedDisplay display;
    display.image = QImage(points, QImage::Format_RGB32);
    display.image.fill(QColor(128, 128, 128));
    display.scale = 1;
    display.frame = {0, 0, double(points.width()), double(points.height())};
    display.geometry = QRect(QPoint(0, 0), points);
    return display;
}

// Types ASCII text; a line feed is the Return key.
void typeText(QWidget* editor, const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            QTest::keyClick(editor, Qt::Key_Return);
        }
        QTest::keyClicks(editor, lines[i]);
    }
}

struct Canvas {
    RecordingDelegate delegate;
    std::unique_ptr<SelectionCanvasView> view;

    explicit Canvas(Rect selection, QSize points = {800, 600}) {
        view = std::make_unique<SelectionCanvasView>(flatDisplay(points),
                                                     std::vector<tessary::OnScreenWindow>{});
        view->setDelegate(&delegate);
        view->setSelection(selection);
        view->showBars();
        // Shown, so that the editor lays its text out at its real width.
        view->show();
    }
    SelectionCanvasView* operator->() const { return view.get(); }
    SelectionCanvasView* get() const { return view.get(); }
    std::size_t count() const { return view->store().items().size(); }

    // Opens the editor with the text tool at `p` and types `text` into it.
    AnnotationTextEditor* typeAt(Point p, const QString& text) {
        if (view->activeTool() != ToolKind::text) {
            view->handleToolbarSelection(ToolKind::text);
        }
        press(view.get(), p);
        release(view.get(), p);
        AnnotationTextEditor* editor = view->textEditor();
        if (editor) {
            typeText(editor, text);
        }
        return editor;
    }
};

void commitKeys(QWidget* editor) {
    QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
}

const tessary::TextShape* textAt(const SelectionCanvasView* canvas, std::size_t index) {
    const auto& items = const_cast<SelectionCanvasView*>(canvas)->store().items();
    return index < items.size() ? std::get_if<tessary::TextShape>(&items[index].shape) : nullptr;
}

} // namespace

TEST(AnnotationEditing, StrokesAreThinnedAndAStillPressStoresNothing) {
    for (const ToolKind tool : {ToolKind::pen, ToolKind::mosaic}) {
        SCOPED_TRACE(qPrintable(ToolKinds::name(tool)));
        Canvas canvas({0, 0, 400, 400});
        canvas->handleToolbarSelection(tool);
        press(canvas.get(), {50, 50});
        release(canvas.get(), {50, 50});
        EXPECT_EQ(canvas.count(), 0u) << "one point is not a stroke";

        // One-point steps: 51 is too close to 50, 52 is recorded, and so on.
        press(canvas.get(), {50, 50});
        for (int i = 1; i <= 8; ++i) {
            drag(canvas.get(), {50.0 + i, 50});
        }
        release(canvas.get(), {58, 50});
        ASSERT_EQ(canvas.count(), 1u);
        const auto& shape = canvas->store().items()[0].shape;
        const std::vector<Point>* points = nullptr;
        if (const auto* pen = std::get_if<tessary::PenShape>(&shape)) {
            points = &pen->points;
        } else if (const auto* mosaic = std::get_if<tessary::MosaicShape>(&shape)) {
            points = &mosaic->points;
        }
        ASSERT_NE(points, nullptr);
        EXPECT_EQ(*points, (std::vector<Point>{{50, 50}, {52, 50}, {54, 50}, {56, 50}, {58, 50}}));
    }
}

TEST(AnnotationEditing, EditorWidthAndPlacementFollowTheSelection) {
    using W = tessary::AnnotationWeight;
    const struct {
        const char* name;
        Rect selection;
        Point press;
        W weight;
        Rect frame; // y up: minY = top - minimum height
    } cases[] = {
        {"50 points from the right edge: 120 wide, ending at the edge",
         {100, 100, 500, 300},
         {550, 300},
         W::medium,
         {480, 264, 120, 36}},
        {"plenty of room: 420 wide from the press",
         {100, 100, 600, 300},
         {150, 300},
         W::medium,
         {150, 264, 420, 36}},
        {"room between the limits: up to the right edge",
         {100, 100, 500, 300},
         {300, 300},
         W::light,
         {300, 273, 300, 27}},
        {"narrow selection: as wide as the selection",
         {100, 100, 80, 300},
         {150, 300},
         W::medium,
         {100, 264, 80, 36}},
        {"press near the bottom: raised by one line",
         {100, 100, 500, 300},
         {200, 110},
         W::medium,
         {200, 100, 400, 36}},
        {"heavy text near the bottom", {100, 100, 500, 300}, {200, 101}, W::heavy, {200, 100, 400, 50.4}},
        {"selection lower than a line: starts at its top",
         {100, 100, 500, 20},
         {200, 105},
         W::medium,
         {200, 84, 400, 36}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(c.selection);
        tessary::AnnotationStyle style = canvas->style();
        style.weight = c.weight;
        canvas->setStyle(style);
        AnnotationTextEditor* editor = canvas.typeAt(c.press, {});
        ASSERT_NE(editor, nullptr);
        EXPECT_NEAR(editor->frame().x, c.frame.x, 1e-9);
        EXPECT_NEAR(editor->frame().width, c.frame.width, 1e-9);
        EXPECT_NEAR(editor->frame().maxY(), c.frame.maxY(), 1e-9);
        EXPECT_NEAR(editor->frame().height, c.frame.height, 1e-9);
        EXPECT_EQ(editor->font().pixelSize(), int(tessary::fontSize(c.weight)));
        EXPECT_EQ(editor->font().weight(), QFont::DemiBold);
        EXPECT_FALSE(canvas->toolbar()->isVisibleTo(canvas.get())) << "bars hide while typing";
        EXPECT_FALSE(canvas->interaction().isDragging());
    }
}

TEST(AnnotationEditing, CommittingStoresTheTextWhereItWasTyped) {
    const struct {
        const char* name;
        QString typed;
        bool stored;
    } cases[] = {
        {"blank text stores nothing", QStringLiteral("   "), false},
        {"line breaks alone store nothing", QStringLiteral("\n\n"), false},
        {"text is stored untrimmed", QStringLiteral(" Hi "), true},
        {"several lines", QStringLiteral("one\ntwo"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas({100, 100, 500, 300});
        AnnotationTextEditor* editor = canvas.typeAt({200, 300}, c.typed);
        ASSERT_NE(editor, nullptr);
        const Rect frame = editor->frame();
        commitKeys(editor);
        EXPECT_EQ(canvas->textEditor(), nullptr);
        EXPECT_TRUE(canvas->toolbar()->isVisibleTo(canvas.get())) << "bars come back";
        ASSERT_EQ(canvas.count(), c.stored ? 1u : 0u);
        EXPECT_EQ(canvas->toolbar()->button(ToolKind::undo)->isActionable(), c.stored);
        if (c.stored) {
            const tessary::TextShape* text = textAt(canvas.get(), 0);
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(QString::fromStdString(text->content), c.typed);
            EXPECT_EQ(text->origin, (Point{frame.minX() + 4, frame.maxY() - 4}));
        }
    }
}

TEST(AnnotationEditing, EditorKeysStayInTheEditor) {
    Canvas canvas({100, 100, 500, 300});
    canvas->handleToolbarSelection(ToolKind::rectangle);
    dragFromTo(canvas.get(), {150, 150}, {250, 250});
    ASSERT_EQ(canvas.count(), 1u);

    AnnotationTextEditor* editor = canvas.typeAt({200, 300}, QStringLiteral("a"));
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("b"));
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("a\nb")) << "Return alone breaks the line";
    EXPECT_EQ(canvas->textEditor(), editor);

    // Keys that reach the canvas while the editor is open do nothing there.
    key(canvas.get(), Qt::Key_Z, Qt::ControlModifier);
    key(canvas.get(), Qt::Key_Return);
    key(canvas.get(), Qt::Key_Escape);
    EXPECT_EQ(canvas.count(), 1u);
    EXPECT_EQ(canvas.delegate.confirms, 0);
    EXPECT_EQ(canvas.delegate.finishes, 0);

    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(canvas->textEditor(), nullptr) << "Escape closes the editor";
    EXPECT_EQ(canvas.delegate.finishes, 0) << "and not the capture session";
    EXPECT_EQ(canvas.count(), 1u);
    EXPECT_TRUE(canvas->toolbar()->isVisibleTo(canvas.get()));
}

TEST(AnnotationEditing, APressOnTheCanvasOnlyCommits) {
    Canvas canvas({100, 100, 500, 300});
    AnnotationTextEditor* editor = canvas.typeAt({200, 300}, QStringLiteral("note"));
    ASSERT_NE(editor, nullptr);
    // Outside the selection: would start a new selection if the editor were not open.
    press(canvas.get(), {700, 500});
    drag(canvas.get(), {750, 550});
    release(canvas.get(), {750, 550});
    EXPECT_EQ(canvas->textEditor(), nullptr);
    EXPECT_EQ(canvas->selection(), (Rect{100, 100, 500, 300}));
    EXPECT_TRUE(canvas.delegate.began.empty());
    ASSERT_EQ(canvas.count(), 1u);
    EXPECT_NE(textAt(canvas.get(), 0), nullptr);
}

TEST(AnnotationEditing, LeavingTheEditorAnyOtherWayDropsTheText) {
    const struct {
        const char* name;
        std::function<void(SelectionCanvasView*)> action;
    } cases[] = {
        {"choosing a tool", [](SelectionCanvasView* c) { c->handleToolbarSelection(ToolKind::rectangle); }},
        {"choosing the text tool again",
         [](SelectionCanvasView* c) { c->handleToolbarSelection(ToolKind::text); }},
        {"the colour picker",
         [](SelectionCanvasView* c) { c->handleToolbarSelection(ToolKind::colorPicker); }},
        {"clearing the selection", [](SelectionCanvasView* c) { c->clearSelection(); }},
        {"producing the final image", [](SelectionCanvasView* c) { (void)c->renderedImage(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas({100, 100, 500, 300});
        ASSERT_NE(canvas.typeAt({200, 300}, QStringLiteral("typed")), nullptr);
        c.action(canvas.get());
        EXPECT_EQ(canvas->textEditor(), nullptr);
        EXPECT_EQ(canvas.count(), 0u);
    }
}

TEST(AnnotationEditing, InputMethodTextIsStored) {
    Canvas canvas({100, 100, 500, 300});
    AnnotationTextEditor* editor = canvas.typeAt({200, 300}, {});
    ASSERT_NE(editor, nullptr);
    QInputMethodEvent composing(QStringLiteral("zhong"), {});
    QCoreApplication::sendEvent(editor, &composing);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("中文あ"));
    QCoreApplication::sendEvent(editor, &commit);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("中文あ"));
    commitKeys(editor);
    const tessary::TextShape* text = textAt(canvas.get(), 0);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->content, "中文あ");
}

TEST(AnnotationEditing, PastingGivesBoundedPlainText) {
    Canvas canvas({100, 100, 500, 300});
    AnnotationTextEditor* editor = canvas.typeAt({200, 300}, {});
    ASSERT_NE(editor, nullptr);
    auto* rich = new QMimeData;
    rich->setHtml(QStringLiteral("<b style='color:#0000ff'>bold</b>"));
    rich->setText(QStringLiteral("bold"));
    QGuiApplication::clipboard()->setMimeData(rich);
    editor->paste();
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("bold"));
    const QString html = editor->document()->toHtml();
    EXPECT_FALSE(html.contains(QStringLiteral("#0000ff"))) << "no rich formatting came in";
    EXPECT_FALSE(html.contains(QStringLiteral("font-weight:700")));

    auto* huge = new QMimeData;
    huge->setText(QString(200000, QLatin1Char('x')) + QStringLiteral("\n").repeated(5000));
    QGuiApplication::clipboard()->setMimeData(huge);
    editor->paste();
    EXPECT_LE(editor->toPlainText().size(), AnnotationTextEditor::maximumPasteLength);
    EXPECT_GE(editor->frame().minY(), 100.0) << "the editor never reaches below the selection";
    EXPECT_EQ(editor->frame().maxY(), 300.0) << "it grows downwards from where it opened";
}

TEST(AnnotationEditing, EditorGrowsDownwardsWithItsText) {
    Canvas canvas({100, 100, 500, 400});
    AnnotationTextEditor* editor = canvas.typeAt({200, 450}, QStringLiteral("line"));
    ASSERT_NE(editor, nullptr);
    const Rect oneLine = editor->frame();
    EXPECT_EQ(oneLine.height, AnnotationTextEditor::minimumHeight(tessary::AnnotationWeight::medium));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("line"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("line"));
    const Rect threeLines = editor->frame();
    EXPECT_EQ(threeLines.maxY(), oneLine.maxY());
    EXPECT_EQ(threeLines.width, oneLine.width);
    EXPECT_GT(threeLines.height, oneLine.height + 20);
    EXPECT_NEAR(threeLines.height, editor->usedTextHeight() + 8, 0.5);
    // The widget follows the frame (y down in the canvas).
    const QRectF widget = CoordinateSpace::toWidget(threeLines, canvas->height());
    EXPECT_NEAR(editor->geometry().top(), widget.top(), 0.5);
    EXPECT_NEAR(editor->geometry().height(), widget.height(), 1);
}

TEST(AnnotationEditing, ExportedTextSitsInsideTheEditorFrame) {
    Canvas canvas({100, 100, 500, 300});
    AnnotationTextEditor* editor = canvas.typeAt({200, 300}, QStringLiteral("Mg"));
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("Wy"));
    const Rect frame = editor->frame();
    commitKeys(editor);
    ASSERT_EQ(canvas.count(), 1u);

    const QImage image = canvas->renderedImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(500, 300));
    // Red ink: the text colour, not the light halo around it.
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 90 && c.blue() < 90) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    ASSERT_FALSE(ink.isEmpty());
    // Image rows run down from the selection's top (y = 400 in the canvas).
    const Rect inkInCanvas{100.0 + ink.left(), 400.0 - ink.bottom() - 1, double(ink.width()),
                           double(ink.height())};
    EXPECT_GE(inkInCanvas.minX(), frame.minX());
    EXPECT_LE(inkInCanvas.maxX(), frame.maxX());
    EXPECT_GE(inkInCanvas.minY(), frame.minY());
    EXPECT_LE(inkInCanvas.maxY(), frame.maxY());
    EXPECT_GT(inkInCanvas.height, frame.height / 2) << "both lines were drawn";
}

TEST(AnnotationEditing, StickersUndoAndRedo) {
    Canvas canvas({0, 0, 400, 400});
    canvas->handleToolbarSelection(ToolKind::sticker);
    for (const Point p : {Point{50, 50}, Point{100, 100}, Point{150, 150}}) {
        press(canvas.get(), p);
        release(canvas.get(), p);
    }
    ASSERT_EQ(canvas.count(), 3u);
    for (std::size_t left = 3; left > 0; --left) {
        key(canvas.get(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(canvas.count(), left - 1);
    }
    EXPECT_FALSE(canvas->store().canUndo());
    EXPECT_FALSE(canvas->toolbar()->button(ToolKind::undo)->isActionable());

    key(canvas.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(canvas.count(), 1u) << "redo brings the first sticker back";
    key(canvas.get(), Qt::Key_Z, Qt::ControlModifier);
    // A new annotation after an undo ends the redo history.
    canvas->handleToolbarSelection(ToolKind::rectangle);
    dragFromTo(canvas.get(), {200, 200}, {300, 300});
    ASSERT_EQ(canvas.count(), 1u);
    key(canvas.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(canvas.count(), 1u);
    EXPECT_NE(std::get_if<tessary::RectangleShape>(&canvas->store().items()[0].shape), nullptr);
}
