#include "TessaryCore/CanvasInteraction.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

using namespace tessary;
namespace C = CanvasCommands;
namespace M = CanvasModes;

namespace {

const Rect kBounds{0, 0, 800, 600};
const Rect kSelection{100, 100, 200, 150};
const Rect kWindow{50, 60, 300, 200};

std::optional<Rect> noWindow(Point) {
    return std::nullopt;
}
std::optional<Rect> overWindow(Point) {
    return kWindow;
}

// A canvas with `kSelection` released and the bars up, optionally with a tool armed.
CanvasInteraction selected(std::optional<DrawingTool> tool = std::nullopt) {
    CanvasInteraction canvas(kBounds);
    canvas.applySelection(kSelection);
    if (tool) {
        canvas.chooseTool(*tool);
    }
    return canvas;
}

struct Row {
    const char* name;
    std::function<CanvasInteraction()> given;
    std::function<CanvasCommandList(CanvasInteraction&)> when;
    CanvasMode mode;
    std::optional<Rect> selection;
    CanvasCommandList commands;
};

void check(const Row& row) {
    SCOPED_TRACE(row.name);
    CanvasInteraction canvas = row.given();
    const CanvasCommandList commands = row.when(canvas);
    EXPECT_TRUE(canvas.mode() == row.mode) << "mode index " << canvas.mode().index();
    EXPECT_EQ(canvas.selection(), row.selection);
    EXPECT_TRUE(commands == row.commands) << commands.size() << " commands";
}

} // namespace

TEST(CanvasInteractionTest, PointerGesturesMoveBetweenModes) {
    const Point p{400, 300};
    const Row rows[] = {
        {"press on the empty canvas starts a selection at a point",
         [] { return CanvasInteraction(kBounds); },
         [&](auto& c) { return c.press(p, noWindow); },
         M::Creating{p},
         Rect{400, 300, 0, 0},
         {C::BeginSelection{}, C::SelectionChanged{std::nullopt}, C::HideBars{}, C::Repaint{}}},
        {"press over a window takes its frame",
         [] { return CanvasInteraction(kBounds); },
         [&](auto& c) { return c.press(p, overWindow); },
         M::CreatingFromWindow{p, kWindow},
         kWindow,
         {C::BeginSelection{}, C::SelectionChanged{std::nullopt}, C::HideBars{}, C::Repaint{}}},
        {"a drag within the threshold keeps the window",
         [&] {
             CanvasInteraction c(kBounds);
             c.press(p, overWindow);
             return c;
         },
         [&](auto& c) {
             return c.drag({403, 302});
         },
         M::CreatingFromWindow{p, kWindow},
         kWindow,
         {C::SelectionChanged{kWindow}}},
        {"a drag past the threshold spans a rectangle instead",
         [&] {
             CanvasInteraction c(kBounds);
             c.press(p, overWindow);
             return c;
         },
         [&](auto& c) {
             return c.drag({410, 320});
         },
         M::Creating{p},
         Rect{400, 300, 10, 20},
         {C::SelectionChanged{kWindow}}},
        {"a drag outside the display is clamped to its edge",
         [&] {
             CanvasInteraction c(kBounds);
             c.press(p, noWindow);
             return c;
         },
         [&](auto& c) {
             return c.drag({900, -50});
         },
         M::Creating{p},
         Rect{400, 0, 400, 300},
         {C::SelectionChanged{Rect{400, 300, 0, 0}}}},
        {"a click becomes the loupe where it landed",
         [&] {
             CanvasInteraction c(kBounds);
             c.press(p, noWindow);
             c.drag({402, 301});
             return c;
         },
         [&](auto& c) {
             return c.release({402, 301});
         },
         M::Loupe{},
         std::nullopt,
         {C::SelectionChanged{Rect{400, 300, 2, 1}}, C::ShowLoupe{Point{402, 301}}, C::Repaint{}}},
        {"a released selection shows the bars",
         [&] {
             CanvasInteraction c(kBounds);
             c.press(p, noWindow);
             c.drag({500, 400});
             return c;
         },
         [&](auto& c) {
             return c.release({500, 400});
         },
         M::Idle{},
         Rect{400, 300, 100, 100},
         {C::Repaint{}, C::ShowBars{}}},
        {"press on a handle resizes",
         [] { return selected(); },
         [&](auto& c) {
             return c.press({300, 250}, noWindow);
         },
         M::Resizing{kSelection, SelectionHandle::topRight},
         kSelection,
         {C::HideBars{}}},
        {"resizing past the opposite edge flips",
         [] {
             CanvasInteraction c = selected();
             c.press({300, 250}, noWindow);
             return c;
         },
         [&](auto& c) {
             return c.drag({50, 50});
         },
         M::Resizing{kSelection, SelectionHandle::topRight},
         Rect{50, 50, 50, 50},
         {C::SelectionChanged{kSelection}}},
        {"press inside moves; the selection stays within the display",
         [] {
             CanvasInteraction c = selected();
             c.press({150, 150}, noWindow);
             return c;
         },
         [&](auto& c) {
             return c.drag({-500, 150});
         },
         M::Moving{kSelection, {150, 150}},
         Rect{0, 100, 200, 150},
         {C::SelectionChanged{kSelection}}},
        {"press outside a selection starts a new one without window snapping",
         [] { return selected(); },
         [&](auto& c) {
             return c.press({600, 500}, overWindow);
         },
         M::Creating{{600, 500}},
         Rect{600, 500, 0, 0},
         {C::BeginSelection{}, C::SelectionChanged{kSelection}, C::HideBars{}, C::Repaint{}}},
        {"the loupe goes at the next press",
         [] {
             CanvasInteraction c(kBounds);
             c.showLoupe(Point{10, 10});
             return c;
         },
         [&](auto& c) { return c.press(p, noWindow); },
         M::Creating{p},
         Rect{400, 300, 0, 0},
         {C::ForgetPicker{}, C::BeginSelection{}, C::SelectionChanged{std::nullopt}, C::HideBars{},
          C::Repaint{}}},
    };
    for (const Row& row : rows) {
        check(row);
    }
}

