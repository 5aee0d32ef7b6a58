#include "TessaryCore/CloudAPIError.h"
#include "TessaryCore/CloudDate.h"
#include "TessaryCore/CloudReply.h"
#include "TessaryCore/CloudRequest.h"
#include "TessaryCore/CloudRetry.h"
#include "TessaryCore/OsRelease.h"
#include "TessaryCore/TranslationFailure.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <variant>

using namespace tessary;
using namespace std::chrono;

namespace {

std::int64_t epochMs(std::string_view text) {
    const auto parsed = CloudDate::parse(text);
    return parsed ? parsed->time_since_epoch().count() : -1;
}

const std::string quotaJson = R"({"used":3,"limit":50,"resetAt":"2026-12-09T00:00:00Z"})";

std::string translateBody(const std::string& items) {
    return R"({"items":)" + items +
           R"(,"stats":{"blocks":3,"cacheHit":1,"upstream":2,"upstreamMs":40,"totalMs":55},"quota":)" +
           quotaJson + "}";
}

using Outcome = std::variant<std::vector<std::string>, TranslationFailure>;

Outcome runTranslation(const std::string& body, std::size_t expecting) {
    try {
        return CloudReply::translation(body, expecting).texts;
    } catch (const TranslationFailure& failure) {
        return failure;
    }
}

} // namespace

