#include "TessaryCore/TranslationBlockLayout.h"

#include "TessaryCore/TranslationTypesetting.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tessary {

Rect TranslationBlockLayout::textRect() const {
    const double dy = std::max((coverRect.height - textHeight) / 2, 0.0);
    return {coverRect.minX() + 1, coverRect.minY() + dy, std::max(coverRect.width - 2, 0.0),
            std::max(coverRect.height - 2 * dy, 0.0)};
}

double TranslationBlockLayout::cornerRadius() const {
    return std::min(0.125 * coverRect.height, 4.0);
}

namespace TranslationLayouts {

namespace {

bool isFinite(const Rect& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

Rect grown(const Rect& r, double by) {
    return {r.minX() - by, r.minY() - by, r.maxX() - r.minX() + 2 * by, r.maxY() - r.minY() + 2 * by};
}

double distance(const RgbColor& a, const RgbColor& b) {
    const double dr = a.red - b.red;
    const double dg = a.green - b.green;
    const double db = a.blue - b.blue;
    return std::sqrt(dr * dr + dg * dg + db * db);
}

} // namespace

std::vector<TranslationBlockLayout> layout(const TranslationOverlay& overlay, const Probe& probe,
                                           const Measure& measure) {
    std::vector<TranslationBlockLayout> layouts;
    for (const TranslationBlock& block : overlay.coveringBlocks()) {
        const Rect r = block.rect.standardized();
        if (!isFinite(r) || !(r.width > 2) || !(r.height > 2)) {
            continue;
        }
        const double h = TranslationTypesetting::lineHeight(r, block.lineCount);
        const Rect cover = grown(r, TranslationTypesetting::coverInset(h));
        const RgbColor background = sampleBackground(cover, probe);
        const RgbColor text = sampleForeground(r, background, probe);
        const double upper = std::min(TranslationTypesetting::initialFontSize(h) * 1.35,
                                      TranslationTypesetting::maximumFontSize(h));
        const Fit fit = fitFontSize(block.translatedText, cover, upper, measure);
        layouts.push_back({block, cover, background, text, fit.fontSize, block.alignment,
                           std::min(cover.height, fit.height)});
    }
    return layouts;
}

RgbColor sampleBackground(const Rect& rect, const Probe& probe) {
    const Rect ring = grown(rect, std::max(0.18 * (rect.maxY() - rect.minY()), 1.5));
    std::array<std::vector<double>, 3> channels;
    const auto take = [&](Point p) {
        if (const std::optional<RgbColor> color = probe(p)) {
            channels[0].push_back(color->red);
            channels[1].push_back(color->green);
            channels[2].push_back(color->blue);
        }
    };
    for (int k = 0; k <= 11; ++k) {
        const double x = ring.minX() + (k / 11.0) * ring.width;
        const double y = ring.minY() + (k / 11.0) * ring.height;
        take({x, ring.minY()});
        take({x, ring.maxY()});
        take({ring.minX(), y});
        take({ring.maxX(), y});
    }
    if (channels[0].empty()) {
        return {1, 1, 1};
    }
    std::array<double, 3> median{};
    for (std::size_t c = 0; c < 3; ++c) {
        std::vector<double>& values = channels[c];
        std::sort(values.begin(), values.end());
        median[c] = values[values.size() / 2];
    }
    return {median[0], median[1], median[2]};
}

RgbColor sampleForeground(const Rect& rect, const RgbColor& background, const Probe& probe) {
    const Rect r = rect.standardized();
    const int rows = std::max(3, int(r.height / 3));
    constexpr int columns = 24;
    struct Kept {
        RgbColor color;
        double distance;
    };
    std::vector<Kept> kept;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const Point p{r.minX() + (j + 0.5) * r.width / columns, r.minY() + (i + 0.5) * r.height / rows};
            if (const std::optional<RgbColor> color = probe(p)) {
                const double d = distance(*color, background);
                if (d > 0.25) {
                    kept.push_back({*color, d});
                }
            }
        }
    }
    if (kept.size() < 3) {
        const double luminance = 0.299 * background.red + 0.587 * background.green + 0.114 * background.blue;
        return luminance > 0.55 ? RgbColor{0.09, 0.09, 0.10} : RgbColor{0.96, 0.96, 0.97};
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Kept& a, const Kept& b) { return a.distance < b.distance; });
    const std::size_t index = std::min(kept.size() - 1, std::size_t(double(kept.size()) * 0.85));
    return kept[index].color;
}

Fit fitFontSize(const std::string& text, const Rect& coverRect, double upperBound, const Measure& measure) {
    const double width = std::max(coverRect.width - 2, 1.0);
    const auto measured = [&](double size) { return std::ceil(measure(text, size, width)); };
    double lower = TranslationTypesetting::minimumFontSize;
    // An unbounded size would never settle.
    double upper = std::isfinite(upperBound) ? upperBound : lower;
    double height = measured(lower);
    if (upper - lower > 0.25) {
        while (upper - lower > 0.25) {
            const double mid = (lower + upper) / 2;
            const double at = measured(mid);
            if (coverRect.height >= at) {
                lower = mid;
                height = at;
            } else {
                upper = mid;
            }
        }
    }
    return {lower, height};
}

} // namespace TranslationLayouts

} // namespace tessary
