#include "TessaryCore/DocumentParagraphs.h"

#include <gtest/gtest.h>

using namespace tessary;
using DocumentParagraphs::Paragraph;

namespace {

DocumentTextItem item(std::vector<std::pair<std::string, Rect>> lines,
                      std::optional<TextBlockAlignment> alignment = std::nullopt) {
    DocumentTextItem result;
    result.alignment = alignment;
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (auto& [text, box] : lines) {
        result.transcript += (result.transcript.empty() ? "" : "\n") + text;
        result.lines.push_back({text, box});
        minX = std::min(minX, box.minX());
        minY = std::min(minY, box.minY());
        maxX = std::max(maxX, box.maxX());
        maxY = std::max(maxY, box.maxY());
    }
    result.box = {minX, minY, maxX - minX, maxY - minY};
    return result;
}

// A container holding `inner` as the only cell of a table, `levels` times over.
DocumentContainer nested(DocumentContainer inner, int levels) {
    for (int i = 0; i < levels; ++i) {
        DocumentContainer outer;
        outer.tables.push_back({{{std::move(inner)}}});
        inner = std::move(outer);
    }
    return inner;
}

} // namespace

TEST(DocumentParagraphsTest, NormalizeLineBreaksFoldsLines) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"第一行\n第二行", "第一行第二行"},
        {"first\nline", "first line"},
        {"价格\nUSD 5", "价格 USD 5"},
        {"カタカナ\r\nひらがな", "カタカナひらがな"},
        {"ＡＢＣ\n漢字", "ＡＢＣ漢字"},  // full-width forms join without a space
        {"完了。\n次へ", "完了。 次へ"}, // U+3002 is not in the joining set
        {"  a \t\n\n\t b  ", "a b"},
        {"a\u2028b\u2029c\u0085d\x0b"
         "e\x0c"
         "f\rg",
         "a b c d e f g"},
        {"a\u3000\nb", "a b"}, // the ideographic space is trimmed like any space separator
        {" \n \t\n", ""},
        {"", ""},
        {"one", "one"},
        {"\xff\n\xfe", "\xef\xbf\xbd \xef\xbf\xbd"}, // ill-formed bytes read as U+FFFD
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DocumentParagraphs::normalizeLineBreaks(c.text), c.expected) << c.text;
    }
}

TEST(DocumentParagraphsTest, SplitKeepsWordsTogetherAndFiguresApart) {
    const Rect first{10, 20, 100, 14};
    const Rect second{10, 38, 40, 14};
    // Two lines of words: one paragraph, the item's box, both lines counted, its alignment.
    auto paragraphs =
        DocumentParagraphs::split(item({{"Save the", first}, {"image", second}}, TextBlockAlignment::center));
    ASSERT_EQ(paragraphs.size(), 1u);
    EXPECT_EQ(paragraphs[0],
              (Paragraph{"Save the image", Rect{10, 20, 100, 32}, 2, TextBlockAlignment::center}));

    // A line of figures among words: one paragraph per line, each with its own box, leading.
    paragraphs = DocumentParagraphs::split(
        item({{" Released ", first}, {"2024", second}}, TextBlockAlignment::trailing));
    ASSERT_EQ(paragraphs.size(), 2u);
    EXPECT_EQ(paragraphs[0], (Paragraph{"Released", first, 1, TextBlockAlignment::leading}));
    EXPECT_EQ(paragraphs[1], (Paragraph{"2024", second, 1, TextBlockAlignment::leading}));

    // Lines without area or text are dropped when split.
    paragraphs =
        DocumentParagraphs::split(item({{"Total", first}, {"42", Rect{0, 0, 1, 10}}, {"  ", second}}));
    ASSERT_EQ(paragraphs.size(), 1u);
    EXPECT_EQ(paragraphs[0].text, "Total");

    // Whitespace only, or a box without area: nothing.
    EXPECT_TRUE(DocumentParagraphs::split(item({{" \n\t ", first}})).empty());
    EXPECT_TRUE(DocumentParagraphs::split(item({{"Wide", Rect{0, 0, 50, 1}}})).empty());

    // An item whose recogniser reported no lines still counts one.
    DocumentTextItem bare{"Hello", {}, Rect{0, 0, 30, 10}, std::nullopt};
    paragraphs = DocumentParagraphs::split(bare);
    ASSERT_EQ(paragraphs.size(), 1u);
    EXPECT_EQ(paragraphs[0].lineCount, 1);
}

TEST(DocumentParagraphsTest, CollectWalksTablesAndListsInOrderToEightLevels) {
    const auto text = [](const char* words, double y) {
        DocumentContainer c;
        c.paragraphs.push_back(item({{words, Rect{0, y, 80, 12}}}));
        return c;
    };
    DocumentContainer page = text("Heading text", 0);
    DocumentTable table;
    table.rows = {{text("Cell one", 20), text("Cell two", 20)}, {text("Cell three", 40)}};
    page.tables.push_back(table);
    page.lists.push_back({{text("Item one", 60), text("Item two", 80)}});
    const DocumentParagraphs::Collection collection =
        DocumentParagraphs::collect({page, text("Second page", 100)});
    std::vector<std::string> texts;
    for (const Paragraph& p : collection.paragraphs) {
        texts.push_back(p.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Heading text", "Cell one", "Cell two", "Cell three",
                                               "Item one", "Item two", "Second page"}));
    EXPECT_EQ(collection.truncatedBranches, 0);

    // Paragraphs at depth 7 are read; what lies below is skipped and counted once per branch.
    DocumentContainer deepest = text("Depth eight", 0);
    DocumentContainer atSeven = text("Depth seven", 10);
    atSeven.tables.push_back({{{deepest}}});
    DocumentParagraphs::Collection deep = DocumentParagraphs::collect({nested(atSeven, 7)});
    ASSERT_EQ(deep.paragraphs.size(), 1u);
    EXPECT_EQ(deep.paragraphs[0].text, "Depth seven");
    EXPECT_EQ(deep.truncatedBranches, 1);

    // A leaf at depth 7 cuts nothing off.
    deep = DocumentParagraphs::collect({nested(text("Leaf at seven", 0), 7)});
    EXPECT_EQ(deep.paragraphs.size(), 1u);
    EXPECT_EQ(deep.truncatedBranches, 0);
}

TEST(DocumentParagraphsTest, RepeatsAreRemovedToHalfAPixel) {
    DocumentContainer page;
    page.paragraphs.push_back(item({{"Repeated", Rect{10.2, 20.1, 50.4, 12}}}));
    page.paragraphs.push_back(item({{"Repeated", Rect{10.4, 20.4, 50.1, 12.2}}})); // same half pixels
    page.paragraphs.push_back(item({{"Repeated", Rect{10.6, 20, 50, 12}}}));       // 21 half pixels
    page.paragraphs.push_back(item({{"Other", Rect{10.2, 20.1, 50.4, 12}}}));
    const DocumentParagraphs::Collection collection = DocumentParagraphs::collect({page, page});
    ASSERT_EQ(collection.paragraphs.size(), 3u);
    EXPECT_EQ(collection.paragraphs[0].rect.x, 10.2);
    EXPECT_EQ(collection.paragraphs[1].rect.x, 10.6);
    EXPECT_EQ(collection.paragraphs[2].text, "Other");
    EXPECT_EQ(collection.duplicatesRemoved, 5);
}
