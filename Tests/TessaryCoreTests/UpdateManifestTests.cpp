#include "TessaryCore/JsonValue.h"
#include "TessaryCore/ReleaseConfiguration.h"
#include "TessaryCore/SecureUrl.h"
#include "TessaryCore/UpdateResponse.h"
#include "TessaryCore/UpdateSchedule.h"
#include "TessaryCore/UpdateStatus.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tessary;

namespace {

const ReleaseTarget target{"linux", "x86_64"};

std::string manifestJson(const std::function<void(std::string&)>& edit = {}) {
    std::string json = R"({"schemaVersion":1,"version":"1.4.0","build":13,"platform":"linux",)"
                       R"("architecture":"x86_64","minimumSystemVersion":"2.31.0",)"
                       R"("downloadURL":"https://example.invalid/tessary-1.4.0.tar.gz",)"
                       R"("releaseNotes":"Fixes."})";
    if (edit) {
        edit(json);
    }
    return json;
}

void replace(std::string& text, std::string_view from, std::string_view to) {
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

TEST(ReleaseVersionTest, ParsesOnlyThreePlainNumbers) {
    const struct {
        std::string text;
        std::int64_t build;
        std::optional<std::array<std::int64_t, 3>> expected;
    } cases[] = {
        {"1.2.3", 1, {{1, 2, 3}}},
        {"0.0.0", 7, {{0, 0, 0}}},
        {"10.200.3000", 1, {{10, 200, 3000}}},
        {"9223372036854775807.0.1", 1, {{9223372036854775807, 0, 1}}},
        {"9223372036854775808.0.1", 1, std::nullopt},
        {"1.2", 1, std::nullopt},
        {"1.2.3.4", 1, std::nullopt},
        {"1..3", 1, std::nullopt},
        {"1.2.", 1, std::nullopt},
        {".1.2", 1, std::nullopt},
        {"1.2.x", 1, std::nullopt},
        {"1.2.3-beta", 1, std::nullopt},
        {"+1.2.3", 1, std::nullopt},
        {"-1.2.3", 1, std::nullopt},
        {"01.2.3", 1, std::nullopt},
        {"1.2.03", 1, std::nullopt},
        {" 1.2.3", 1, std::nullopt},
        {"1.2.3", 0, std::nullopt},
        {"1.2.3", -4, std::nullopt},
        {"١.٢.٣", 1, std::nullopt},
        {"", 1, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto version = ReleaseVersion::parse(c.text, c.build);
        ASSERT_EQ(version.has_value(), c.expected.has_value()) << c.text;
        if (version) {
            EXPECT_EQ(version->components, *c.expected) << c.text;
            EXPECT_EQ(version->build, c.build);
        }
    }
}

TEST(ReleaseVersionTest, OrdersNumericallyThenByBuild) {
    const auto v = [](const char* text, std::int64_t build) { return *ReleaseVersion::parse(text, build); };
    EXPECT_LT(v("1.4.0", 12), v("1.4.0", 13));
    EXPECT_EQ(v("1.4.0", 13), v("1.4.0", 13));
    EXPECT_GT(v("1.10.0", 1), v("1.9.9", 99));
    EXPECT_LT(v("1.9.9", 99), v("2.0.0", 1));
    EXPECT_GT(v("0.0.10", 1), v("0.0.9", 5));
}

TEST(ReleaseConfigurationTest, BuildNumberMustBeAPositiveDecimal) {
    const struct {
        std::string build;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"1", 1},
        {"+42", 42},
        {"0", std::nullopt},
        {"-3", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"1a", std::nullopt},
        {" 1", std::nullopt},
        {"9223372036854775808", std::nullopt},
        {"9223372036854775807", 9223372036854775807},
    };
    for (const auto& c : cases) {
        const auto configuration = ReleaseConfiguration::load("0.1.0", c.build, std::nullopt, std::nullopt);
        ASSERT_EQ(configuration.has_value(), c.expected.has_value()) << c.build;
        if (configuration) {
            EXPECT_EQ(configuration->build, *c.expected);
        }
    }
}

TEST(ReleaseConfigurationTest, EndpointAllowsLoopbackHttpOnlyUnderAnOverride) {
    using Result = std::variant<std::string, UpdateError>;
    const struct {
        std::optional<std::string_view> configured;
        std::optional<std::string_view> override;
        Result expected;
    } cases[] = {
        {std::nullopt, std::nullopt, UpdateError::notConfigured},
        {"", std::nullopt, UpdateError::notConfigured},
        {"https://u.example/m.json", std::nullopt, std::string("https://u.example/m.json")},
        {"http://127.0.0.1:8000/m.json", std::nullopt, UpdateError::invalidManifest},
        {"https://u.example/m.json", "http://127.0.0.1:8000/m.json",
         std::string("http://127.0.0.1:8000/m.json")},
        {"https://u.example/m.json", "http://LOCALHOST/m.json", std::string("http://LOCALHOST/m.json")},
        {std::nullopt, "http://[::1]:9/m", std::string("http://[::1]:9/m")},
        {std::nullopt, "http://192.168.1.2/m.json", UpdateError::invalidManifest},
        {std::nullopt, "http://127.0.0.1.example/m.json", UpdateError::invalidManifest},
        {std::nullopt, "https://o.example/m.json", std::string("https://o.example/m.json")},
        {"https://u.example/m.json", "", UpdateError::notConfigured},
    };
    for (const auto& c : cases) {
        const auto configuration = ReleaseConfiguration::load("0.1.0", "1", c.configured, c.override);
        ASSERT_TRUE(configuration);
        EXPECT_EQ(configuration->allowsLoopbackHTTP, c.override.has_value());
        EXPECT_EQ(configuration->endpoint(), c.expected)
            << c.configured.value_or("-") << " " << c.override.value_or("-");
    }
}

TEST(SecureUrlTest, AcceptsOnlyHttpsWithAHostAndNoUserInfo) {
    const struct {
        std::string url;
        bool secure;
        bool loopback;
    } cases[] = {
        {"https://example.invalid/a.tar.gz", true, false},
        {"HTTPS://Example.Invalid:8443/a?b=c#d", true, false},
        {"https://[2001:db8::1]/x", true, false},
        {"http://example.invalid/a", false, false},
        {"https://user@example.invalid/a", false, false},
        {"https://user:pw@example.invalid/a", false, false},
        {"https://@example.invalid/a", false, false},
        {"https:///a", false, false},
        {"https:example.invalid/a", false, false},
        {"https://exa mple.invalid/", false, false},
        {"https://example.invalid/a b", false, false},
        {"https://example.invalid\\@evil.invalid/", false, false},
        {"https://example.invalid:99999999/", false, false},
        {"https://exämple.invalid/", false, false},
        {"https://example.invalid/%zz", false, false},
        {"ftp://example.invalid/", false, false},
        {"", false, false},
        {"http://127.0.0.1:8080/m.json", false, true},
        {"http://localhost/m.json", false, true},
        {"HTTP://LocalHost/m.json", false, true},
        {"http://[::1]:8080/m.json", false, true},
        {"http://[0:0:0:0:0:0:0:1]/m.json", false, false},
        {"http://127.0.0.2/m.json", false, false},
        {"http://user@127.0.0.1/m.json", false, false},
        {"https://127.0.0.1/m.json", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SecureUrl::isSecure(c.url), c.secure) << c.url;
        EXPECT_EQ(SecureUrl::isLoopbackHttp(c.url), c.loopback) << c.url;
    }
}

TEST(UpdateManifestTest, EachRuleRefusesItsHostileManifest) {
    const struct {
        const char* name;
        std::function<void(std::string&)> edit;
        bool decodes;
        bool valid;
    } cases[] = {
        {"baseline", {}, true, true},
        {"schema 2", [](std::string& j) { replace(j, R"("schemaVersion":1)", R"("schemaVersion":2)"); }, true,
         false},
        {"schema 1.0", [](std::string& j) { replace(j, R"("schemaVersion":1)", R"("schemaVersion":1.0)"); },
         false, false},
        {"platform capitals", [](std::string& j) { replace(j, R"("linux")", R"("Linux")"); }, true, false},
        {"platform space", [](std::string& j) { replace(j, R"("linux")", R"("linux ")"); }, true, false},
        {"platform macos", [](std::string& j) { replace(j, R"("linux")", R"("macos")"); }, true, false},
        {"architecture", [](std::string& j) { replace(j, R"("x86_64")", R"("aarch64")"); }, true, false},
        {"version 1.2", [](std::string& j) { replace(j, R"("1.4.0")", R"("1.2")"); }, true, false},
        {"version 1.2.3.4", [](std::string& j) { replace(j, R"("1.4.0")", R"("1.2.3.4")"); }, true, false},
        {"version 01.2.3", [](std::string& j) { replace(j, R"("1.4.0")", R"("01.2.3")"); }, true, false},
        {"version +1.2.3", [](std::string& j) { replace(j, R"("1.4.0")", R"("+1.2.3")"); }, true, false},
        {"version overflow",
         [](std::string& j) { replace(j, R"("1.4.0")", R"("99999999999999999999.0.0")"); }, true, false},
        {"build overflow",
         [](std::string& j) { replace(j, R"("build":13)", R"("build":99999999999999999999)"); }, false,
         false},
        {"build 0", [](std::string& j) { replace(j, R"("build":13)", R"("build":0)"); }, true, false},
        {"build text", [](std::string& j) { replace(j, R"("build":13)", R"("build":"13")"); }, false, false},
        {"minimum two numbers", [](std::string& j) { replace(j, R"("2.31.0")", R"("2.31")"); }, true, false},
        {"download http", [](std::string& j) { replace(j, "https://example", "http://example"); }, true,
         false},
        {"download user info", [](std::string& j) { replace(j, "https://example", "https://me:pw@example"); },
         true, false},
        {"mirror empty",
         [](std::string& j) { replace(j, R"("releaseNotes")", R"("mirrorURL":"","releaseNotes")"); }, true,
         true},
        {"mirror null",
         [](std::string& j) { replace(j, R"("releaseNotes")", R"("mirrorURL":null,"releaseNotes")"); }, true,
         true},
        {"mirror http",
         [](std::string& j) {
             replace(j, R"("releaseNotes")", R"("mirrorURL":"http://m.invalid/","releaseNotes")");
         },
         true, false},
        {"notes 20000",
         [](std::string& j) { replace(j, R"("Fixes.")", "\"" + std::string(20000, 'x') + "\""); }, true,
         true},
        {"notes 20001",
         [](std::string& j) { replace(j, R"("Fixes.")", "\"" + std::string(20001, 'x') + "\""); }, true,
         false},
        {"notes 20000 clusters",
         [](std::string& j) {
             std::string notes;
             for (int i = 0; i < 20000; ++i) {
                 notes += "e\u0301";
             }
             replace(j, R"("Fixes.")", "\"" + notes + "\"");
         },
         true, true},
        {"missing notes", [](std::string& j) { replace(j, R"(,"releaseNotes":"Fixes.")", ""); }, false,
         false},
        {"duplicate key", [](std::string& j) { replace(j, R"("build":13)", R"("build":13,"build":14)"); },
         false, false},
        {"unknown member",
         [](std::string& j) { replace(j, R"("build":13)", R"("build":13,"extra":[1,{"a":null}])"); }, true,
         true},
        {"trailing comma", [](std::string& j) { replace(j, R"("Fixes."})", R"("Fixes.",})"); }, false, false},
        {"file size text",
         [](std::string& j) { replace(j, R"("build":13)", R"("build":13,"fileSize":"12")"); }, false, false},
        {"not an object", [](std::string& j) { j = "[" + j + "]"; }, false, false},
        {"invalid utf-8", [](std::string& j) { replace(j, "Fixes.", "Fix\xC3\x28"); }, false, false},
    };
    for (const auto& c : cases) {
        const auto manifest = UpdateManifest::decode(manifestJson(c.edit));
        ASSERT_EQ(manifest.has_value(), c.decodes) << c.name;
        if (manifest) {
            EXPECT_EQ(manifest->validate(target).has_value(), c.valid) << c.name;
        }
    }
}

TEST(UpdateManifestTest, EncodingRoundTripsEveryField) {
    auto manifest = *UpdateManifest::decode(manifestJson());
    EXPECT_EQ(UpdateManifest::decode(manifest.encode()), manifest);
    manifest.releaseNotes = "Line one\n\"quoted\" \\ tab\t nul\x01 中文 😀";
    manifest.mirrorURL = "https://mirror.invalid/x";
    manifest.fileName = "tessary.tar.gz";
    manifest.fileSize = 123456789012;
    manifest.fileSHA256 = "ab";
    const auto again = UpdateManifest::decode(manifest.encode());
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, manifest);
    EXPECT_EQ(manifest.encode().find("mirrorURL") != std::string::npos, true);
    manifest.mirrorURL.reset();
    EXPECT_EQ(manifest.encode().find("mirrorURL"), std::string::npos);
}

TEST(JsonValueTest, RefusesMalformedAndDeepDocuments) {
    const struct {
        std::string text;
        bool ok;
    } cases[] = {
        {R"({"a":"\u00e9\ud83d\ude00"})", true},
        {R"({"a":"\ud83d"})", false},
        {R"({"a":"\ude00"})", false},
        {R"({"a":01})", false},
        {R"({"a":-})", false},
        {R"({"a":1e})", false},
        {R"({"a":1.})", false},
        {"{\"a\":\"\x01\"}", false},
        {R"({"a":tru})", false},
        {R"({"a":1} x)", false},
        {"", false},
        {R"({"a":1,})", false},
        {R"(// c
{})",
         false},
        {std::string(64, '[') + std::string(64, ']'), true},
        {std::string(65, '[') + std::string(65, ']'), false},
        {std::string(100000, '['), false},
        {"\xEF\xBB\xBF{}", false},
        {"{\"a\":\"\xED\xA0\x80\"}", false},
        {"{\"a\":\"\xC0\xAF\"}", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonValue::parse(c.text).has_value(), c.ok) << c.text.substr(0, 80);
    }
    const auto big = JsonValue::parse(R"({"n":9223372036854775807,"m":9223372036854775808,"f":1.5})");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->member("n")->integer(), 9223372036854775807);
    EXPECT_FALSE(big->member("m")->integer());
    EXPECT_FALSE(big->member("f")->integer());
}

