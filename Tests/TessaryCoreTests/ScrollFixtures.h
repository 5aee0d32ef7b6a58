#pragma once

#include "TessaryCore/GrayscaleFrame.h"
#include "TessaryCore/ScrollStitchSession.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

// Synthetic pages and the frames a fixed viewport would capture while scrolling over them.
namespace scrolltest {

struct Page {
    std::int64_t width = 0;
    std::int64_t rows = 0;
    std::vector<std::uint8_t> pixels;

    const std::uint8_t* row(std::int64_t y) const { return pixels.data() + y * width; }
};

// Independent random pixels: every row differs clearly from every other one.
inline Page noisePage(std::int64_t width, std::int64_t rows, std::uint32_t seed) {
    std::mt19937 random(seed);
    Page page{width, rows, std::vector<std::uint8_t>(static_cast<std::size_t>(width * rows))};
    for (auto& pixel : page.pixels) {
        pixel = static_cast<std::uint8_t>(random() & 0xff);
    }
    return page;
}

// Dark "words" on a light background in 16-row lines with 8-row gaps, and a blank band now and then, like
// a page of text: repetitive structure, but no two lines alike.
inline Page documentPage(std::int64_t width, std::int64_t rows, std::uint32_t seed) {
    std::mt19937 random(seed);
    Page page{width, rows, std::vector<std::uint8_t>(static_cast<std::size_t>(width * rows), 245)};
    std::int64_t y = 4;
    while (y < rows) {
        if (random() % 9 == 0) {
            y += 30; // paragraph break
            continue;
        }
        std::int64_t x = 6;
        while (x < width - 8) {
            const auto wordWidth = static_cast<std::int64_t>(8 + random() % 40);
            for (std::int64_t line = y; line < std::min(rows, y + 16); ++line) {
                for (std::int64_t column = x; column < std::min(width, x + wordWidth); ++column) {
                    if (random() % 3 != 0) {
                        page.pixels[static_cast<std::size_t>(line * width + column)] =
                            static_cast<std::uint8_t>(20 + random() % 90);
                    }
                }
            }
            x += wordWidth + 6;
        }
        y += 24;
    }
    return page;
}

// Rows `top` … `top + count − 1` of a page as a page of their own.
inline Page rowsOf(const Page& page, std::int64_t top, std::int64_t count) {
    return Page{page.width, count, {page.row(top), page.row(top) + count * page.width}};
}

// What a viewport shows: the fixed header, `visible` rows of the content from row `top`, the fixed footer.
inline tessary::GrayscaleFrame viewport(const Page& header, const Page& content, std::int64_t top,
                                        std::int64_t visible, const Page& footer) {
    std::vector<std::uint8_t> pixels(header.pixels);
    pixels.insert(pixels.end(), content.row(top), content.row(top) + visible * content.width);
    pixels.insert(pixels.end(), footer.pixels.begin(), footer.pixels.end());
    return *tessary::GrayscaleFrame::make(content.width, header.rows + visible + footer.rows,
                                          std::move(pixels));
}

// Draws a segment's placements in order, later ones over earlier ones, as the capture controller would.
inline Page render(const tessary::ScrollStitchSession::Segment& segment,
                   const std::vector<tessary::GrayscaleFrame>& frames) {
    Page image{segment.width, segment.height,
               std::vector<std::uint8_t>(static_cast<std::size_t>(segment.width * segment.height))};
    for (const auto& placement : segment.placements) {
        const auto& frame = frames.at(static_cast<std::size_t>(placement.frameIndex));
        for (std::int64_t r = 0; r < placement.rowCount; ++r) {
            if (placement.canvasRow + r < 0 || placement.canvasRow + r >= image.rows) {
                continue; // leaves a hole the comparison will report
            }
            const auto source = frame.row(placement.sourceRow + r);
            std::copy(source.begin(), source.end(),
                      image.pixels.begin() + (placement.canvasRow + r) * image.width);
        }
    }
    return image;
}

} // namespace scrolltest
