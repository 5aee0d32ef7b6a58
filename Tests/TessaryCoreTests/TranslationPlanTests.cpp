#include "TessaryCore/DateLocalization.h"
#include "TessaryCore/LanguageIdentity.h"
#include "TessaryCore/TranslationBlockLayout.h"
#include "TessaryCore/TranslationPlan.h"
#include "TessaryCore/TranslationProgressPlacement.h"
#include "TessaryCore/TranslationTypesetting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

using namespace tessary;

namespace {

// Languages by text, as a detector would name them; anything else is undetected.
TranslationPlan::LanguageDetector detector(std::map<std::string, std::string> known) {
    return [known = std::move(known)](std::string_view text) -> std::optional<std::string> {
        const auto found = known.find(std::string(text));
        return found == known.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
}

// Text of fixed-width glyphs (0.5 em) wrapped at spaces or anywhere, 1.2 em per line.
double measureMonospace(const std::string& text, double size, double width) {
    const double glyph = 0.5 * size;
    const int perLine = std::max(1, int(width / glyph));
    const int lines = std::max(1, int(std::ceil(double(text.size()) / perLine)));
    return lines * 1.2 * size;
}

} // namespace

TEST(LanguageIdentityTest, ComparesLanguageAndScript) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"en", "en-US", true},      {"zh", "zh-Hans", true},    {"zh-Hans", "zh-Hant", false},
        {"zh-TW", "zh-Hant", true}, {"zh_CN", "zh-Hans", true}, {"ja", "zh-Hans", false},
        {"en", "fr", false},        {"sr-Latn", "sr", false},   {"", "", true},
        {"", "en", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LanguageIdentity::isSameLanguage(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(LanguageIdentity::isSameLanguage(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
}

TEST(TranslationPlanTest, SendsOnlyForeignWordsAndConvertsDatesLocally) {
    const std::vector<std::string> paragraphs = {
        "\u2022 Display settings", // decorated: the core is sent
        "2024-05-06",              // figures: kept
        "保存图片",                // already in the target language
        "May 6, 2024",             // only a date: converted here, not sent
        "Updated May 6, 2024",     // a date in words: converted and sent
        "Ok",                      // undetected on its own: takes the overall language
    };
    const auto detect =
        detector({{"\u2022 Display settings", "en"},
                  {"保存图片", "zh-Hans"},
                  {"Updated May 6, 2024", "en"},
                  {"\u2022 Display settings\n2024-05-06\n保存图片\nMay 6, 2024\nUpdated May 6, "
                   "2024\nOk",
                   "en"}});
    TranslationPlan plan = TranslationPlan::make(paragraphs, "zh-Hans", detect);

    const std::string onlyDate = DateLocalization::localize("May 6, 2024", "zh-Hans")->text;
    const std::string withDate = DateLocalization::localize("Updated May 6, 2024", "zh-Hans")->text;
    EXPECT_NE(onlyDate, "May 6, 2024");
    EXPECT_EQ(plan.sent, (std::vector<std::size_t>{0, 4, 5}));
    EXPECT_EQ(plan.textsToSend, (std::vector<std::string>{"Display settings", withDate, "Ok"}));
    EXPECT_EQ(plan.sameLanguageCount, 1);
    EXPECT_EQ(plan.localDateCount, 2);
    EXPECT_EQ(plan.languages[5], "en");
    EXPECT_EQ(plan.ownLanguages[5], std::nullopt);

    // A wrong number of answers takes nothing; an empty answer keeps the local conversion.
    EXPECT_FALSE(plan.apply({"显示设置", "更新"}));
    EXPECT_EQ(plan.translations[0], "");
    ASSERT_TRUE(plan.apply({"显示设置", "", "好"}));
    EXPECT_EQ(plan.translations, (std::vector<std::string>{"显示设置", "", "", onlyDate, withDate, "好"}));
}

TEST(TranslationPlanTest, BlocksArePlacedInTheSelectionInPoints) {
    TranslationPlan plan = TranslationPlan::make({"Hello there", "Second line"}, "zh-Hans", detector({}));
    ASSERT_TRUE(plan.apply({"你好", ""}));
    const std::vector<DocumentParagraphs::Paragraph> paragraphs = {
        {"Hello there", Rect{20, 10, 200, 40}, 2, TextBlockAlignment::center},
        {"Second line", Rect{0, 100, 50, 20}, 1, TextBlockAlignment::leading}};
    for (const double scale : {2.0, 0.0}) {
        const double s = scale > 0 ? scale : 1;
        const std::vector<TranslationBlock> blocks = plan.blocks(paragraphs, Rect{100, 300, 400, 200}, scale);
        ASSERT_EQ(blocks.size(), 2u);
        EXPECT_EQ(blocks[0].rect, (Rect{100 + 20 / s, 500 - 50 / s, 200 / s, 40 / s}));
        EXPECT_EQ(blocks[0].translatedText, "你好");
        EXPECT_EQ(blocks[0].lineCount, 2);
        EXPECT_EQ(blocks[0].alignment, TextBlockAlignment::center);
        EXPECT_EQ(blocks[1].translatedText, "");
        EXPECT_NE(blocks[0].id, blocks[1].id);
    }
}

TEST(TranslationLayoutsTest, FitsTheLargestSizeThatFitsNeverBelowTheMinimum) {
    struct Case {
        const char* text;
        Rect rect;
        int lines;
    };
    const Case cases[] = {
        {"短", Rect{0, 0, 200, 10}, 1},                                                 // upper bound 10.5
        {"A translation long enough to wrap", Rect{0, 0, 120, 40}, 2},                  // wraps
        {"Far too much text for a tiny box of this size at all", Rect{0, 0, 30, 8}, 1}, // overflows
        {"Mid", Rect{5, 5, 300, 100}, 4},
    };
    for (const Case& c : cases) {
        TranslationOverlay overlay;
        overlay.blocks.push_back(
            {Uuid::random(), "source", c.text, c.rect, c.lines, TextBlockAlignment::trailing, {}});
        const auto layouts = TranslationLayouts::layout(
            overlay, [](Point) { return std::nullopt; }, measureMonospace);
        ASSERT_EQ(layouts.size(), 1u) << c.text;
        const TranslationBlockLayout& l = layouts[0];
        const double h = TranslationTypesetting::lineHeight(c.rect, c.lines);
        const double upper = std::min(TranslationTypesetting::initialFontSize(h) * 1.35,
                                      TranslationTypesetting::maximumFontSize(h));
        const double width = std::max(l.coverRect.width - 2, 1.0);
        const auto fits = [&](double size) {
            return std::ceil(measureMonospace(c.text, size, width)) <= l.coverRect.height;
        };
        EXPECT_GE(l.fontSize, TranslationTypesetting::minimumFontSize) << c.text;
        EXPECT_LE(l.fontSize, upper) << c.text;
        EXPECT_LE(l.textHeight, l.coverRect.height) << c.text;
        if (l.fontSize > TranslationTypesetting::minimumFontSize) {
            EXPECT_TRUE(fits(l.fontSize)) << c.text;
        }
        if (l.fontSize + 0.25 < upper) {
            EXPECT_FALSE(fits(l.fontSize + 0.25)) << c.text << " could be set larger than " << l.fontSize;
        }
        EXPECT_EQ(l.alignment, TextBlockAlignment::trailing);
        const double inset = TranslationTypesetting::coverInset(h);
        EXPECT_EQ(l.coverRect, (Rect{c.rect.x - inset, c.rect.y - inset, c.rect.width + 2 * inset,
                                     c.rect.height + 2 * inset}));
    }
}

TEST(TranslationLayoutsTest, SkipsThinAndUncoveringBlocks) {
    TranslationOverlay overlay;
    const auto add = [&](const char* source, const char* translated, Rect rect) {
        overlay.blocks.push_back(
            {Uuid::random(), source, translated, rect, 1, TextBlockAlignment::leading, {}});
    };
    add("Thin", "细", Rect{0, 0, 100, 2});
    add("Narrow", "窄", Rect{0, 0, 2, 100});
    add("\u2022 Home", "Home", Rect{0, 0, 100, 20}); // the translation says nothing new
    add("Empty", "", Rect{0, 0, 100, 20});
    add("Broken", "坏",
        Rect{0, 0, std::numeric_limits<double>::infinity(), 20}); // an unbounded box would never settle
    add("Kept", "保留", Rect{0, 0, 100, 20});
    const auto layouts = TranslationLayouts::layout(
        overlay, [](Point) { return std::nullopt; }, measureMonospace);
    ASSERT_EQ(layouts.size(), 1u);
    EXPECT_EQ(layouts[0].block.sourceText, "Kept");
}

TEST(TranslationLayoutsTest, SamplesBackgroundAndTextColours) {
    // A dark panel with light text in its middle third, on a light page.
    const Rect text{100, 100, 120, 20};
    const RgbColor panel{0.15, 0.2, 0.25};
    const RgbColor ink{0.95, 0.9, 0.8};
    const auto probe = [&](Point p) -> std::optional<RgbColor> {
        if (p.x < 0 || p.y < 0) {
            return std::nullopt; // outside the image
        }
        const bool stroke = text.contains(p) && int(p.x) % 10 < 5;
        return stroke ? ink : panel;
    };
    const RgbColor background = TranslationLayouts::sampleBackground(text, probe);
    EXPECT_EQ(background, panel);
    EXPECT_EQ(TranslationLayouts::sampleForeground(text, background, probe), ink);

    // Without contrasting pixels: dark text on light, light on dark; nothing probed: white.
    const auto flat = [](RgbColor c) { return [c](Point) -> std::optional<RgbColor> { return c; }; };
    EXPECT_EQ(TranslationLayouts::sampleForeground(text, {0.9, 0.9, 0.9}, flat({0.9, 0.9, 0.9})),
              (RgbColor{0.09, 0.09, 0.10}));
    EXPECT_EQ(TranslationLayouts::sampleForeground(text, panel, flat(panel)), (RgbColor{0.96, 0.96, 0.97}));
    EXPECT_EQ(TranslationLayouts::sampleBackground(text, [](Point) { return std::nullopt; }),
              (RgbColor{1, 1, 1}));
}

TEST(TranslationProgressPlacementTest, AboveTheSelectionInsideTheScreen) {
    const std::vector<Rect> screens = {Rect{0, 0, 1920, 1080}, Rect{1920, 0, 1280, 1024}};
    const Size panel{220, 44};
    struct Case {
        Rect selection;
        Point expected;
    };
    const Case cases[] = {
        {Rect{500, 300, 400, 200}, Point{590, 512}},             // centred above
        {Rect{500, 800, 400, 260}, Point{590, 800 - 44 - 12}},   // no room above: below
        {Rect{1800, 300, 100, 100}, Point{1920 - 220 - 8, 412}}, // 8 points inside the right side
        {Rect{0, 300, 50, 100}, Point{8, 412}},
        {Rect{3000, 300, 200, 100}, Point{3200 - 220 - 8, 412}}, // on the second screen
        {Rect{-900, 300, 200, 100}, Point{-910, 412}},           // on no screen: unclamped
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TranslationProgressPlacement::origin(c.selection, panel, screens), c.expected);
    }
}
