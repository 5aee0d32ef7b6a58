#include "TessaryCore/DeepSeekReply.h"
#include "TessaryCore/DeepSeekRequest.h"
#include "TessaryCore/DeepSeekRetry.h"
#include "TessaryCore/TranslationEndpoint.h"
#include "TessaryCore/TranslationFailure.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <variant>

using namespace tessary;

namespace {

// A chat-completions reply whose message content is `content` (already JSON-escaped).
std::string reply(const std::string& escapedContent) {
    return R"({"id":"x","choices":[{"index":0,"message":{"role":"assistant","content":")" + escapedContent +
           R"("}}]})";
}

using Outcome = std::variant<std::vector<std::string>, TranslationFailure>;

Outcome runParse(const std::string& data, std::size_t expecting) {
    try {
        return DeepSeekReply::parse(data, expecting);
    } catch (const TranslationFailure& failure) {
        return failure;
    }
}

const std::string structureText = "响应结构不是预期的 choices/message/content";

} // namespace

TEST(DeepSeekReplyTest, ParsesRepliesAndNamesEveryFailure) {
    struct Case {
        const char* name;
        std::string data;
        std::size_t expecting;
        Outcome expected;
    };
    const std::string longContent(130, 'x');
    const std::vector<Case> cases = {
        {"in order", reply(R"({\"items\":[{\"id\":0,\"text\":\"你好\"},{\"id\":1,\"text\":\"\"}]})"), 2,
         std::vector<std::string>{"你好", ""}},
        {"out of order, integral float id",
         reply(R"({\"items\":[{\"id\":1.0,\"text\":\"b\"},{\"id\":0,\"text\":\"a\"}]})"), 2,
         std::vector<std::string>{"a", "b"}},
        {"fence with language tag", reply(R"(\n```json\n{\"items\":[{\"id\":0,\"text\":\"a\"}]}\n```\n)"), 1,
         std::vector<std::string>{"a"}},
        {"text not a string gives empty", reply(R"({\"items\":[{\"id\":0,\"text\":5}]})"), 1,
         std::vector<std::string>{""}},
        {"later duplicate wins",
         reply(R"({\"items\":[{\"id\":0,\"text\":\"a\"},{\"id\":0,\"text\":\"b\"}]})"), 1,
         std::vector<std::string>{"b"}},
        {"stray ids ignored",
         reply(
             R"({\"items\":[{\"id\":-1},{\"id\":2},{\"id\":\"0\"},{\"id\":0.5},7,{\"id\":0,\"text\":\"a\"}]})"),
         1, std::vector<std::string>{"a"}},
        {"missing middle item", reply(R"({\"items\":[{\"id\":0,\"text\":\"a\"},{\"id\":2,\"text\":\"c\"}]})"),
         3, TranslationFailure::countMismatch(3, 2)},
        {"repeated id does not stand in for a missing one",
         reply(
             R"({\"items\":[{\"id\":0,\"text\":\"a\"},{\"id\":1,\"text\":\"b\"},{\"id\":1,\"text\":\"b\"}]})"),
         3, TranslationFailure::countMismatch(3, 2)},
        {"empty items for empty input", reply(R"({\"items\":[]})"), 0, std::vector<std::string>{}},
        {"not JSON", "<html>busy</html>", 1, TranslationFailure::invalidResponse(structureText)},
        {"no choices", R"({"choices":[]})", 1, TranslationFailure::invalidResponse(structureText)},
        {"content null", R"({"choices":[{"message":{"content":null}}]})", 1,
         TranslationFailure::invalidResponse(structureText)},
        {"choices not a list", R"({"choices":{"message":{"content":"x"}}})", 1,
         TranslationFailure::invalidResponse(structureText)},
        {"content is prose", reply("好的，这是译文"), 1,
         TranslationFailure::invalidResponse("模型返回的不是约定的 JSON：好的，这是译文")},
        {"items not a list", reply(R"({\"items\":{}})"), 1,
         TranslationFailure::invalidResponse(R"(模型返回的不是约定的 JSON：{"items":{}})")},
        {"preview is 120 characters of the raw content", reply(longContent), 1,
         TranslationFailure::invalidResponse("模型返回的不是约定的 JSON：" + longContent.substr(0, 120))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = runParse(c.data, c.expecting);
        if (const auto* failure = std::get_if<TranslationFailure>(&c.expected)) {
            ASSERT_TRUE(std::holds_alternative<TranslationFailure>(outcome));
            EXPECT_EQ(std::get<TranslationFailure>(outcome), *failure)
                << std::get<TranslationFailure>(outcome).what();
        } else {
            ASSERT_TRUE(std::holds_alternative<std::vector<std::string>>(outcome))
                << std::get<TranslationFailure>(outcome).what();
            EXPECT_EQ(std::get<std::vector<std::string>>(outcome),
                      std::get<std::vector<std::string>>(c.expected));
        }
    }
}

TEST(DeepSeekReplyTest, PreviewCountsCharactersNotBytes) {
    // 125 emoji with skin tones: 120 graphemes are 480 UTF-16 units, well past 120 bytes.
    std::string content;
    for (int i = 0; i < 125; ++i) {
        content += "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"; // thumbs up + medium skin tone
    }
    const Outcome outcome = runParse(reply(content), 1);
    ASSERT_TRUE(std::holds_alternative<TranslationFailure>(outcome));
    EXPECT_EQ(std::get<TranslationFailure>(outcome).firstText(),
              "模型返回的不是约定的 JSON：" + content.substr(0, 120 * 8));
}

TEST(DeepSeekReplyTest, StripsCodeFences) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"  {\"items\":[]}\n", "{\"items\":[]}"},
        {"```json\n{\"a\":1}\n```", "{\"a\":1}"},
        {"```\r\n{\"a\":1}```", "{\"a\":1}"},
        {"```JSON\xE2\x80\xA8{\"a\":1}\n```  ", "{\"a\":1}"}, // U+2028 ends the tag line
        {"```{\"a\":1}```", "```{\"a\":1}"},                  // no line break: only the closing fence goes
        {"```", ""},
        {"\xE3\x80\x80```\n x \n```\xE3\x80\x80", "x"}, // ideographic spaces trimmed
        {"plain ``` text", "plain ``` text"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(DeepSeekReply::stripCodeFence(input), expected) << input;
    }
}

