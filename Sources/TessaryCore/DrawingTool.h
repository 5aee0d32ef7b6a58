#pragma once

namespace tessary {

// The toolbar tools that draw inside the selection.
enum class DrawingTool { rectangle, ellipse, sticker, arrow, pen, mosaic, text };

} // namespace tessary
