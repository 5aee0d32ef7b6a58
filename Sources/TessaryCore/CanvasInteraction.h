#pragma once

#include "TessaryCore/CanvasCommand.h"
#include "TessaryCore/CanvasMode.h"
#include "TessaryCore/DrawingTool.h"
#include "TessaryCore/Geometry.h"

#include <functional>
#include <optional>

namespace tessary {

// Keys the canvas acts on (the view maps the key presses to these).
enum class CanvasKey { escape, enter, copy, undo, redo };

// The capture canvas's gestures and modes without any drawing: the selection, the one mode, the
// armed drawing tool. Every event changes them and returns what the view must do, in order.
// Points are canvas points, y up, within `bounds`.
class CanvasInteraction {
public:
    // Frame of the window under a press, when one may be taken as the selection.
    using WindowLookup = std::function<std::optional<Rect>(Point)>;

    explicit CanvasInteraction(Rect bounds) : bounds_(bounds) {}

    const Rect& bounds() const { return bounds_; }
    void setBounds(const Rect& bounds) { bounds_ = bounds; }
    const CanvasMode& mode() const { return mode_; }
    const std::optional<Rect>& selection() const { return selection_; }
    const std::optional<DrawingTool>& armedTool() const { return tool_; }

    template <typename Mode> bool is() const { return std::holds_alternative<Mode>(mode_); }
    // A press-drag-release gesture is under way.
    bool isDragging() const;
    // The magnifier is shown: the toolbar's picker or the loupe before a selection.
    bool showsPicker() const { return is<CanvasModes::PickingColor>() || is<CanvasModes::Loupe>(); }

    // Pointer.
    CanvasCommandList press(Point p, const WindowLookup& windowUnder);
    CanvasCommandList drag(Point p);
    CanvasCommandList release(Point p);
    CanvasCommandList pointerMoved(Point p);
    CanvasCommandList pointerExited();
    // Nothing when the key is not the canvas's; an empty list when it is swallowed.
    std::optional<CanvasCommandList> key(CanvasKey key);

    // Toolbar.
    CanvasCommandList toggleColorPicker();
    CanvasCommandList chooseTool(DrawingTool tool);

    // The editor ended by itself (its own Return or Escape) or is ended by the view.
    CanvasCommandList endTextEditing(bool commit);

    // Set from outside (the session, a script): no gesture, only the change.
    CanvasCommandList setSelection(const std::optional<Rect>& selection);
    // Another display took the selection: everything here is dropped.
    CanvasCommandList clearSelection();
    // The loupe shown when the overlays appear, sampling under `pointer` when it is on this canvas.
    CanvasCommandList showLoupe(std::optional<Point> pointer);
    // A scripted selection, as a drag would leave it.
    CanvasCommandList applySelection(const Rect& selection);

private:
    std::optional<CanvasCommandList> pressOnSelection(Point p, const Rect& s);

    Rect bounds_;
    CanvasMode mode_ = CanvasModes::Idle{};
    std::optional<Rect> selection_;
    std::optional<DrawingTool> tool_;
};

} // namespace tessary
