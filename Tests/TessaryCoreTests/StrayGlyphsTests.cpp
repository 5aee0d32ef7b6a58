#include "TessaryCore/StrayGlyphs.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tessary;

namespace {

struct AttachCase {
    const char* name;
    std::vector<Rect> lines;
    std::vector<Rect> blocks;
    std::vector<Rect> expected;
};

// Lines of height 16 (pixels, rows top-down, the unit does not matter).
TEST(StrayGlyphsTest, GlyphSizedBlocksBesideALineJoinIt) {
    const Rect line{47, 385, 419, 16};
    const Rect below{47, 410, 499, 16};
    const std::vector<AttachCase> cases = {
        {"nothing to attach", {line}, {}, {line}},
        {"a glyph just left of the line", {line}, {{25, 386, 22, 16}}, {{25, 385, 441, 17}}},
        {"a glyph at the right end", {line}, {{470, 384, 18, 18}}, {{47, 384, 441, 18}}},
        {"one line height away still joins", {line}, {{15, 385, 16, 16}}, {{15, 385, 451, 16}}},
        {"further away stays out", {line}, {{14, 385, 16, 16}}, {line}},
        {"a picture taller than a glyph stays out", {line}, {{20, 380, 25, 25}}, {line}},
        {"a short rule wider than two glyphs stays out", {line}, {{0, 390, 40, 3}}, {line}},
        {"a long rule stays out", {line}, {{0, 392, 400, 2}}, {line}},
        {"less than half beside the line stays out", {line}, {{25, 397, 16, 16}}, {line}},
        {"each glyph joins its own line",
         {line, below},
         {{25, 386, 22, 16}, {27, 409, 18, 17}},
         {{25, 385, 441, 17}, {27, 409, 519, 17}}},
        {"a glyph between two lines joins the nearer",
         {{0, 100, 100, 16}, {140, 100, 100, 16}},
         {{112, 100, 16, 16}},
         {{0, 100, 128, 16}, {140, 100, 100, 16}}},
        {"no lines", {}, {{25, 386, 22, 16}}, {}},
    };
    for (const AttachCase& c : cases) {
        EXPECT_EQ(StrayGlyphs::attach(c.lines, c.blocks), c.expected) << c.name;
    }
}

} // namespace
