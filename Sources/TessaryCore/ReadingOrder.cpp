#include "TessaryCore/ReadingOrder.h"

#include <algorithm>
#include <cmath>

namespace tessary::ReadingOrder {

bool precedes(const Rect& a, const Rect& b) {
    const double tallest = std::max(a.standardized().height, b.standardized().height);
    if (std::abs(a.midY() - b.midY()) < sameLineFactor * tallest) {
        return a.minX() < b.minX();
    }
    return a.midY() > b.midY();
}

std::vector<RecognizedLine> sorted(std::vector<RecognizedLine> lines) {
    // "Same line" is not transitive (a chain of overlapping boxes), so `precedes` is no strict weak
    // order and the standard sorts promise nothing with it. A stable insertion sort stays defined
    // for any relation: each line moves up only past lines it strictly precedes.
    for (size_t i = 1; i < lines.size(); ++i) {
        size_t j = i;
        while (j > 0 && precedes(lines[i].boundingBox, lines[j - 1].boundingBox)) {
            --j;
        }
        if (j != i) {
            std::rotate(lines.begin() + static_cast<std::ptrdiff_t>(j),
                        lines.begin() + static_cast<std::ptrdiff_t>(i),
                        lines.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        }
    }
    return lines;
}

std::string assemble(std::vector<RecognizedLine> lines) {
    std::string text;
    bool first = true;
    for (RecognizedLine& line : sorted(std::move(lines))) {
        if (!first) {
            text += '\n';
        }
        text += line.text;
        first = false;
    }
    return text;
}

} // namespace tessary::ReadingOrder
