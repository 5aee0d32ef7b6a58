#include "LogFileLines.h"
#include "LoopbackChatServer.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "TessaryCore/TranslationFailure.h"
#include "Translation/DeepSeekTranslationEngine.h"
#include "Translation/TranslationCancelled.h"
#include "Translation/TranslationFailureText.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <variant>

using tessary::TranslationFailure;
using Kind = LoopbackChatServer::Response::Kind;
using std::chrono::milliseconds;

namespace {

const QStringList sources = {QStringLiteral("Settings"), QStringLiteral("Save image"),
                             QStringLiteral("Cancel")};
const QStringList translations = {QStringLiteral("设置"), QStringLiteral("保存图片"), QStringLiteral("")};
const QString itemsReply =
    QStringLiteral(R"({"items":[{"id":2,"text":""},{"id":0,"text":"设置"},{"id":1,"text":"保存图片"}]})");

using Outcome = std::variant<QStringList, TranslationFailure>;

// QCoro::waitFor never returns when the task throws: catch inside a coroutine it awaits. (The
// exception travels beside the result: a task's own result type must not hold an exception_ptr.)
std::variant<QStringList, std::exception_ptr> finish(QCoro::Task<QStringList> task) {
    std::exception_ptr error;
    auto caught = [&error](QCoro::Task<QStringList> inner) -> QCoro::Task<QStringList> {
        try {
            co_return co_await inner;
        } catch (...) {
            error = std::current_exception();
        }
        co_return QStringList();
    };
    QStringList result = QCoro::waitFor(caught(std::move(task)));
    if (error) {
        return error;
    }
    return result;
}

// Records the pauses the engine asks for and takes them on the real cancellable timer, shortened.
struct Harness {
    LoopbackChatServer server;
    QTemporaryDir logDir;
    std::vector<milliseconds> pauses;
    std::optional<QString> key = QStringLiteral("sk-test-0123456789");

    Harness() { Log::setFilePath(logDir.filePath(QStringLiteral("tessary.log"))); }
    ~Harness() { Log::setFilePath(QString()); }

    DeepSeekTranslationEngine engine(QString baseURL = {}) {
        DeepSeekTranslationEngine::Options options;
        options.model = QStringLiteral("test-model");
        options.timeout = milliseconds(700);
        options.baseURL = baseURL.isEmpty() ? server.baseURL() : baseURL;
        options.readKey = [this]() -> QCoro::Task<std::optional<QString>> { co_return key; };
        options.sleep = [this](milliseconds pause, TranslationCancellation cancellation) -> QCoro::Task<> {
            pauses.push_back(pause);
            co_await cancellation.sleep(milliseconds(1));
        };
        return DeepSeekTranslationEngine(std::move(options));
    }

    Outcome run(QStringList texts, QString baseURL = {}, TranslationCancellation cancellation = {}) {
        DeepSeekTranslationEngine subject = engine(std::move(baseURL));
        const auto result =
            finish(subject.translate(std::move(texts), QStringLiteral("zh-Hans"), cancellation));
        if (const auto* list = std::get_if<QStringList>(&result)) {
            return *list;
        }
        try {
            std::rethrow_exception(std::get<std::exception_ptr>(result));
        } catch (const TranslationFailure& failure) {
            return failure;
        }
    }

    // Log texts without their time and level.
    QStringList logLines() const { return logFileLines(logDir.filePath(QStringLiteral("tessary.log"))); }
};

std::string describe(const Outcome& outcome) {
    if (const auto* failure = std::get_if<TranslationFailure>(&outcome)) {
        return failure->what();
    }
    return std::get<QStringList>(outcome).join(QLatin1Char('|')).toStdString();
}

std::vector<std::string> plain(const QStringList& lines) {
    std::vector<std::string> result;
    for (const QString& line : lines) {
        result.push_back(line.toStdString());
    }
    return result;
}

// The log of `attempts` failed attempts that all failed with `detail`.
QStringList failedAttempts(int attempts, const QString& detail) {
    QStringList lines;
    for (int n = 1; n <= attempts; ++n) {
        lines.append(
            detail.startsWith(QLatin1String("HTTP"))
                ? QStringLiteral("DeepSeek：第 %1 次尝试拿到 %2，准备重试。").arg(n).arg(detail)
                : QStringLiteral("DeepSeek：第 %1 次尝试没送出去（%2），准备重试。").arg(n).arg(detail));
    }
    return lines;
}

} // namespace