TEST(CloudDate, ParsesInternetDateTimeWithAndWithoutFraction) {
    const std::int64_t base = 1796774400000; // 2026-12-09T00:00:00Z
    const struct {
        const char* text;
        std::int64_t expected; // -1: refused
    } cases[] = {
        {"2026-12-09T00:00:00Z", base},
        {"2026-12-09T00:00:00.5Z", base + 500},
        {"2026-12-09T00:00:00.123Z", base + 123},
        {"2026-12-09T00:00:00.123456789Z", base + 123},
        {"2026-12-09T08:00:00+08:00", base},
        {"2026-12-08T19:30:00-04:30", base},
        {"2024-02-29T12:00:00Z", 1709208000000},
        {"2026-12-09 00:00:00Z", -1},
        {"2026-12-09T00:00:00", -1},
        {"2026-12-09T00:00:00.Z", -1},
        {"2026-12-09T00:00:00.1234567890Z", -1},
        {"2026-02-29T00:00:00Z", -1},
        {"2026-13-01T00:00:00Z", -1},
        {"2026-12-09T24:00:00Z", -1},
        {"2026-12-09T23:59:60Z", -1},
        {"2026-12-09T00:00:00+0800", -1},
        {"2026-12-09T00:00:00Zjunk", -1},
        {"2026-12-09t00:00:00z", -1},
        {"+026-12-09T00:00:00Z", -1},
        {"", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(epochMs(c.text), c.expected) << c.text;
    }
    EXPECT_EQ(CloudDate::format(CloudDate::Time(milliseconds(base + 999))), "2026-12-09T00:00:00Z");
    EXPECT_EQ(epochMs(CloudDate::format(CloudDate::Time(milliseconds(1709208000000)))), 1709208000000);
}

TEST(CloudReply, DecodesAuthenticationAndReportsWhatIsWrong) {
    const auto auth = CloudReply::authentication(
        R"({"token":"t-1","user":{"id":"u1","email":"a@b.c","shareCache":false,"extra":1},"quota":)" +
        quotaJson + "}");
    EXPECT_EQ(auth.token, "t-1");
    EXPECT_EQ(auth.user.email, "a@b.c");
    EXPECT_FALSE(auth.user.shareCache);
    EXPECT_EQ(auth.quota.used, 3);
    EXPECT_EQ(auth.quota.limit, 50);
    EXPECT_FALSE(auth.quota.unlimited.has_value());

    const struct {
        std::string body;
        std::string text;
    } failures[] = {
        {"not json", "响应结构不是预期的：不是合法的 JSON"},
        {"[]", "响应结构不是预期的：顶层不是对象"},
        {R"({"user":{},"quota":{}})", "响应结构不是预期的：缺少字段 token"},
        {R"({"token":"a\r\nX-Injected: 1","user":{},"quota":{}})",
         "响应结构不是预期的：token 不是合法的令牌"},
        {R"({"token":"","user":{},"quota":{}})", "响应结构不是预期的：token 不是合法的令牌"},
        {R"({"token":"t","user":{"id":"u","email":"e","shareCache":"yes"},"quota":{}})",
         "响应结构不是预期的：字段 user.shareCache 应为布尔值"},
        {R"({"token":"t","user":{"id":"u","email":"e","shareCache":true},"quota":{"used":1.5}})",
         "响应结构不是预期的：字段 quota.used 应为整数"},
        {R"({"token":"t","user":{"id":"u","email":"e","shareCache":true},)"
         R"("quota":{"used":1,"limit":2,"resetAt":"tomorrow"}})",
         "响应结构不是预期的：时间格式不对: tomorrow"},
        {R"({"token":"t","user":{"id":"u","email":"e","shareCache":true},)"
         R"("quota":{"used":1,"limit":2,"unlimited":1,"resetAt":"2026-12-09T00:00:00Z"}})",
         "响应结构不是预期的：字段 quota.unlimited 应为布尔值"},
    };
    for (const auto& c : failures) {
        try {
            CloudReply::authentication(c.body);
            ADD_FAILURE() << c.body;
        } catch (const TranslationFailure& failure) {
            EXPECT_EQ(failure, TranslationFailure::invalidResponse(c.text)) << failure.what();
        }
    }
}

TEST(CloudReply, TranslationItemsFillByIdAndCountDistinctIds) {
    const struct {
        std::string items;
        std::size_t expecting;
        Outcome outcome;
    } cases[] = {
        {R"([{"id":2,"text":""},{"id":0,"text":"设置"},{"id":1,"text":"保存"}])", 3,
         std::vector<std::string>{"设置", "保存", ""}},
        {R"([{"id":0,"text":"a"},{"id":0,"text":"b"},{"id":1,"text":"c"}])", 3,
         TranslationFailure::countMismatch(3, 2)},
        {R"([{"id":0,"text":"a"},{"id":0,"text":"b"}])", 1, std::vector<std::string>{"a"}},
        {R"([{"id":0,"text":"a"},{"id":7,"text":"x"},{"id":-1,"text":"y"}])", 2,
         TranslationFailure::countMismatch(2, 1)},
        {R"([{"text":"a"}])", 1,
         TranslationFailure::invalidResponse("响应结构不是预期的：缺少字段 items[0].id")},
        {R"([{"id":0}])", 1,
         TranslationFailure::invalidResponse("响应结构不是预期的：缺少字段 items[0].text")},
        {R"([{"id":"0","text":"a"}])", 1,
         TranslationFailure::invalidResponse("响应结构不是预期的：字段 items[0].id 应为整数")},
        {R"([{"id":18446744073709551615,"text":"a"}])", 1,
         TranslationFailure::invalidResponse("响应结构不是预期的：字段 items[0].id 应为整数")},
        {R"({"0":"a"})", 1, TranslationFailure::invalidResponse("响应结构不是预期的：字段 items 应为数组")},
        {"[]", 0, std::vector<std::string>{}},
    };
    for (const auto& c : cases) {
        const Outcome outcome = runTranslation(translateBody(c.items), c.expecting);
        EXPECT_EQ(outcome, c.outcome) << c.items;
    }
    const auto result = CloudReply::translation(translateBody(R"([{"id":0,"text":"a"}])"), 1);
    EXPECT_EQ(result.stats.cacheHit, 1);
    EXPECT_EQ(result.stats.totalMs, 55);
    EXPECT_EQ(result.quota.used, 3);
}

TEST(CloudReply, StoredQuotaRoundTripsAndRefusesGarbage) {
    for (const std::optional<bool> unlimited : {std::optional<bool>(), std::optional<bool>(true)}) {
        CloudQuota quota{7, 100, unlimited, CloudDate::Time(milliseconds(1796774400000))};
        EXPECT_EQ(CloudReply::storedQuota(CloudReply::encodeQuota(quota)), quota);
    }
    EXPECT_EQ(CloudReply::encodeQuota({1, 2, std::nullopt, CloudDate::Time(milliseconds(0))}),
              R"({"limit":2,"resetAt":"1970-01-01T00:00:00Z","used":1})");
    for (const char* text : {"", "{}", R"({"used":1,"limit":2,"resetAt":"x"})", "null"}) {
        EXPECT_FALSE(CloudReply::storedQuota(text).has_value()) << text;
    }
}

TEST(CloudAPIError, ErrorBodiesKeepTheServiceTextOrFallBack) {
    const struct {
        int status;
        std::string body;
        CloudAPIError expected;
    } cases[] = {
        {429,
         R"({"code":"quota_exhausted","message":"今日额度已用完"})",
         {429, "quota_exhausted", "今日额度已用完"}},
        {502, "<html><body>Bad Gateway</body></html>", {502, "http_502", "服务端返回 HTTP 502"}},
        {400, R"({"code":1,"message":"x"})", {400, "http_400", "服务端返回 HTTP 400"}},
        {401, R"({"code":"expired"})", {401, "http_401", "服务端返回 HTTP 401"}},
        {500, "", {500, "http_500", "服务端返回 HTTP 500"}},
        {409, R"(["code","message"])", {409, "http_409", "服务端返回 HTTP 409"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CloudAPIError::fromResponse(c.status, c.body), c.expected) << c.body;
    }
    EXPECT_EQ(CloudAPIError::badBaseURL("ftp://x").message(), "服务器地址不合法：ftp://x");
}

TEST(CloudRequest, BodiesCarryExactlyTheAgreedMembers) {
    CloudRequest::Device device{"dev-1", "host", "1.2.3", "Debian GNU/Linux 12 (bookworm)", std::nullopt};
    auto body = nlohmann::json::parse(CloudRequest::authBody("a@b.c", "pw \"x\"", device));
    EXPECT_EQ(body, nlohmann::json({{"email", "a@b.c"},
                                    {"password", "pw \"x\""},
                                    {"deviceId", "dev-1"},
                                    {"platform", "linux"},
                                    {"deviceName", "host"},
                                    {"appVersion", "1.2.3"},
                                    {"osVersion", "Debian GNU/Linux 12 (bookworm)"}}));
    device.hardwareHint = "";
    EXPECT_FALSE(nlohmann::json::parse(CloudRequest::authBody("a", "b", device)).contains("hardwareHint"));
    device.hardwareHint = "ab12";
    EXPECT_EQ(nlohmann::json::parse(CloudRequest::authBody("a", "b", device))["hardwareHint"], "ab12");

    EXPECT_EQ(CloudRequest::shareCacheBody(false), R"({"shareCache":false})");
    EXPECT_EQ(CloudRequest::translateBody("0f0e", "zh-Hans", false, {"Hi", "Bye"}),
              R"({"bypassCache":false,"items":[{"id":0,"text":"Hi"},{"id":1,"text":"Bye"}],)"
              R"("requestId":"0f0e","target":"zh-Hans"})");
}

TEST(CloudRequest, StaleDevelopmentOriginsGiveWayToTheDefault) {
    const struct {
        const char* stored;
        const char* expected;
        bool stale;
    } cases[] = {
        {"", "https://cloud.example", false},
        {"http://127.0.0.1:43150", "https://cloud.example", true},
        {"http://localhost:43150", "https://cloud.example", true},
        {"http://localhost:43150/", "http://localhost:43150/", false},
        {"http://127.0.0.1:43151", "http://127.0.0.1:43151", false},
        {"https://mine.example", "https://mine.example", false},
    };
    for (const auto& c : cases) {
        bool stale = false;
        EXPECT_EQ(CloudRequest::effectiveBaseURL(c.stored, "https://cloud.example", &stale), c.expected);
        EXPECT_EQ(stale, c.stale) << c.stored;
    }
}

TEST(CloudRetry, OnlyTransientTransportFailuresAreTriedAgain) {
    using DeepSeekRetry::TransportError;
    for (const auto error :
         {TransportError::connectionLost, TransportError::cannotConnect, TransportError::timedOut}) {
        EXPECT_TRUE(CloudRetry::isRetryable(error));
    }
    for (const auto error :
         {TransportError::hostNotFound, TransportError::dnsFailed, TransportError::secureConnectionFailed,
          TransportError::notConnected, TransportError::other}) {
        EXPECT_FALSE(CloudRetry::isRetryable(error));
    }
    EXPECT_EQ(CloudRetry::delayAfter(1), milliseconds(400));
    EXPECT_EQ(CloudRetry::delayAfter(2), milliseconds(800));
}

TEST(OsRelease, PrettyNameElseNameAndVersion) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nVERSION_ID=\"12\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"NAME=Fedora\nVERSION_ID=40\nPRETTY_NAME=\n", "Fedora 40"},
        {"# comment\nNAME='Arch Linux'\n", "Arch Linux"},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\$HOME\"\r\n", "Say \"hi\" $HOME"},
        {"VERSION_ID=1\n", "1"},
        {"", ""},
        {"=x\nnonsense\n", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OsRelease::description(c.text), c.expected) << c.text;
    }
}
