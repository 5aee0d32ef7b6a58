#include "TessaryCore/ColumnGaps.h"

#include <algorithm>

namespace tessary::ColumnGaps {

namespace {

Rect united(const Rect& a, const Rect& b) {
    const double x0 = std::min(a.minX(), b.minX());
    const double y0 = std::min(a.minY(), b.minY());
    const double x1 = std::max(a.maxX(), b.maxX());
    const double y1 = std::max(a.maxY(), b.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace

std::vector<Segment> split(const std::vector<Word>& words) {
    std::vector<Segment> segments;
    if (words.empty()) {
        return segments;
    }
    double height = 0;
    for (const Word& word : words) {
        height = std::max(height, word.box.standardized().height);
    }
    const double widestGap = columnGapFactor * height;
    segments.push_back({words.front().box.standardized(), words.front().text});
    for (size_t i = 1; i < words.size(); ++i) {
        Segment& current = segments.back();
        const Rect box = words[i].box.standardized();
        if (box.minX() - current.box.maxX() > widestGap) {
            segments.push_back({box, words[i].text});
        } else {
            current.box = united(current.box, box);
            current.text += ' ';
            current.text += words[i].text;
        }
    }
    return segments;
}

} // namespace tessary::ColumnGaps