TEST(UpdateResponseTest, DecidesOnStatusUrlAndSize) {
    const std::string good = manifestJson();
    const std::string padded = good.substr(0, good.size() - 1) + R"(,"pad":")" +
                               std::string(UpdateResponse::maximumBodySize - good.size() - 9, 'p') + "\"}";
    ASSERT_EQ(padded.size(), UpdateResponse::maximumBodySize);
    const std::string over = padded.substr(0, padded.size() - 2) + "p\"}";
    ASSERT_EQ(over.size(), UpdateResponse::maximumBodySize + 1);
    const std::string hostile =
        manifestJson([](std::string& j) { replace(j, "https://example", "http://example"); });
    const struct {
        const char* name;
        UpdateResponse response;
        bool loopbackAllowed;
        std::optional<UpdateError> error;
    } cases[] = {
        {"ok", {true, 200, "https://u.invalid/m.json", good}, false, std::nullopt},
        {"not http", {false, 200, "https://u.invalid/m.json", good}, false, UpdateError::invalidResponse},
        {"404", {true, 404, "https://u.invalid/m.json", ""}, false, UpdateError::noRelease},
        {"500", {true, 500, "https://u.invalid/m.json", good}, false, UpdateError::invalidResponse},
        {"204", {true, 204, "https://u.invalid/m.json", good}, false, UpdateError::invalidResponse},
        {"final http", {true, 200, "http://u.invalid/m.json", good}, false, UpdateError::invalidResponse},
        {"loopback refused",
         {true, 200, "http://127.0.0.1:80/m.json", good},
         false,
         UpdateError::invalidResponse},
        {"loopback allowed", {true, 200, "http://127.0.0.1:80/m.json", good}, true, std::nullopt},
        {"redirected off loopback",
         {true, 200, "http://10.0.0.1/m.json", good},
         true,
         UpdateError::invalidResponse},
        {"no final url", {true, 200, "", good}, false, UpdateError::invalidResponse},
        {"exactly 128 KiB", {true, 200, "https://u.invalid/m.json", padded}, false, std::nullopt},
        {"one byte more", {true, 200, "https://u.invalid/m.json", over}, false, UpdateError::invalidResponse},
        {"not json", {true, 200, "https://u.invalid/m.json", "<html>"}, false, UpdateError::invalidManifest},
        {"hostile", {true, 200, "https://u.invalid/m.json", hostile}, false, UpdateError::invalidManifest},
    };
    for (const auto& c : cases) {
        const auto result = c.response.decode(c.loopbackAllowed, target);
        if (c.error) {
            ASSERT_TRUE(std::holds_alternative<UpdateError>(result)) << c.name;
            EXPECT_EQ(std::get<UpdateError>(result), *c.error) << c.name;
        } else {
            EXPECT_TRUE(std::holds_alternative<UpdateManifest>(result)) << c.name;
        }
    }
}