TEST(DeepSeekTranslationEngine, SendsTheAgreedRequestAndReadsTheReply) {
    Harness h;
    ASSERT_TRUE(h.server.isListening());
    h.server.script({LoopbackChatServer::chat(itemsReply)});
    const Outcome outcome = h.run(sources);
    ASSERT_TRUE(std::holds_alternative<QStringList>(outcome)) << describe(outcome);
    EXPECT_EQ(std::get<QStringList>(outcome), translations);

    ASSERT_EQ(h.server.requests().size(), 1);
    const LoopbackChatServer::Request& request = h.server.requests().front();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/v1/chat/completions");
    EXPECT_EQ(request.headers.value("content-type"), "application/json");
    EXPECT_EQ(request.headers.value("authorization"), "Bearer sk-test-0123456789");
    EXPECT_FALSE(request.headers.contains("cookie"));

    QJsonParseError error;
    const QJsonObject body = QJsonDocument::fromJson(request.body, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << request.body.toStdString();
    EXPECT_EQ(body.keys(), (QStringList{"messages", "model", "reasoning_effort", "response_format", "stream",
                                        "temperature"}));
    EXPECT_EQ(body["model"].toString(), "test-model");
    EXPECT_TRUE(request.body.contains("\"temperature\":0,") || request.body.contains("\"temperature\":0}"))
        << "temperature must be the integer 0";
    EXPECT_EQ(body["reasoning_effort"].toString(), "none");
    EXPECT_EQ(body["response_format"].toObject(), (QJsonObject{{"type", "json_object"}}));
    EXPECT_EQ(body["stream"], QJsonValue(false));

    const QJsonArray messages = body["messages"].toArray();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].toObject().keys(), (QStringList{"content", "role"}));
    EXPECT_EQ(messages[0]["role"].toString(), "system");
    QFile prompt(QStringLiteral(TESSARY_TEST_DATA "/translation/deepseek-system-prompt-zh-Hans.txt"));
    ASSERT_TRUE(prompt.open(QIODevice::ReadOnly));
    EXPECT_EQ(messages[0]["content"].toString().toUtf8(), prompt.readAll());
    EXPECT_EQ(messages[1]["role"].toString(), "user");
    const QString items = messages[1]["content"].toString();
    EXPECT_EQ(items,
              QStringLiteral(
                  R"([{"id":0,"text":"Settings"},{"id":1,"text":"Save image"},{"id":2,"text":"Cancel"}])"));

    const QStringList log = h.logLines();
    EXPECT_FALSE(log.join('\n').contains(QStringLiteral("sk-test"))) << "the key must never be logged";
    ASSERT_EQ(log.size(), 1) << log.join('\n').toStdString();
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^DeepSeek 翻译：3 块，模型 test-model，耗时 \\d+\\.\\d\\ds。$"))
            .match(log.front())
            .hasMatch())
        << log.front().toStdString();
}

