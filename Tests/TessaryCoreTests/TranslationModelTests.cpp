#include "TessaryCore/TranslatableText.h"
#include "TessaryCore/TranslationOverlay.h"
#include "TessaryCore/TranslationTypesetting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tessary;

namespace {

TranslationBlock block(std::string source, std::string translated) {
    return {Uuid::random(),
            std::move(source),
            std::move(translated),
            Rect{10, 20, 200, 40},
            2,
            TextBlockAlignment::leading,
            std::nullopt};
}

TEST(TranslatableTextTest, WorthTranslatingNeedsTwoLettersAndFewerDigits) {
    struct Case {
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"OK", true},
        {"A", false},
        {"2024-05-06", false},
        {"AB 2024", false},
        {"价格", true},
        {"", false},
        {"AB1", true},
        {"ABC123", false},             // digits must be fewer than letters
        {"\u00E9", false},             // one precomposed letter
        {"e\u0301", true},             // a letter and a combining mark count as two
        {"\u0661\u0662 ab", false},    // Arabic-Indic digits are decimal digits too
        {"!! ?? \u2022\u2022", false}, // punctuation and symbols count for nothing
        {"\xff\xfe", false},           // ill-formed bytes count for nothing
        {"x\xffy", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TranslatableText::isWorthTranslating(c.text), c.expected) << c.text;
    }
}

TEST(TranslatableTextTest, StripDecorationRemovesBulletsAndArrows) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"\u2022 Settings", "Settings"},
        {"\u2605\u2605 Top pick \u2192", "Top pick"},
        {"\u2022 ", "\u2022"}, // a text that is only decoration keeps it
        {"-5 \u00B0C", "-5 \u00B0C"},
        {"  \u2022 Home  ", "Home"},
        {"\u2022 \u2022 Item", "Item"}, // repeated: each search anchors at the new start
        {"- item -", "item"},
        {"Back \u2190", "Back"},
        {"***** Five", "***** Five"}, // five symbols are more than decoration
        {"**** Four", "Four"},
        {"1. Intro", "1. Intro"},
        {"\u2022\tTabbed\n", "Tabbed"},
        {"Title\n\u2022 ", "Title"},
        {"\u2605 \u2606", "\u2606"}, // the leading run goes, the last one stays
        {"a \u2022 b", "a \u2022 b"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TranslatableText::stripDecoration(c.text), c.expected) << c.text;
    }
}