TEST(UpdateStatusTest, ComparesWithTheRunningBuildAndSystem) {
    using K = UpdateStatus::Kind;
    const struct {
        const char* local;
        std::int64_t localBuild;
        const char* remote;
        std::int64_t remoteBuild;
        const char* system;
        std::optional<K> expected;
    } cases[] = {
        {"1.4.0", 12, "1.4.0", 13, "2.36.0", K::available},
        {"1.4.0", 12, "1.4.0", 13, "2.30.9", K::incompatible},
        {"1.4.0", 12, "1.4.0", 13, "2.31.0", K::available},
        {"1.4.0", 13, "1.4.0", 13, "2.36.0", K::upToDate},
        {"1.10.0", 1, "1.9.9", 13, "2.36.0", K::upToDate},
        {"1.4.0", 13, "1.4.0", 13, "2.36", K::upToDate},
        {"1.4.0", 12, "1.4.0", 13, "2.36", std::nullopt},
        {"1.4.0", 12, "1.4", 13, "2.36.0", std::nullopt},
    };
    for (const auto& c : cases) {
        auto manifest = *UpdateManifest::decode(manifestJson());
        manifest.version = c.remote;
        manifest.build = c.remoteBuild;
        const auto local = *ReleaseVersion::parse(c.local, c.localBuild);
        const auto status = UpdateStatus::afterFetch(local, manifest, target, c.system);
        ASSERT_EQ(status.has_value(), c.expected.has_value()) << c.local << " " << c.remote;
        if (status) {
            EXPECT_EQ(status->kind, *c.expected);
            EXPECT_EQ(status->manifest.has_value(), *c.expected != K::upToDate);
        }
        // Only a release that is still newer and supported survives a restart.
        const auto restored = UpdateStatus::restored(manifest.encode(), local, target, c.system);
        EXPECT_EQ(restored.has_value(), c.expected == K::available);
    }
    EXPECT_FALSE(UpdateStatus::restored("garbage", *ReleaseVersion::parse("0.1.0", 1), target, "2.36.0"));
}

