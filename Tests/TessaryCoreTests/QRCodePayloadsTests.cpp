#include "TessaryCore/QRCodePayloads.h"

#include <gtest/gtest.h>

using namespace tessary;

namespace {

// A 0.2 x 0.2 code whose lower-left corner is at (x, y), normalised, y up.
QRCodeObservation code(const char* payload, double x, double y) {
    return {true, std::string(payload), {x, y, 0.2, 0.2}};
}

} // namespace

TEST(QRCodePayloadsTest, ReadingOrderDedupeAndFiltering) {
    const QRCodeObservation binary{true, std::nullopt, {0.0, 0.7, 0.2, 0.2}};
    const QRCodeObservation empty{true, std::string(), {0.0, 0.7, 0.2, 0.2}};
    const QRCodeObservation otherSymbology{false, std::string("ean"), {0.0, 0.7, 0.2, 0.2}};
    const struct {
        const char* name;
        std::vector<QRCodeObservation> observations;
        std::vector<std::string> expected;
    } cases[] = {
        {"nothing found", {}, {}},
        {"side by side at one height: left first",
         {code("right", 0.6, 0.4), code("left", 0.1, 0.4)},
         {"left", "right"}},
        {"slightly higher but to the right comes second",
         {code("right", 0.6, 0.44), code("left", 0.1, 0.4)},
         {"left", "right"}},
        {"clearly higher comes first even on the right",
         {code("lower left", 0.1, 0.4), code("upper right", 0.6, 0.46)},
         {"upper right", "lower left"}},
        {"three rows, top first",
         {code("c", 0.1, 0.1), code("a", 0.5, 0.7), code("b", 0.3, 0.4)},
         {"a", "b", "c"}},
        {"same code twice keeps the first in reading order",
         {code("dup", 0.6, 0.4), code("other", 0.3, 0.4), code("dup", 0.1, 0.4)},
         {"dup", "other"}},
        {"binary, empty and other symbologies carry no payload",
         {binary, code("text", 0.6, 0.4), empty, otherSymbology},
         {"text"}},
        {"payloads differing only in case are distinct",
         {code("Ab", 0.1, 0.4), code("ab", 0.6, 0.4)},
         {"Ab", "ab"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QRCodePayloads::payloads(c.observations), c.expected);
    }
}

TEST(QRCodePayloadsTest, StaircaseOfManyCodesIsOrderedWithoutFault) {
    // Each code sits 0.04 above its left neighbour: every neighbour pair shares a row, the ends do not.
    std::vector<QRCodeObservation> stairs;
    for (int i = 0; i < 300; ++i) {
        stairs.push_back(code(std::to_string(i).c_str(), i * 0.003, 0.04 * (i % 20)));
    }
    const auto result = QRCodePayloads::payloads(stairs);
    EXPECT_EQ(result.size(), 300u);
}

TEST(QRCodePayloadsTest, PixelBoxesBecomeNormalisedWithTheOriginAtTheBottom) {
    const struct {
        const char* name;
        double minX, minY, maxX, maxY, width, height;
        Rect expected;
    } cases[] = {
        {"box near the top of the image", 10, 20, 30, 60, 100, 200, {0.1, 0.7, 0.2, 0.2}},
        {"box touching the bottom edge", 0, 150, 50, 200, 100, 200, {0.0, 0.0, 0.5, 0.25}},
        {"whole image", 0, 0, 640, 480, 640, 480, {0, 0, 1, 1}},
        {"empty image", 0, 0, 10, 10, 0, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Rect r = QRCodePayloads::normalizedBox(c.minX, c.minY, c.maxX, c.maxY, c.width, c.height);
        EXPECT_DOUBLE_EQ(r.x, c.expected.x);
        EXPECT_DOUBLE_EQ(r.y, c.expected.y);
        EXPECT_DOUBLE_EQ(r.width, c.expected.width);
        EXPECT_DOUBLE_EQ(r.height, c.expected.height);
    }
}
