#pragma once

#include "TessaryCore/Geometry.h"

#include <string>

namespace tessary {

// One line of recognised text. The box is in normalised image space: 0..1 on both axes,
// origin at the bottom left, y up.
struct RecognizedLine {
    Rect boundingBox;
    std::string text;

    friend bool operator==(const RecognizedLine&, const RecognizedLine&) = default;
};

} // namespace tessary