TEST(DeepSeekReplyTest, ErrorBodyExcerptKeepsWholeCharactersWithin300Bytes) {
    const std::string ascii(400, 'e');
    EXPECT_EQ(DeepSeekReply::errorBodyExcerpt(ascii), ascii.substr(0, 300));
    EXPECT_EQ(DeepSeekReply::errorBodyExcerpt("{\"error\":\"bad key\"}"), "{\"error\":\"bad key\"}");
    // 299 ASCII bytes then a three-byte character: the limit cuts it, so it is dropped whole.
    const std::string cut = std::string(299, 'a') + "错误";
    EXPECT_EQ(DeepSeekReply::errorBodyExcerpt(cut), std::string(299, 'a'));
    const std::string fits = std::string(297, 'a') + "错误";
    EXPECT_EQ(DeepSeekReply::errorBodyExcerpt(fits), std::string(297, 'a') + "错");
    EXPECT_EQ(DeepSeekReply::errorBodyExcerpt("\xFF\xFE binary"), "");
}

TEST(DeepSeekRequestTest, SystemPromptMatchesTheFixedTextByteForByte) {
    std::ifstream file(TESSARY_TEST_DATA "/translation/deepseek-system-prompt-zh-Hans.txt", std::ios::binary);
    const std::string expected{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(DeepSeekRequest::systemPrompt("zh-Hans"), expected);
    EXPECT_NE(expected.back(), '\n');
}

TEST(DeepSeekRequestTest, ItemsAreCompactJsonWithZeroBasedIds) {
    EXPECT_EQ(DeepSeekRequest::itemsJson({"Save", "say \"hi\"\n", "价格"}),
              R"([{"id":0,"text":"Save"},{"id":1,"text":"say \"hi\"\n"},{"id":2,"text":"价格"}])");
    EXPECT_EQ(DeepSeekRequest::itemsJson({}), "[]");
    EXPECT_EQ(DeepSeekRequest::itemsJson({"ok", "\xC3"}), "[]");
}

