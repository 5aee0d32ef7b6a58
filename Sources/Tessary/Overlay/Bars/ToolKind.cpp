#include "Overlay/Bars/ToolKind.h"

namespace {

struct ToolInfo {
    const char* name;
    const char* icon;
    const char* key;
    ToolGroup group;
};

const ToolInfo& info(ToolKind kind) {
    static const std::array<ToolInfo, 17> table{{
        {"rectangle", "tool-rectangle", "tool.rectangle", ToolGroup::drawing},
        {"ellipse", "tool-ellipse", "tool.ellipse", ToolGroup::drawing},
        {"sticker", "tool-sticker", "tool.sticker", ToolGroup::drawing},
        {"arrow", "tool-arrow", "tool.arrow", ToolGroup::drawing},
        {"pen", "tool-brush", "tool.pen", ToolGroup::drawing},
        {"mosaic", "tool-mosaic", "tool.mosaic", ToolGroup::drawing},
        {"text", "tool-text", "tool.text", ToolGroup::drawing},
        {"colorPicker", "tool-color-picker", "tool.colorPicker", ToolGroup::tools},
        {"translate", "tool-translate", "tool.translate", ToolGroup::tools},
        {"ocr", "tool-ocr", "tool.ocr", ToolGroup::tools},
        {"qrCode", "tool-qrcode", "tool.qrCode", ToolGroup::tools},
        {"scrollingCapture", "tool-scroll-capture", "tool.scroll", ToolGroup::tools},
        {"undo", "tool-undo", "action.undo", ToolGroup::actions},
        {"save", "tool-save", "action.save", ToolGroup::actions},
        {"pin", "tool-pin", "action.pin", ToolGroup::actions},
        {"cancel", "tool-cancel", "action.cancel", ToolGroup::actions},
        {"confirm", "tool-done", "action.confirm", ToolGroup::actions},
    }};
    return table.at(static_cast<std::size_t>(kind));
}

} // namespace

namespace ToolKinds {

QString name(ToolKind kind) {
    return QString::fromLatin1(info(kind).name);
}
QString iconFileName(ToolKind kind) {
    return QString::fromLatin1(info(kind).icon);
}
QString localizationKey(ToolKind kind) {
    return QString::fromLatin1(info(kind).key);
}
ToolGroup group(ToolKind kind) {
    return info(kind).group;
}

bool isDrawingTool(ToolKind kind) {
    return group(kind) == ToolGroup::drawing;
}

bool isSessionAction(ToolKind kind) {
    switch (kind) {
    case ToolKind::translate:
    case ToolKind::ocr:
    case ToolKind::qrCode:
    case ToolKind::scrollingCapture:
    case ToolKind::save:
    case ToolKind::pin:
    case ToolKind::cancel:
    case ToolKind::confirm:
        return true;
    default:
        return false;
    }
}

std::optional<tessary::DrawingTool> drawingTool(ToolKind kind) {
    using tessary::DrawingTool;
    switch (kind) {
    case ToolKind::rectangle:
        return DrawingTool::rectangle;
    case ToolKind::ellipse:
        return DrawingTool::ellipse;
    case ToolKind::sticker:
        return DrawingTool::sticker;
    case ToolKind::arrow:
        return DrawingTool::arrow;
    case ToolKind::pen:
        return DrawingTool::pen;
    case ToolKind::mosaic:
        return DrawingTool::mosaic;
    case ToolKind::text:
        return DrawingTool::text;
    default:
        return std::nullopt;
    }
}

ToolKind kind(tessary::DrawingTool tool) {
    using tessary::DrawingTool;
    switch (tool) {
    case DrawingTool::rectangle:
        return ToolKind::rectangle;
    case DrawingTool::ellipse:
        return ToolKind::ellipse;
    case DrawingTool::sticker:
        return ToolKind::sticker;
    case DrawingTool::arrow:
        return ToolKind::arrow;
    case DrawingTool::pen:
        return ToolKind::pen;
    case DrawingTool::mosaic:
        return ToolKind::mosaic;
    case DrawingTool::text:
        return ToolKind::text;
    }
    return ToolKind::rectangle;
}

} // namespace ToolKinds