TEST(CanvasInteractionTest, ToolsDrawOnlyInsideTheSelection) {
    const Row rows[] = {
        {"a shape tool starts a draft at the press",
         [] { return selected(DrawingTool::rectangle); },
         [](auto& c) {
             return c.press({150, 150}, noWindow);
         },
         M::Annotating{{150, 150}},
         kSelection,
         {C::StartDraft{{150, 150}}, C::HideBars{}}},
        {"the draft follows the pointer clamped into the selection",
         [] {
             CanvasInteraction c = selected(DrawingTool::pen);
             c.press({150, 150}, noWindow);
             return c;
         },
         [](auto& c) {
             return c.drag({700, 20});
         },
         M::Annotating{{150, 150}},
         kSelection,
         {C::ExtendDraft{{150, 150}, {300, 100}}}},
        {"release keeps the draft and brings the bars back",
         [] {
             CanvasInteraction c = selected(DrawingTool::arrow);
             c.press({150, 150}, noWindow);
             return c;
         },
         [](auto& c) {
             return c.release({200, 200});
         },
         M::Idle{},
         kSelection,
         {C::FinishDraft{}, C::ShowBars{}}},
        {"a press beside the selection with a tool armed does nothing",
         [] { return selected(DrawingTool::ellipse); },
         [](auto& c) {
             return c.press({600, 500}, noWindow);
         },
         M::Idle{},
         kSelection,
         {}},
        {"a sticker lands at the press",
         [] { return selected(DrawingTool::sticker); },
         [](auto& c) {
             return c.press({120, 130}, noWindow);
         },
         M::Idle{},
         kSelection,
         {C::PlaceSticker{{120, 130}}}},
        {"the text tool opens the editor",
         [] { return selected(DrawingTool::text); },
         [](auto& c) {
             return c.press({120, 130}, noWindow);
         },
         M::EditingText{},
         kSelection,
         {C::HideBars{}, C::OpenTextEditor{{120, 130}}}},
        {"a press while typing commits the text and nothing else",
         [] {
             CanvasInteraction c = selected(DrawingTool::text);
             c.press({120, 130}, noWindow);
             return c;
         },
         [](auto& c) {
             return c.press({600, 500}, overWindow);
         },
         M::Idle{},
         kSelection,
         {C::CloseTextEditor{true}}},
        {"a release while typing is ignored",
         [] {
             CanvasInteraction c = selected(DrawingTool::text);
             c.press({120, 130}, noWindow);
             return c;
         },
         [](auto& c) {
             return c.release({120, 130});
         },
         M::EditingText{},
         kSelection,
         {}},
        {"choosing another tool drops the text being typed",
         [] {
             CanvasInteraction c = selected(DrawingTool::text);
             c.press({120, 130}, noWindow);
             return c;
         },
         [](auto& c) { return c.chooseTool(DrawingTool::pen); },
         M::Idle{},
         kSelection,
         {C::CloseTextEditor{false}, C::SyncBars{}, C::Repaint{}}},
        {"the picker replaces the editor",
         [] {
             CanvasInteraction c = selected(DrawingTool::text);
             c.press({120, 130}, noWindow);
             return c;
         },
         [](auto& c) { return c.toggleColorPicker(); },
         M::PickingColor{},
         kSelection,
         {C::CloseTextEditor{false}, C::ForgetPicker{}, C::TrackPicker{std::nullopt}, C::Repaint{},
          C::SyncBars{}}},
        {"a press with the picker copies the colour and keeps the selection",
         [] {
             CanvasInteraction c = selected(DrawingTool::pen);
             c.toggleColorPicker();
             return c;
         },
         [](auto& c) {
             return c.press({600, 500}, overWindow);
         },
         M::PickingColor{},
         kSelection,
         {C::TrackPicker{Point{600, 500}}, C::CopyColor{true, false}}},
        {"a tool puts the picker away",
         [] {
             CanvasInteraction c = selected();
             c.toggleColorPicker();
             return c;
         },
         [](auto& c) { return c.chooseTool(DrawingTool::mosaic); },
         M::Idle{},
         kSelection,
         {C::ForgetPicker{}, C::SyncBars{}, C::Repaint{}}},
        {"the picker toggles off",
         [] {
             CanvasInteraction c = selected();
             c.toggleColorPicker();
             return c;
         },
         [](auto& c) { return c.toggleColorPicker(); },
         M::Idle{},
         kSelection,
         {C::ForgetPicker{}, C::Repaint{}, C::SyncBars{}}},
        {"another display's selection drops the editor and everything else",
         [] {
             CanvasInteraction c = selected(DrawingTool::text);
             c.press({120, 130}, noWindow);
             return c;
         },
         [](auto& c) { return c.clearSelection(); },
         M::Idle{},
         std::nullopt,
         {C::CloseTextEditor{false}, C::SelectionChanged{kSelection}, C::DiscardDraft{},
          C::ClearPointerHints{}, C::ForgetPicker{}, C::HideBars{}}},
    };
    for (const Row& row : rows) {
        check(row);
    }
}

