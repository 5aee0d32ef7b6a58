#pragma once

#include "TessaryCore/Geometry.h"

#include <cstddef>
#include <optional>

namespace tessary {

// Geometry and timing of the transient notice pill (global y-up points).
namespace NoticeLayout {

inline constexpr double barHeight = 30;
inline constexpr double iconWidth = 15;
inline constexpr double padding = 10;
inline constexpr double iconGap = 6;
// Padding + icon + gap + padding.
inline constexpr double chrome = padding + iconWidth + iconGap + padding;
inline constexpr double minimumWidth = 120;
// Maximum bar width when no screen exists at all.
inline constexpr double maxWidthWithoutScreen = 820;

// Seconds a notice stays: 0.16 s per character within 3...9 s, 12 s when it is clickable.
double displaySeconds(std::size_t characterCount, bool clickable);

// Bar width for a label whose natural one-line width is `textWidth`.
double barWidth(double maxWidth, double textWidth);
// Widest bar a screen allows.
double maxBarWidth(const std::optional<Rect>& visibleFrame);

// Lower-left corner of the panel: under the anchor (above it when there is no room), or
// bottom centre of the screen without one; always 12 points inside the visible frame.
Point position(const std::optional<Rect>& anchor, const std::optional<Rect>& visibleFrame, Size panelSize);

} // namespace NoticeLayout
} // namespace tessary