TEST(UpdateStatusTest, KeysAndLogNames) {
    using K = UpdateStatus::Kind;
    auto manifest = *UpdateManifest::decode(manifestJson());
    EXPECT_EQ((UpdateStatus{K::available, manifest}.logName()), "有新版本 1.4.0（13）");
    EXPECT_EQ((UpdateStatus{K::incompatible, manifest}.logName()), "有新版本但系统不够（要 2.31.0）");
    const struct {
        K kind;
        const char* key;
        const char* log;
    } cases[] = {
        {K::idle, "update.status.idle", "尚未检查"},
        {K::checking, "update.status.checking", "检查中"},
        {K::upToDate, "update.status.upToDate", "已是最新"},
        {K::noRelease, "update.status.noRelease", "尚无发布"},
        {K::offline, "update.status.offline", "连不上"},
        {K::failed, "update.status.failed", "失败"},
        {K::notConfigured, "update.status.notConfigured", "未配置"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateStatus::of(c.kind).displayKey(), c.key);
        EXPECT_EQ(UpdateStatus::of(c.kind).logName(), c.log);
    }
    EXPECT_EQ(UpdateStatus::fromError(UpdateError::invalidManifest).kind, K::failed);
    EXPECT_EQ(UpdateStatus::fromError(UpdateError::invalidResponse).kind, K::failed);
    EXPECT_EQ(UpdateStatus::fromError(UpdateError::noRelease).kind, K::noRelease);
    EXPECT_EQ(UpdateStatus::fromError(UpdateError::notConfigured).kind, K::notConfigured);
}