TEST(DeepSeekTranslationEngine, RetriesTransientFaultsAndNamesEveryFailure) {
    const QString fenced = QStringLiteral("```json\n") + itemsReply + QStringLiteral("\n```");
    const QString repeated = QStringLiteral(
        R"({"items":[{"id":0,"text":"设置"},{"id":1,"text":"保存图片"},{"id":0,"text":"设置"}]})");
    const QByteArray unauthorized =
        R"({"error":{"message":"Authentication Fails","type":"authentication_error"}})";
    const std::vector<milliseconds> allPauses = {milliseconds(300),  milliseconds(500),  milliseconds(800),
                                                 milliseconds(1200), milliseconds(1500), milliseconds(2000)};
    const QString resetDetail = QStringLiteral("2 Connection closed");
    const QString timeoutDetail = QStringLiteral("4 Transfer timed out");
    const QString tlsDetail = QStringLiteral("6 SSL handshake failed: Error during SSL handshake: "
                                             "error:0A00010B:SSL routines::wrong version number");
    const QString oversized = QStringLiteral("响应超过 2097152 字节上限");
    const auto ok = LoopbackChatServer::chat(itemsReply);
    const auto unavailable = LoopbackChatServer::reply(503, "<html>busy</html>");

    // Qt's HTTP layer may itself resend a request once when the server drops the connection before
    // answering, so resets are scripted for every connection they should cover.
    const auto resets = [](int count) {
        return QList<LoopbackChatServer::Response>(count, LoopbackChatServer::fault(Kind::reset));
    };
    struct Case {
        const char* name;
        QList<LoopbackChatServer::Response> script;
        Outcome expected;
        std::vector<milliseconds> pauses;
        QStringList logs; // without the final success line
        bool qtMayResend = false;
        bool tls = false;
    };
    const std::vector<Case> cases = {
        {"429 and 503, then success",
         {LoopbackChatServer::reply(429, "slow down"), unavailable, ok},
         translations,
         {milliseconds(300), milliseconds(500)},
         {"DeepSeek：第 1 次尝试拿到 HTTP 429，准备重试。", "DeepSeek：第 2 次尝试拿到 HTTP 503，准备重试。",
          "DeepSeek：第 3 次尝试成功。"}},
        {"503 on all seven attempts", QList<LoopbackChatServer::Response>(7, unavailable),
         TranslationFailure::networkUnavailable(7, "HTTP 503"), allPauses, failedAttempts(7, "HTTP 503")},
        {"connection reset, then success",
         resets(2) + QList<LoopbackChatServer::Response>{ok},
         translations,
         {milliseconds(300)},
         {"DeepSeek：第 1 次尝试没送出去（" + resetDetail + "），准备重试。", "DeepSeek：第 2 次尝试成功。"},
         true},
        {"connection reset on every attempt", resets(20),
         TranslationFailure::networkUnavailable(7, resetDetail.toStdString()), allPauses,
         failedAttempts(7, resetDetail), true},
        {"TLS handshake failure on every attempt",
         QList<LoopbackChatServer::Response>(20, LoopbackChatServer::fault(Kind::plainToTls)),
         TranslationFailure::networkUnavailable(7, tlsDetail.toStdString()), allPauses,
         failedAttempts(7, tlsDetail), true, true},
        {"silence until the timeout, then success",
         {LoopbackChatServer::fault(Kind::silence), ok},
         translations,
         {milliseconds(300)},
         {"DeepSeek：第 1 次尝试没送出去（" + timeoutDetail + "），准备重试。",
          "DeepSeek：第 2 次尝试成功。"}},
        {"fenced reply with a language tag", {LoopbackChatServer::chat(fenced)}, translations, {}, {}},
        {"a repeated id does not hide a missing one",
         {LoopbackChatServer::chat(repeated)},
         TranslationFailure::countMismatch(3, 2),
         {},
         {}},
        {"401 fails at once",
         {LoopbackChatServer::reply(401, unauthorized)},
         TranslationFailure::serverError(401, unauthorized.toStdString()),
         {},
         {}},
        {"redirect is not followed",
         {LoopbackChatServer::reply(307, "")},
         TranslationFailure::serverError(307, ""),
         {},
         {}},
        {"oversized body without a length",
         {LoopbackChatServer::fault(Kind::oversizedStream)},
         TranslationFailure::invalidResponse(oversized.toStdString()),
         {},
         {}},
        {"oversized declared length",
         {LoopbackChatServer::fault(Kind::oversizedDeclared)},
         TranslationFailure::invalidResponse(oversized.toStdString()),
         {},
         {}},
        {"prose instead of JSON",
         {LoopbackChatServer::chat(QStringLiteral("Sure! Here you go."))},
         TranslationFailure::invalidResponse("模型返回的不是约定的 JSON：Sure! Here you go."),
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.server.script(c.script);
        const Outcome outcome = h.run(sources, c.tls ? h.server.tlsBaseURL() : QString());
        EXPECT_EQ(describe(outcome), describe(c.expected));
        EXPECT_EQ(h.pauses, c.pauses);
        const qsizetype attempts = static_cast<qsizetype>(c.pauses.size()) + 1;
        if (c.qtMayResend) {
            EXPECT_GE(h.server.requests().size(), attempts);
        } else {
            EXPECT_EQ(h.server.requests().size(), attempts);
        }
        QStringList log = h.logLines();
        if (std::holds_alternative<QStringList>(c.expected)) {
            ASSERT_FALSE(log.isEmpty());
            EXPECT_TRUE(
                log.takeLast().startsWith(QStringLiteral("DeepSeek 翻译：3 块，模型 test-model，耗时 ")));
        }
        EXPECT_EQ(plain(log), plain(c.logs));
    }
}

TEST(DeepSeekTranslationEngine, KeyAndAddressRules) {
    struct Case {
        const char* name;
        bool hasKey;
        QString baseURL; // empty: the loopback server
        QStringList texts;
        QString expected;
        int requests;
        QByteArray authorization;
    };
    const std::vector<Case> cases = {
        {"no key for a remote service", false, "https://api.deepseek.invalid", {}, "missingAPIKey", 0, {}},
        {"no key, even with texts",
         false,
         "https://api.deepseek.invalid/v1",
         sources,
         "missingAPIKey",
         0,
         {}},
        {"a local server needs no key", false, {}, sources, translations.join('|'), 1, {}},
        {"an empty list sends nothing", true, {}, {}, "", 0, {}},
        {"plain http to another machine is refused",
         true,
         "http://api.deepseek.invalid",
         sources,
         "networkUnavailable(0, 拒绝使用不安全的服务地址：http://api.deepseek.invalid)",
         0,
         {}},
        {"credentials in the address are refused",
         true,
         "https://user:pw@api.deepseek.invalid",
         sources,
         "networkUnavailable(0, 拒绝使用不安全的服务地址：https://user:pw@api.deepseek.invalid)",
         0,
         {}},
        {"a key goes to a local server too",
         true,
         {},
         sources,
         translations.join('|'),
         1,
         "Bearer sk-test-0123456789"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        if (!c.hasKey) {
            h.key.reset();
        }
        h.server.script({LoopbackChatServer::chat(itemsReply)});
        EXPECT_EQ(describe(h.run(c.texts, c.baseURL)), c.expected.toStdString());
        ASSERT_EQ(h.server.requests().size(), c.requests);
        if (c.requests > 0) {
            EXPECT_EQ(h.server.requests().front().headers.value("authorization"), c.authorization);
        }
    }
}

TEST(DeepSeekTranslationEngine, CancelEndsAPauseAndARequestAtOnce) {
    // A minute-long pause and request: only the cancel can end the call before the test times out.
    for (const bool duringRequest : {false, true}) {
        SCOPED_TRACE(duringRequest ? "during the request" : "during the pause");
        LoopbackChatServer server;
        server.script(
            {duringRequest ? LoopbackChatServer::fault(Kind::silence) : LoopbackChatServer::reply(503, "")});
        DeepSeekTranslationEngine::Options options;
        options.baseURL = server.baseURL();
        options.timeout = milliseconds(60000);
        options.readKey = []() -> QCoro::Task<std::optional<QString>> { co_return QStringLiteral("k"); };
        options.sleep = [](milliseconds, TranslationCancellation cancellation) {
            return cancellation.sleep(milliseconds(60000));
        };
        auto engine = std::make_unique<DeepSeekTranslationEngine>(std::move(options));
        TranslationCancellation cancellation;
        QTimer::singleShot(100, [cancellation] { cancellation.cancel(); });
        auto task = engine->translate(sources, QStringLiteral("ja"), cancellation);
        engine.reset(); // the call must not depend on the engine object
        const auto result = finish(std::move(task));
        ASSERT_TRUE(std::holds_alternative<std::exception_ptr>(result));
        EXPECT_THROW(std::rethrow_exception(std::get<std::exception_ptr>(result)), TranslationCancelled);
        EXPECT_EQ(server.requests().size(), 1);
    }
}

TEST(DeepSeekTranslationEngine, EveryFailureReadsInEveryLanguage) {
    const std::vector<TranslationFailure> failures = {
        TranslationFailure::serverError(401, "100% %1 wrong"),
        TranslationFailure::networkUnavailable(7, "HTTP 503"),
        TranslationFailure::countMismatch(3, 2),
        TranslationFailure::invalidResponse("非 HTTP 响应"),
        TranslationFailure::missingAPIKey(),
        TranslationFailure::notLoggedIn(),
    };
    for (const L10n::Language language : L10n::allLanguages()) {
        L10n::setOverride(language);
        for (const TranslationFailure& failure : failures) {
            SCOPED_TRACE(failure.what());
            const QString key = QString::fromStdString(std::string(failure.localizationKey()));
            const QString format = L10n::text(key);
            ASSERT_NE(format.toStdString(), key.toStdString())
                << "missing in " << L10n::rawValue(language).toStdString();
            const QString text = TranslationFailureText::localizedDescription(failure);
            for (const std::string& argument : failure.formatArguments()) {
                EXPECT_TRUE(text.contains(QString::fromStdString(argument))) << text.toStdString();
            }
            EXPECT_FALSE(
                QRegularExpression(QStringLiteral("%\\d")).match(QString(text).remove("%1 wrong")).hasMatch())
                << text.toStdString();
        }
    }
    L10n::setOverride(std::nullopt);
    EXPECT_EQ(TranslationFailureText::localizedDescription(
                  TranslationFailure::cloud("quota", "Daily quota used up")),
              QStringLiteral("Daily quota used up"));
}
