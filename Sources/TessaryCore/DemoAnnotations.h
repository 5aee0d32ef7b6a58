#pragma once

#include "TessaryCore/Annotation.h"
#include "TessaryCore/Geometry.h"

#include <vector>

namespace tessary {

// Sample content for scripted runs: one annotation of each kind laid out inside a selection.
namespace DemoAnnotations {

inline constexpr const char* sampleText = "标注文字 Aa あ";

// Selection used when a scripted run asks for one without giving a rectangle.
Rect defaultSelection(const Rect& bounds);

// Rectangle, ellipse, arrow, pen stroke, mosaic stroke and text, inside `selection` inset by 30 points.
std::vector<Annotation> make(const Rect& selection);

} // namespace DemoAnnotations
} // namespace tessary
