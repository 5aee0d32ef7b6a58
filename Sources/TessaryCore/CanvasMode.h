#pragma once

#include "TessaryCore/Geometry.h"
#include "TessaryCore/SelectionGeometry.h"

#include <variant>

namespace tessary {

// What the capture canvas is doing: exactly one of these at a time.
namespace CanvasModes {

struct Idle {
    friend bool operator==(const Idle&, const Idle&) = default;
};
// Dragging out a new selection from `anchor`.
struct Creating {
    Point anchor;
    friend bool operator==(const Creating&, const Creating&) = default;
};
// A press on a window took its frame; a drag past the threshold turns it into `Creating`.
struct CreatingFromWindow {
    Point anchor;
    Rect windowRect;
    friend bool operator==(const CreatingFromWindow&, const CreatingFromWindow&) = default;
};
struct Moving {
    Rect origin;
    Point grabbedAt;
    friend bool operator==(const Moving&, const Moving&) = default;
};
struct Resizing {
    Rect origin;
    SelectionHandle handle = SelectionHandle::topLeft;
    friend bool operator==(const Resizing&, const Resizing&) = default;
};
// Drawing a shape or stroke with the armed tool from `anchor`.
struct Annotating {
    Point anchor;
    friend bool operator==(const Annotating&, const Annotating&) = default;
};
// The text editor is open and has the keyboard.
struct EditingText {
    friend bool operator==(const EditingText&, const EditingText&) = default;
};
// The toolbar's colour picker: presses copy the colour, nothing else happens.
struct PickingColor {
    friend bool operator==(const PickingColor&, const PickingColor&) = default;
};
// The magnifier shown before any selection; the first press leaves it.
struct Loupe {
    friend bool operator==(const Loupe&, const Loupe&) = default;
};

} // namespace CanvasModes

using CanvasMode = std::variant<CanvasModes::Idle, CanvasModes::Creating, CanvasModes::CreatingFromWindow,
                                CanvasModes::Moving, CanvasModes::Resizing, CanvasModes::Annotating,
                                CanvasModes::EditingText, CanvasModes::PickingColor, CanvasModes::Loupe>;

} // namespace tessary
