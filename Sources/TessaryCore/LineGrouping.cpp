#include "TessaryCore/LineGrouping.h"

#include <algorithm>

namespace tessary::LineGrouping {

namespace {

Rect unite(const Rect& a, const Rect& b) {
    const double x0 = std::min(a.minX(), b.minX());
    const double y0 = std::min(a.minY(), b.minY());
    const double x1 = std::max(a.maxX(), b.maxX());
    const double y1 = std::max(a.maxY(), b.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

bool continues(const DocumentLine& last, const DocumentLine& next) {
    const bool overlaps = last.box.minX() < next.box.maxX() && next.box.minX() < last.box.maxX();
    const double gap = next.box.minY() - last.box.maxY();
    const double height = std::max(last.box.height, next.box.height);
    return overlaps && gap <= paragraphGapFactor * height;
}

} // namespace

std::vector<DocumentTextItem> group(const std::vector<std::vector<DocumentLine>>& lines,
                                    std::optional<TextBlockAlignment> alignment) {
    std::vector<DocumentTextItem> groups;
    // The groups still open to the next line: those that took a piece of the line before.
    std::vector<std::size_t> open;
    for (const std::vector<DocumentLine>& line : lines) {
        std::vector<std::size_t> next;
        for (const DocumentLine& piece : line) {
            if (piece.transcript.empty()) {
                continue;
            }
            const auto found = std::find_if(open.begin(), open.end(), [&](std::size_t index) {
                return continues(groups[index].lines.back(), piece);
            });
            std::size_t index = groups.size();
            if (found != open.end()) {
                index = *found;
                // One piece per group and line: the next piece of this line starts or finds another.
                open.erase(found);
                DocumentTextItem& item = groups[index];
                item.transcript += "\n" + piece.transcript;
                item.box = unite(item.box, piece.box);
                item.lines.push_back(piece);
            } else {
                groups.push_back({piece.transcript, {piece}, piece.box, std::nullopt});
            }
            next.push_back(index);
        }
        open = std::move(next);
    }
    if (groups.size() == 1) {
        groups.front().alignment = alignment;
    }
    return groups;
}

} // namespace tessary::LineGrouping
