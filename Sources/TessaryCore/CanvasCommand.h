#pragma once

#include "TessaryCore/Geometry.h"

#include <optional>
#include <variant>
#include <vector>

namespace tessary {

// What the canvas view must do after a transition of its interaction, in order.
namespace CanvasCommands {

// A press started a new selection: the session is told, the pointer hints go.
struct BeginSelection {
    friend bool operator==(const BeginSelection&, const BeginSelection&) = default;
};
// The selection changed from `before`: repaint, rescan, drop the notice.
struct SelectionChanged {
    std::optional<Rect> before;
    friend bool operator==(const SelectionChanged&, const SelectionChanged&) = default;
};
struct ShowBars {
    friend bool operator==(const ShowBars&, const ShowBars&) = default;
};
struct HideBars {
    friend bool operator==(const HideBars&, const HideBars&) = default;
};
// The armed tool or the picker changed: the toolbar's highlight and the style bar follow.
struct SyncBars {
    friend bool operator==(const SyncBars&, const SyncBars&) = default;
};
struct ClearPointerHints {
    friend bool operator==(const ClearPointerHints&, const ClearPointerHints&) = default;
};
// The crosshair, readout and hovered window follow the pointer.
struct TrackPointerGuide {
    Point at;
    friend bool operator==(const TrackPointerGuide&, const TrackPointerGuide&) = default;
};
// The magnifier samples under `at`; without a point, under the pointer wherever it is.
struct TrackPicker {
    std::optional<Point> at;
    friend bool operator==(const TrackPicker&, const TrackPicker&) = default;
};
struct ForgetPicker {
    friend bool operator==(const ForgetPicker&, const ForgetPicker&) = default;
};
// The loupe opens: no "copied" mark, no pointer hints, sampling under `at` when given.
struct ShowLoupe {
    std::optional<Point> at;
    friend bool operator==(const ShowLoupe&, const ShowLoupe&) = default;
};
// Copies the picked colour (when `picked` and there is one), else the readout's (when `orGuide`).
struct CopyColor {
    bool picked = false;
    bool orGuide = false;
    friend bool operator==(const CopyColor&, const CopyColor&) = default;
};
struct PlaceSticker {
    Point at;
    friend bool operator==(const PlaceSticker&, const PlaceSticker&) = default;
};
struct OpenTextEditor {
    Point at;
    friend bool operator==(const OpenTextEditor&, const OpenTextEditor&) = default;
};
// Closes the editor, keeping (commit) or dropping its text; the bars come back.
struct CloseTextEditor {
    bool commit = false;
    friend bool operator==(const CloseTextEditor&, const CloseTextEditor&) = default;
};
struct StartDraft {
    Point at;
    friend bool operator==(const StartDraft&, const StartDraft&) = default;
};
struct ExtendDraft {
    Point anchor;
    Point to;
    friend bool operator==(const ExtendDraft&, const ExtendDraft&) = default;
};
struct FinishDraft {
    friend bool operator==(const FinishDraft&, const FinishDraft&) = default;
};
struct DiscardDraft {
    friend bool operator==(const DiscardDraft&, const DiscardDraft&) = default;
};
struct Undo {
    friend bool operator==(const Undo&, const Undo&) = default;
};
struct Redo {
    friend bool operator==(const Redo&, const Redo&) = default;
};
struct Confirm {
    friend bool operator==(const Confirm&, const Confirm&) = default;
};
struct EndSession {
    friend bool operator==(const EndSession&, const EndSession&) = default;
};
struct Repaint {
    friend bool operator==(const Repaint&, const Repaint&) = default;
};

} // namespace CanvasCommands

using CanvasCommand =
    std::variant<CanvasCommands::BeginSelection, CanvasCommands::SelectionChanged, CanvasCommands::ShowBars,
                 CanvasCommands::HideBars, CanvasCommands::SyncBars, CanvasCommands::ClearPointerHints,
                 CanvasCommands::TrackPointerGuide, CanvasCommands::TrackPicker, CanvasCommands::ForgetPicker,
                 CanvasCommands::ShowLoupe, CanvasCommands::CopyColor, CanvasCommands::PlaceSticker,
                 CanvasCommands::OpenTextEditor, CanvasCommands::CloseTextEditor, CanvasCommands::StartDraft,
                 CanvasCommands::ExtendDraft, CanvasCommands::FinishDraft, CanvasCommands::DiscardDraft,
                 CanvasCommands::Undo, CanvasCommands::Redo, CanvasCommands::Confirm,
                 CanvasCommands::EndSession, CanvasCommands::Repaint>;

using CanvasCommandList = std::vector<CanvasCommand>;

} // namespace tessary