TEST(UpdateScheduleTest, DueOnlyWhenReadyOnlineAndLongEnoughAfterTheLastTry) {
    using namespace std::chrono_literals;
    const auto now = UpdateSchedule::Clock::now();
    const struct {
        const char* name;
        UpdateSchedule schedule;
        bool due;
    } cases[] = {
        {"never checked", {true, true, true, std::nullopt, std::nullopt}, true},
        {"not ready", {false, true, true, std::nullopt, std::nullopt}, false},
        {"not configured", {true, false, true, std::nullopt, std::nullopt}, false},
        {"offline", {true, true, false, std::nullopt, std::nullopt}, false},
        {"success 23 h ago", {true, true, true, now - 23h, std::nullopt}, false},
        {"success 24 h ago", {true, true, true, now - 24h, std::nullopt}, true},
        {"attempt 59 min ago", {true, true, true, now - 48h, now - 59min}, false},
        {"attempt 1 h ago", {true, true, true, now - 48h, now - 1h}, true},
        {"success dated ahead", {true, true, true, now + 48h, std::nullopt}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.schedule.isDue(now), c.due) << c.name;
    }
}

} // namespace

namespace {

TEST(ReleaseVersionTest, SystemVersionsBecomeThreeNumbers) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"2.36", "2.36.0"},     {"2.36.1", "2.36.1"},   {"2", "2.0.0"}, {"2.36.9000", "2.36.9000"},
        {"2.35-dev", "2.35.0"}, {"2.36.1.4", "2.36.1"}, {"", ""},       {"glibc", "glibc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReleaseVersion::threeNumbers(c.text), c.expected) << c.text;
    }
}

} // namespace
