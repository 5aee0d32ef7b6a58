#include "TessaryCore/Annotation.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

using namespace tessary;

namespace {

struct MeaningCase {
    const char* name;
    AnnotationShape shape;
    bool meaningful;
};

TEST(AnnotationTest, MeaningfulnessFollowsTheShapeRules) {
    const std::vector<MeaningCase> cases = {
        {"thin rectangle", RectangleShape{{10, 10, 1.5, 100}}, false},
        {"two-point rectangle", RectangleShape{{0, 0, 2, 2}}, true},
        {"negative width counts by extent", RectangleShape{{50, 50, -10, 5}}, true},
        {"negative height below two", RectangleShape{{50, 50, 5, -1.9}}, false},
        {"flat ellipse", EllipseShape{{0, 0, 30, 1.99}}, false},
        {"ellipse dragged up-left", EllipseShape{{0, 0, -3, -3}}, true},
        {"short arrow", ArrowShape{{0, 0}, {3.9, 0}}, false},
        {"diagonal short arrow", ArrowShape{{1, 1}, {3.8, 3.8}}, false},
        {"arrow of exactly four", ArrowShape{{0, 0}, {0, -4}}, true},
        {"pen with one point", PenShape{{{1, 1}}}, false},
        {"pen with two points", PenShape{{{1, 1}, {1, 1}}}, true},
        {"empty mosaic", MosaicShape{}, false},
        {"mosaic with two points", MosaicShape{{{0, 0}, {5, 5}}}, true},
        {"spaces and line breaks", TextShape{{0, 0}, " \n\t \r\n "}, false},
        {"unicode spaces and separators", TextShape{{0, 0}, "\u3000\u00a0\u2028\u2029\u0085"}, false},
        {"empty text", TextShape{{0, 0}, ""}, false},
        {"padded word", TextShape{{0, 0}, "\n  hi  \n"}, true},
        {"zero-width space is not white space", TextShape{{0, 0}, "\u200b"}, true},
        {"malformed bytes are content", TextShape{{0, 0}, " \xff "}, true},
        {"sticker", StickerShape{{0, 0}, "\xf0\x9f\x91\x8d"}, true},
        {"sticker without emoji", StickerShape{{0, 0}, ""}, true},
    };
    for (const auto& c : cases) {
        const Annotation annotation(c.shape, AnnotationStyle::defaultStyle());
        EXPECT_EQ(annotation.isMeaningful(), c.meaningful) << c.name;
    }
}

TEST(AnnotationTest, EqualityCoversIdShapeAndStyle) {
    const Annotation a(RectangleShape{{0, 0, 10, 10}}, AnnotationStyle::defaultStyle());
    Annotation sameId = a;
    EXPECT_EQ(a, sameId);
    sameId.style.weight = AnnotationWeight::heavy;
    EXPECT_NE(a, sameId);
    sameId = a;
    sameId.shape = EllipseShape{{0, 0, 10, 10}};
    EXPECT_NE(a, sameId) << "same rectangle, different case";

    const Annotation twin(a.shape, a.style);
    EXPECT_NE(a.id(), twin.id());
    EXPECT_NE(a, twin);
}

TEST(AnnotationColorTest, PaletteKeysAndLightness) {
    struct Case {
        AnnotationColor color;
        const char* key;
        bool light;
    };
    const std::vector<Case> palette = {
        {{0.93, 0.23, 0.19}, "color.red", false},   {{1.0, 0.58, 0.0}, "color.orange", false},
        {{1.0, 0.84, 0.04}, "color.yellow", false}, {{0.2, 0.74, 0.36}, "color.green", false},
        {{0.0, 0.48, 1.0}, "color.blue", false},    {{0.69, 0.32, 0.87}, "color.purple", false},
        {{0.11, 0.11, 0.12}, "color.black", false}, {{1.0, 1.0, 1.0}, "color.white", true},
    };
    ASSERT_EQ(AnnotationColor::palette().size(), palette.size());
    for (std::size_t i = 0; i < palette.size(); ++i) {
        EXPECT_EQ(AnnotationColor::palette()[i], palette[i].color) << i;
        EXPECT_EQ(palette[i].color.localizationKey(), palette[i].key);
        EXPECT_EQ(palette[i].color.isLight(), palette[i].light) << palette[i].key;
    }

    const std::vector<Case> others = {
        {{0.5, 0.5, 0.5}, "color.red", false},
        {{1.0, 1.0, 0.999}, "color.red", true}, // near-white is not white
        {{0.8, 0.7, 0.6}, "color.red", false},  // exactly 2.1 is not light
        {{0.8, 0.7, 0.6000001}, "color.red", true},
    };
    for (const auto& c : others) {
        EXPECT_EQ(c.color.localizationKey(), c.key);
        EXPECT_EQ(c.color.isLight(), c.light) << c.color.red << "," << c.color.green << "," << c.color.blue;
    }
}

TEST(AnnotationWeightTest, MeasuresAndRawValues) {
    struct Case {
        int raw;
        AnnotationWeight weight;
        double line, font, block, indicator;
    };
    const std::vector<Case> cases = {
        {0, AnnotationWeight::light, 2, 15, 8, 5},
        {1, AnnotationWeight::medium, 4, 20, 14, 10},
        {2, AnnotationWeight::heavy, 7, 28, 22, 16},
    };
    ASSERT_EQ(allAnnotationWeights.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(allAnnotationWeights[i], c.weight);
        EXPECT_EQ(annotationWeightFromRaw(c.raw), c.weight);
        EXPECT_EQ(lineWidth(c.weight), c.line);
        EXPECT_EQ(fontSize(c.weight), c.font);
        EXPECT_EQ(mosaicBlockSize(c.weight), c.block);
        EXPECT_EQ(indicatorDiameter(c.weight), c.indicator);
        const AnnotationStyle style{AnnotationColors::blue, c.weight};
        EXPECT_EQ(style.lineWidth(), c.line);
        EXPECT_EQ(style.fontSize(), c.font);
    }
    for (const int raw : {-1, 3, 100}) {
        EXPECT_FALSE(annotationWeightFromRaw(raw).has_value()) << raw;
    }
    const auto standard = AnnotationStyle::defaultStyle();
    EXPECT_EQ(standard.color, AnnotationColors::red);
    EXPECT_EQ(standard.weight, AnnotationWeight::medium);
}

TEST(UuidTest, RandomIdsAreVersionFourInCanonicalForm) {
    const std::regex canonical("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const auto text = Uuid::random().string();
        EXPECT_TRUE(std::regex_match(text, canonical)) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 1000U);

    Uuid::Bytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 17);
    }
    EXPECT_EQ(Uuid(bytes).string(), "00112233-4455-6677-8899-AABBCCDDEEFF");
    EXPECT_EQ(Uuid().string(), "00000000-0000-0000-0000-000000000000");
}

} // namespace
