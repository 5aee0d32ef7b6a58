#include "TessaryCore/StrayGlyphs.h"

#include <limits>

namespace tessary::StrayGlyphs {

namespace {

Rect united(const Rect& a, const Rect& b) {
    const double x0 = std::min(a.minX(), b.minX());
    const double y0 = std::min(a.minY(), b.minY());
    return {x0, y0, std::max(a.maxX(), b.maxX()) - x0, std::max(a.maxY(), b.maxY()) - y0};
}

} // namespace

std::vector<Rect> attach(std::vector<Rect> lines, const std::vector<Rect>& blocks) {
    // Blocks are matched against the lines as the layout found them, so that one grown line does
    // not reach out for blocks beyond its own glyphs.
    const std::vector<Rect> found = lines;
    for (const Rect& block : blocks) {
        const double blockHeight = block.maxY() - block.minY();
        const double blockWidth = block.maxX() - block.minX();
        std::size_t nearest = found.size();
        double nearestGap = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < found.size(); ++i) {
            const Rect& line = found[i];
            const double height = line.maxY() - line.minY();
            if (height <= 0 || blockHeight <= 0 || blockHeight > 1.5 * height || blockWidth > 2 * height) {
                continue;
            }
            const double overlap = std::min(line.maxY(), block.maxY()) - std::max(line.minY(), block.minY());
            const double gap = std::max({0.0, block.minX() - line.maxX(), line.minX() - block.maxX()});
            if (overlap * 2 >= blockHeight && gap <= height && gap < nearestGap) {
                nearest = i;
                nearestGap = gap;
            }
        }
        if (nearest < found.size()) {
            lines[nearest] = united(lines[nearest], block);
        }
    }
    return lines;
}

} // namespace tessary::StrayGlyphs
