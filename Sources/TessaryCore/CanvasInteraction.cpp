#include "TessaryCore/CanvasInteraction.h"

namespace tessary {

namespace SG = SelectionGeometry;
namespace C = CanvasCommands;
namespace M = CanvasModes;

bool CanvasInteraction::isDragging() const {
    return is<M::Creating>() || is<M::CreatingFromWindow>() || is<M::Moving>() || is<M::Resizing>() ||
           is<M::Annotating>();
}

CanvasCommandList CanvasInteraction::setSelection(const std::optional<Rect>& selection) {
    const std::optional<Rect> before = selection_;
    selection_ = selection;
    return {C::SelectionChanged{before}};
}

CanvasCommandList CanvasInteraction::press(Point p, const WindowLookup& windowUnder) {
    if (is<M::PickingColor>()) {
        return {C::TrackPicker{p}, C::CopyColor{true, false}};
    }
    CanvasCommandList out;
    if (is<M::Loupe>()) {
        mode_ = M::Idle{};
        out.push_back(C::ForgetPicker{});
    }
    if (is<M::EditingText>()) {
        // The press only drops the text being typed.
        mode_ = M::Idle{};
        out.push_back(C::CloseTextEditor{true});
        return out;
    }
    if (selection_) {
        if (std::optional<CanvasCommandList> onSelection = pressOnSelection(p, *selection_)) {
            out.insert(out.end(), onSelection->begin(), onSelection->end());
            return out;
        }
    }
    // A new selection; window snapping only applies when nothing was selected.
    const std::optional<Rect> window = !selection_ && windowUnder ? windowUnder(p) : std::nullopt;
    out.push_back(C::BeginSelection{});
    if (window) {
        mode_ = M::CreatingFromWindow{p, *window};
    } else {
        mode_ = M::Creating{p};
    }
    for (CanvasCommand& command : setSelection(window ? *window : Rect{p.x, p.y, 0, 0})) {
        out.push_back(std::move(command));
    }
    out.push_back(C::HideBars{});
    out.push_back(C::Repaint{});
    return out;
}

// What a press on or around an existing selection does; nothing when it starts a new one.
std::optional<CanvasCommandList> CanvasInteraction::pressOnSelection(Point p, const Rect& s) {
    if (const auto handle = SG::hitHandle(s, p)) {
        mode_ = M::Resizing{s, *handle};
        return CanvasCommandList{C::HideBars{}};
    }
    if (tool_) {
        if (!SG::containsClosed(s, p)) {
            // A tool stays armed; a press beside the selection neither draws nor reselects.
            return CanvasCommandList{};
        }
        const Point at = SG::clamp(p, s);
        switch (*tool_) {
        case DrawingTool::sticker:
            return CanvasCommandList{C::PlaceSticker{at}};
        case DrawingTool::text:
            mode_ = M::EditingText{};
            return CanvasCommandList{C::HideBars{}, C::OpenTextEditor{at}};
        default:
            mode_ = M::Annotating{at};
            return CanvasCommandList{C::StartDraft{at}, C::HideBars{}};
        }
    }
    if (SG::containsClosed(s, p)) {
        mode_ = M::Moving{s, p};
        return CanvasCommandList{C::HideBars{}};
    }
    return std::nullopt;
}

CanvasCommandList CanvasInteraction::drag(Point p) {
    if (is<M::PickingColor>()) {
        return {C::TrackPicker{p}};
    }
    const Point q = SG::clamp(p, bounds_);
    if (const auto* creating = std::get_if<M::Creating>(&mode_)) {
        return setSelection(SG::spanned(creating->anchor, q));
    }
    if (const auto* window = std::get_if<M::CreatingFromWindow>(&mode_)) {
        if (SG::exceedsWindowDragThreshold(window->anchor, q)) {
            const Point anchor = window->anchor;
            mode_ = M::Creating{anchor};
            return setSelection(SG::spanned(anchor, q));
        }
        return setSelection(window->windowRect);
    }
    if (const auto* moving = std::get_if<M::Moving>(&mode_)) {
        return setSelection(SG::moved(moving->origin, moving->grabbedAt, q, bounds_));
    }
    if (const auto* resizing = std::get_if<M::Resizing>(&mode_)) {
        return setSelection(SG::resized(resizing->origin, resizing->handle, q));
    }
    if (const auto* annotating = std::get_if<M::Annotating>(&mode_)) {
        if (selection_) {
            return {C::ExtendDraft{annotating->anchor, SG::clamp(p, *selection_)}};
        }
    }
    return {};
}

CanvasCommandList CanvasInteraction::release(Point p) {
    if (is<M::EditingText>()) {
        return {};
    }
    if (is<M::PickingColor>()) {
        return {C::TrackPicker{p}};
    }
    const bool wasAnnotating = is<M::Annotating>();
    if (isDragging()) {
        mode_ = M::Idle{};
    }
    if (wasAnnotating) {
        return {C::FinishDraft{}, C::ShowBars{}};
    }
    if (selection_ &&
        (selection_->width < SG::minimumSelectionSide || selection_->height < SG::minimumSelectionSide)) {
        // A click, not a selection: show the loupe where it landed.
        CanvasCommandList out = setSelection(std::nullopt);
        mode_ = M::Loupe{};
        out.push_back(C::ShowLoupe{SG::containsClosed(bounds_, p) ? std::optional<Point>(p) : std::nullopt});
        out.push_back(C::Repaint{});
        return out;
    }
    if (selection_) {
        return {C::Repaint{}, C::ShowBars{}};
    }
    return {C::Repaint{}};
}

CanvasCommandList CanvasInteraction::pointerMoved(Point p) {
    if (showsPicker()) {
        return {C::TrackPicker{p}};
    }
    // Closed bounds: the top row of pixels sits at y = height once flipped.
    if (!selection_ && SG::containsClosed(bounds_, p)) {
        return {C::TrackPointerGuide{p}};
    }
    return {C::ClearPointerHints{}};
}

CanvasCommandList CanvasInteraction::pointerExited() {
    if (showsPicker()) {
        return {C::ClearPointerHints{}, C::ForgetPicker{}};
    }
    return {C::ClearPointerHints{}};
}

std::optional<CanvasCommandList> CanvasInteraction::key(CanvasKey key) {
    if (is<M::EditingText>()) {
        // The editor has the keyboard; nothing typed there may act on the canvas or the session.
        return CanvasCommandList{};
    }
    switch (key) {
    case CanvasKey::escape:
        return CanvasCommandList{C::EndSession{}};
    case CanvasKey::enter:
        if (selection_) {
            return CanvasCommandList{C::Confirm{}};
        }
        return CanvasCommandList{};
    case CanvasKey::copy:
        return CanvasCommandList{C::CopyColor{showsPicker(), true}};
    case CanvasKey::undo:
        return CanvasCommandList{C::Undo{}};
    case CanvasKey::redo:
        return CanvasCommandList{C::Redo{}};
    }
    return std::nullopt;
}

CanvasCommandList CanvasInteraction::toggleColorPicker() {
    if (is<M::PickingColor>()) {
        mode_ = M::Idle{};
        return {C::ForgetPicker{}, C::Repaint{}, C::SyncBars{}};
    }
    CanvasCommandList out;
    if (is<M::EditingText>()) {
        out.push_back(C::CloseTextEditor{false});
    }
    mode_ = M::PickingColor{};
    tool_.reset();
    out.push_back(C::ForgetPicker{});
    out.push_back(C::TrackPicker{std::nullopt});
    out.push_back(C::Repaint{});
    out.push_back(C::SyncBars{});
    return out;
}

CanvasCommandList CanvasInteraction::chooseTool(DrawingTool tool) {
    CanvasCommandList out;
    if (is<M::PickingColor>()) {
        mode_ = M::Idle{};
        out.push_back(C::ForgetPicker{});
    }
    // Choosing the armed tool again puts it down.
    tool_ = tool_ == tool ? std::nullopt : std::optional<DrawingTool>(tool);
    if (is<M::EditingText>()) {
        mode_ = M::Idle{};
        out.push_back(C::CloseTextEditor{false});
    }
    out.push_back(C::SyncBars{});
    out.push_back(C::Repaint{});
    return out;
}

CanvasCommandList CanvasInteraction::endTextEditing(bool commit) {
    if (!is<M::EditingText>()) {
        return {};
    }
    mode_ = M::Idle{};
    return {C::CloseTextEditor{commit}};
}

CanvasCommandList CanvasInteraction::clearSelection() {
    CanvasCommandList out = endTextEditing(false);
    for (CanvasCommand& command : setSelection(std::nullopt)) {
        out.push_back(std::move(command));
    }
    mode_ = M::Idle{};
    out.push_back(C::DiscardDraft{});
    out.push_back(C::ClearPointerHints{});
    out.push_back(C::ForgetPicker{});
    out.push_back(C::HideBars{});
    return out;
}

CanvasCommandList CanvasInteraction::showLoupe(std::optional<Point> pointer) {
    mode_ = M::Loupe{};
    if (pointer && !SG::containsClosed(bounds_, *pointer)) {
        pointer.reset();
    }
    CanvasCommandList out{C::ShowLoupe{pointer}};
    if (pointer) {
        out.push_back(C::Repaint{});
    }
    return out;
}

CanvasCommandList CanvasInteraction::applySelection(const Rect& selection) {
    CanvasCommandList out;
    // As a press would: a scripted selection replaces the loupe shown at presentation.
    if (is<M::Loupe>()) {
        mode_ = M::Idle{};
        out.push_back(C::ForgetPicker{});
    }
    out.push_back(C::ClearPointerHints{});
    for (CanvasCommand& command : setSelection(selection)) {
        out.push_back(std::move(command));
    }
    out.push_back(C::Repaint{});
    out.push_back(C::ShowBars{});
    return out;
}

} // namespace tessary
