#pragma once

#include "TessaryCore/DrawingTool.h"

#include <QString>

#include <array>
#include <optional>

// The toolbar's tools and actions; the declaration order is the order of the buttons.
enum class ToolKind {
    rectangle,
    ellipse,
    sticker,
    arrow,
    pen,
    mosaic,
    text,
    colorPicker,
    translate,
    ocr,
    qrCode,
    scrollingCapture,
    undo,
    save,
    pin,
    cancel,
    confirm,
};

inline constexpr std::array<ToolKind, 17> allToolKinds{
    ToolKind::rectangle, ToolKind::ellipse, ToolKind::sticker, ToolKind::arrow,
    ToolKind::pen,       ToolKind::mosaic,  ToolKind::text,    ToolKind::colorPicker,
    ToolKind::translate, ToolKind::ocr,     ToolKind::qrCode,  ToolKind::scrollingCapture,
    ToolKind::undo,      ToolKind::save,    ToolKind::pin,     ToolKind::cancel,
    ToolKind::confirm};

enum class ToolGroup { drawing, tools, actions };

namespace ToolKinds {

// The case name ("scrollingCapture"), as diagnostics print it.
QString name(ToolKind kind);
// Icon file name without ".svg" ("tool-scroll-capture").
QString iconFileName(ToolKind kind);
// Localisation key of the tooltip and accessibility label ("tool.scroll").
QString localizationKey(ToolKind kind);
ToolGroup group(ToolKind kind);

// Tools that draw annotations inside the selection.
bool isDrawingTool(ToolKind kind);
// Kinds the canvas hands to the capture session instead of handling them itself.
bool isSessionAction(ToolKind kind);

// The drawing tool a toolbar kind arms, and back.
std::optional<tessary::DrawingTool> drawingTool(ToolKind kind);
ToolKind kind(tessary::DrawingTool tool);

} // namespace ToolKinds
