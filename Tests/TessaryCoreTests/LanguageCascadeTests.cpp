#include "TessaryCore/LanguageCascade.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace tessary;
using Reading = LanguageCascade::Reading;

namespace {

// Models in the recogniser's priority order.
constexpr std::size_t jpn = 0;
constexpr std::size_t chi = 1;
constexpr std::size_t eng = 2;

LanguageCascade cascade() {
    return LanguageCascade({"jpn", "chi_sim", "eng"});
}

// A reading with kana (Japanese) or with Han letters only (Chinese, or Japanese without kana).
Reading kana(std::size_t model, double confidence) {
    return {model, confidence, confidence, true, true};
}

Reading cjk(std::size_t model, double confidence) {
    return {model, confidence, confidence, true, false};
}

Reading latin(std::size_t model, double confidence, double weakest) {
    return {model, confidence, weakest, false};
}

struct NextCase {
    const char* name;
    std::vector<Reading> tried;
    std::optional<std::size_t> expected;
};

TEST(LanguageCascadeTest, TriesModelsUntilOneReadsTheLineConvincingly) {
    const std::vector<NextCase> cases = {
        {"a new image starts with the alphabetic model", {}, eng},
        {"Japanese read well", {kana(jpn, 93)}, std::nullopt},
        {"Han without kana from the Japanese model may be Chinese", {cjk(jpn, 90)}, chi},
        {"Chinese read well", {cjk(chi, 90)}, std::nullopt},
        {"Japanese read by the Chinese model goes on to Japanese", {kana(chi, 50)}, jpn},
        {"Chinese read by the Japanese model goes on to Chinese", {cjk(jpn, 55)}, chi},
        {"at the threshold counts as read", {kana(jpn, LanguageCascade::acceptedConfidence)}, std::nullopt},
        {"just under it does not", {kana(jpn, LanguageCascade::acceptedConfidence - 0.5)}, chi},
        {"English read by the Japanese model goes straight to English", {latin(jpn, 90, 80)}, eng},
        {"weak Latin from a CJK model tries the other CJK model",
         {latin(jpn, 40, 10), latin(chi, 30, 5)},
         eng},
        {"a failed English reading tries CJK in priority order", {latin(eng, 8, 0)}, jpn},
        {"then the other CJK model", {latin(eng, 8, 0), cjk(jpn, 50)}, chi},
        {"English with one garbage word is not accepted", {latin(eng, 85, 12)}, jpn},
        {"English read well", {latin(eng, 95, 70)}, std::nullopt},
        {"a Latin line confirmed by a CJK model stops",
         {latin(eng, 85, 12), latin(jpn, 88, 60)},
         std::nullopt},
        {"all tried, none convincing", {cjk(jpn, 50), cjk(chi, 60), latin(eng, 5, 0)}, std::nullopt},
        {"no words from any model", {Reading{jpn}, Reading{chi}, Reading{eng}}, std::nullopt},
    };
    for (const NextCase& c : cases) {
        EXPECT_EQ(cascade().next(c.tried), c.expected) << c.name;
    }
}

TEST(LanguageCascadeTest, TheModelThatReadTheLastLineGoesFirstUntilRestarted) {
    LanguageCascade languages = cascade();
    const std::vector<Reading> chinese = {cjk(jpn, 50), cjk(chi, 91)};
    EXPECT_EQ(languages.settle(chinese), 1u);
    EXPECT_EQ(languages.next({}), chi);
    EXPECT_EQ(languages.next({cjk(chi, 45)}), jpn) << "a Japanese line after Chinese ones";

    const std::vector<Reading> english = {cjk(chi, 45), latin(eng, 96, 90)};
    EXPECT_EQ(languages.settle(english), 1u);
    EXPECT_EQ(languages.next({}), eng);

    EXPECT_EQ(languages.settle({latin(eng, 3, 0), kana(jpn, 92)}), 1u);
    EXPECT_EQ(languages.next({}), jpn);
    languages.restart();
    EXPECT_EQ(languages.next({}), eng);
}

TEST(LanguageCascadeTest, KeepsTheMostConfidentReadingAndTheFirstOnTies) {
    const std::vector<std::pair<std::vector<Reading>, std::size_t>> cases = {
        {{cjk(jpn, 50)}, 0},
        {{cjk(jpn, 50), cjk(chi, 70), latin(eng, 10, 0)}, 1},
        {{cjk(jpn, 60), cjk(chi, 60)}, 0},
        {{latin(eng, 85, 12), latin(jpn, 88, 60)}, 1},
    };
    for (const auto& [tried, expected] : cases) {
        LanguageCascade languages = cascade();
        EXPECT_EQ(languages.settle(tried), expected);
        EXPECT_EQ(languages.next({}), tried[expected].model);
    }
}

TEST(LanguageCascadeTest, KnowsWhichModelsWriteCjk) {
    for (const char* language : {"jpn", "jpn_vert", "chi_sim", "chi_tra"}) {
        EXPECT_TRUE(LanguageCascade::writesCjk(language)) << language;
    }
    for (const char* language : {"eng", "deu", "kor", ""}) {
        EXPECT_FALSE(LanguageCascade::writesCjk(language)) << language;
    }
}

TEST(LanguageCascadeTest, AlphabeticModelsAloneStillStopAtTheEnd) {
    EXPECT_EQ(LanguageCascade({"jpn", "chi_sim"}).next({}), 0u) << "no alphabetic model";
    LanguageCascade languages({"eng", "deu"});
    EXPECT_EQ(languages.next({}), 0u);
    EXPECT_EQ(languages.next({latin(0, 20, 0)}), 1u);
    EXPECT_EQ(languages.next({latin(0, 20, 0), latin(1, 30, 0)}), std::nullopt);
    EXPECT_EQ(LanguageCascade({}).next({}), std::nullopt);
}

} // namespace
