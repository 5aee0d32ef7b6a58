#include "TessaryCore/CjkSpacing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessary;

namespace {

struct SpacingCase {
    const char* name;
    std::string input;
    std::string expected;
};

TEST(CjkSpacingTest, RemovesOnlySpacesBetweenTwoCjkCharacters) {
    const std::vector<SpacingCase> cases = {
        {"Chinese characters", "截 图 完 成 后", "截图完成后"},
        {"Chinese with full-width comma and stop", "文 字 ， 剪 贴 板 。", "文字，剪贴板。"},
        {"Japanese kana and kanji", "日本語 の 文章 を 確認 し ます", "日本語の文章を確認します"},
        {"prolonged sound mark", "ショ ー ト カッ ト", "ショートカット"},
        {"half-width katakana", "ｼｮ ｰﾄ", "ｼｮｰﾄ"},
        {"full-width brackets", "（ 注 ）", "（注）"},
        {"corner brackets", "「 保 存 」", "「保存」"},
        {"runs of spaces and tabs", "中  \t 文", "中文"},
        {"ideographic space between characters", "中\u3000文", "中文"},
        {"English words keep their spaces", "Save the image", "Save the image"},
        {"space between Latin and Han is kept", "Tessary 截 图", "Tessary 截图"},
        {"space between Han and digits is kept", "版 本 2.4 发 布", "版本 2.4 发布"},
        {"leading and trailing spaces are kept", "  中 文  ", "  中文  "},
        {"Hangul separates words with spaces", "안녕 하세요", "안녕 하세요"},
        {"empty", "", ""},
        {"only spaces", "   ", "   "},
        {"astral Han (extension B)", "\xF0\xA0\x80\x80 \xF0\xA0\x80\x81", "\xF0\xA0\x80\x80\xF0\xA0\x80\x81"},
    };
    for (const SpacingCase& c : cases) {
        EXPECT_EQ(CjkSpacing::removeSpacesBetweenCjk(c.input), c.expected) << c.name;
    }
}

} // namespace