TEST(CanvasInteractionTest, ArmedToolToggles) {
    CanvasInteraction canvas = selected(DrawingTool::pen);
    EXPECT_EQ(canvas.armedTool(), DrawingTool::pen);
    canvas.chooseTool(DrawingTool::pen);
    EXPECT_EQ(canvas.armedTool(), std::nullopt);
    canvas.chooseTool(DrawingTool::arrow);
    canvas.toggleColorPicker();
    EXPECT_EQ(canvas.armedTool(), std::nullopt) << "the picker puts the tool down";
}

TEST(CanvasInteractionTest, KeysDependOnTheMode) {
    struct KeyRow {
        const char* name;
        std::function<CanvasInteraction()> given;
        CanvasKey key;
        std::optional<CanvasCommandList> commands;
    };
    const auto editing = [] {
        CanvasInteraction c = selected(DrawingTool::text);
        c.press({120, 130}, noWindow);
        return c;
    };
    const auto loupe = [] {
        CanvasInteraction c(kBounds);
        c.showLoupe(std::nullopt);
        return c;
    };
    const KeyRow rows[] = {
        {"Escape ends the session", [] { return CanvasInteraction(kBounds); }, CanvasKey::escape,
         CanvasCommandList{C::EndSession{}}},
        {"Escape while typing stays with the editor", editing, CanvasKey::escape, CanvasCommandList{}},
        {"Return while typing stays with the editor", editing, CanvasKey::enter, CanvasCommandList{}},
        {"Return without a selection does nothing", [] { return CanvasInteraction(kBounds); },
         CanvasKey::enter, CanvasCommandList{}},
        {"Return with a selection confirms", [] { return selected(); }, CanvasKey::enter,
         CanvasCommandList{C::Confirm{}}},
        {"copy in the loupe takes the picked colour first", loupe, CanvasKey::copy,
         CanvasCommandList{C::CopyColor{true, true}}},
        {"copy over the desktop takes the readout's colour", [] { return CanvasInteraction(kBounds); },
         CanvasKey::copy, CanvasCommandList{C::CopyColor{false, true}}},
        {"undo", [] { return selected(); }, CanvasKey::undo, CanvasCommandList{C::Undo{}}},
        {"redo", [] { return selected(); }, CanvasKey::redo, CanvasCommandList{C::Redo{}}},
    };
    for (const KeyRow& row : rows) {
        SCOPED_TRACE(row.name);
        CanvasInteraction canvas = row.given();
        EXPECT_TRUE(canvas.key(row.key) == row.commands);
    }
}

TEST(CanvasInteractionTest, HoverFollowsThePointerOrThePicker) {
    const auto expect = [](const CanvasCommandList& actual, const CanvasCommandList& expected,
                           const char* what) { EXPECT_TRUE(actual == expected) << what; };
    CanvasInteraction canvas(kBounds);
    expect(canvas.pointerMoved({800, 600}), {C::TrackPointerGuide{{800, 600}}},
           "the top-right corner is still on the display");
    expect(canvas.pointerMoved({801, 600}), {C::ClearPointerHints{}}, "off the display");
    expect(canvas.pointerExited(), {C::ClearPointerHints{}}, "leaving");

    expect(canvas.showLoupe(Point{900, 10}), {C::ShowLoupe{std::nullopt}},
           "a pointer on another display samples nothing here");
    expect(canvas.pointerMoved({801, 600}), {C::TrackPicker{Point{801, 600}}}, "the loupe follows");
    expect(canvas.pointerExited(), {C::ClearPointerHints{}, C::ForgetPicker{}},
           "the loupe goes with the pointer");

    CanvasInteraction withSelection = selected();
    expect(withSelection.pointerMoved({10, 10}), {C::ClearPointerHints{}},
           "no readout once something is selected");
    EXPECT_FALSE(withSelection.isDragging());
}