TEST(TranslationBlockTest, CoversOnlyTranslationsThatAddSomething) {
    struct Case {
        const char* source;
        const char* translated;
        bool expected;
    };
    const Case cases[] = {
        {"Settings", "\u8BBE\u7F6E", true},
        {"Settings", "", false},
        {"Home", "Home", false},
        {"\u2022 Home", "Home", false},
        {"\u2022 Home", "\u2022 Home", false},
        {"\u2605 Top \u2192", "Top", false},
        {"Caf\u00E9", "Cafe\u0301", false}, // canonically equivalent spellings
        {"\u2022 Caf\u00E9", "Cafe\u0301", false},
        {"Home", "home", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(block(c.source, c.translated).shouldCover(), c.expected)
            << c.source << " / " << c.translated;
    }
}

TEST(TranslationBlockTest, EqualityComparesEveryField) {
    const TranslationBlock base = block("Caf\u00E9", "\u5496\u5561");
    TranslationBlock decomposed = base;
    decomposed.sourceText = "Cafe\u0301";
    EXPECT_EQ(base, decomposed);

    std::vector<TranslationBlock> changed(6, base);
    changed[0].id = Uuid::random();
    changed[1].translatedText = "";
    changed[2].rect.height = 41;
    changed[3].lineCount = 3;
    changed[4].alignment = TextBlockAlignment::center;
    changed[5].sourceLanguage = "en";
    for (std::size_t i = 0; i < changed.size(); ++i) {
        EXPECT_NE(base, changed[i]) << "field " << i;
    }
}

TEST(TranslationOverlayTest, EmptyUnlessSomeBlockCovers) {
    TranslationOverlay overlay{{}, TranslationEngineKind::deepseek, "zh-Hans"};
    EXPECT_TRUE(overlay.isEmpty());
    EXPECT_TRUE(overlay.coveringBlocks().empty());

    overlay.blocks = {block("One", ""), block("Two", ""), block("\u2022 Three", "Three")};
    EXPECT_TRUE(overlay.isEmpty());
    EXPECT_TRUE(overlay.coveringBlocks().empty());

    overlay.blocks[2].translatedText = "\u4E09";
    overlay.blocks[0].translatedText = "\u4E00";
    EXPECT_FALSE(overlay.isEmpty());
    const auto covering = overlay.coveringBlocks();
    ASSERT_EQ(covering.size(), 2u);
    EXPECT_EQ(covering[0].id, overlay.blocks[0].id);
    EXPECT_EQ(covering[1].id, overlay.blocks[2].id);
}

TEST(TranslationEnumsTest, RawValuesRoundTripAndUnknownOnesAreRejected) {
    for (const auto alignment :
         {TextBlockAlignment::leading, TextBlockAlignment::center, TextBlockAlignment::trailing}) {
        EXPECT_EQ(textBlockAlignmentFromRawValue(rawValue(alignment)), alignment);
    }
    ASSERT_EQ(allTranslationEngineKinds.size(), 2u);
    EXPECT_EQ(allTranslationEngineKinds[0], TranslationEngineKind::velmora);
    EXPECT_EQ(rawValue(TranslationEngineKind::velmora), "velmora");
    EXPECT_EQ(rawValue(TranslationEngineKind::deepseek), "deepseek");
    EXPECT_EQ(localizationKey(TranslationEngineKind::velmora), "translate.engine.velmora");
    EXPECT_EQ(localizationKey(TranslationEngineKind::deepseek), "translate.engine.deepseek");
    for (const auto kind : allTranslationEngineKinds) {
        EXPECT_EQ(translationEngineKindFromRawValue(rawValue(kind)), kind);
    }
    for (const char* raw : {"", "Leading", "left", "justified"}) {
        EXPECT_EQ(textBlockAlignmentFromRawValue(raw), std::nullopt) << raw;
    }
    for (const char* raw : {"", "DeepSeek", "google", "velmora "}) {
        EXPECT_EQ(translationEngineKindFromRawValue(raw), std::nullopt) << raw;
    }
}

TEST(TranslationTypesettingTest, SizesFollowTheLineHeightWithFloors) {
    struct Case {
        double lineHeight;
        double initial;
        double maximum;
        double inset;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {5, 6, 6, 1}, {20, 15.6, 21, 2.4}, {0, 6, 6, 1}, {-10, 6, 6, 1}, {100, 78, 105, 12}, {nan, 6, 6, 1},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(TranslationTypesetting::initialFontSize(c.lineHeight), c.initial) << c.lineHeight;
        EXPECT_DOUBLE_EQ(TranslationTypesetting::maximumFontSize(c.lineHeight), c.maximum) << c.lineHeight;
        EXPECT_DOUBLE_EQ(TranslationTypesetting::coverInset(c.lineHeight), c.inset) << c.lineHeight;
    }
    EXPECT_EQ(TranslationTypesetting::minimumFontSize, 6);
}

TEST(TranslationTypesettingTest, LineHeightDividesTheRectangleByItsLines) {
    struct Case {
        Rect rect;
        int lineCount;
        double expected;
    };
    const Case cases[] = {
        {{0, 0, 100, 40}, 2, 20},   {{0, 0, 100, 40}, 0, 40}, {{0, 0, 100, 40}, -3, 40},
        {{5, 50, 100, -40}, 4, 10}, {{0, 0, 100, 0}, 1, 0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(TranslationTypesetting::lineHeight(c.rect, c.lineCount), c.expected) << c.lineCount;
    }
}

} // namespace