TEST(DeepSeekRetryTest, SevenAttemptsWithTheFixedPauses) {
    using std::chrono::milliseconds;
    const std::vector<milliseconds> expected = {milliseconds(300),  milliseconds(500),  milliseconds(800),
                                                milliseconds(1200), milliseconds(1500), milliseconds(2000)};
    std::vector<milliseconds> delays;
    for (int attempt = 1; attempt < DeepSeekRetry::maxAttempts; ++attempt) {
        delays.push_back(DeepSeekRetry::delayAfter(attempt));
    }
    EXPECT_EQ(DeepSeekRetry::maxAttempts, 7);
    EXPECT_EQ(delays, expected);

    for (const int status : {429, 500, 502, 503, 599}) {
        EXPECT_TRUE(DeepSeekRetry::isRetryableStatus(status)) << status;
    }
    for (const int status : {200, 400, 401, 403, 404, 428, 430, 499, 600}) {
        EXPECT_FALSE(DeepSeekRetry::isRetryableStatus(status)) << status;
    }
    using T = DeepSeekRetry::TransportError;
    for (const T error : {T::connectionLost, T::cannotConnect, T::timedOut, T::hostNotFound, T::dnsFailed,
                          T::secureConnectionFailed}) {
        EXPECT_TRUE(DeepSeekRetry::isRetryable(error));
    }
    EXPECT_FALSE(DeepSeekRetry::isRetryable(T::notConnected));
    EXPECT_FALSE(DeepSeekRetry::isRetryable(T::other));
}

TEST(TranslationEndpointTest, PlainHttpOnlyToThisMachine) {
    using V = TranslationEndpoint::Verdict;
    const std::vector<std::tuple<std::string, std::string, V>> cases = {
        {"https", "api.deepseek.com", V::secure},
        {"HTTPS", "example.org", V::secure},
        {"http", "api.deepseek.com", V::refused},
        {"http", "127.0.0.1", V::loopback},
        {"http", "127.8.9.10", V::loopback},
        {"http", "::1", V::loopback},
        {"http", "[::1]", V::loopback},
        {"http", "::ffff:127.0.0.1", V::loopback},
        {"http", "::ffff:10.0.0.1", V::refused},
        {"http", "LocalHost", V::loopback},
        {"https", "localhost", V::loopback},
        {"http", "localhost.example.com", V::refused},
        {"http", "127.0.0.1.nip.io", V::refused},
        {"http", "0177.0.0.1", V::refused},
        {"http", "128.0.0.1", V::refused},
        {"ftp", "127.0.0.1", V::refused},
        {"https", "", V::refused},
        {"ws", "localhost", V::refused},
    };
    for (const auto& [scheme, host, verdict] : cases) {
        EXPECT_EQ(TranslationEndpoint::classify(scheme, host), verdict) << scheme << "://" << host;
    }
}

TEST(TranslationFailureTest, KeysAndArgumentsFollowTheirPlaceholders) {
    struct Case {
        TranslationFailure failure;
        std::string key;
        std::vector<std::string> arguments;
    };
    const std::vector<Case> cases = {
        {TranslationFailure::serverError(401, "bad key"), "translate.error.server", {"401", "bad key"}},
        {TranslationFailure::networkUnavailable(7, "HTTP 503"), "translate.error.network", {"7", "HTTP 503"}},
        {TranslationFailure::countMismatch(3, 2), "translate.error.countMismatch", {"3", "2"}},
        {TranslationFailure::invalidResponse("x"), "translate.error.invalidResponse", {"x"}},
        {TranslationFailure::cloud("quota", "Daily quota used up"), "", {}},
        {TranslationFailure::missingAPIKey(), "translate.error.missingKey", {}},
        {TranslationFailure::notLoggedIn(), "translate.error.notLoggedIn", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.failure.localizationKey(), c.key) << c.failure.what();
        EXPECT_EQ(c.failure.formatArguments(), c.arguments) << c.failure.what();
    }
    EXPECT_STREQ(TranslationFailure::countMismatch(3, 2).what(), "countMismatch(3, 2)");
    EXPECT_EQ(TranslationFailure::cloud("quota", "Daily quota used up").secondText(), "Daily quota used up");
}
