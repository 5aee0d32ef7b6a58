#include "LogFileLines.h"
#include "LoopbackCloudService.h"

#include "Cloud/CloudSettings.h"
#include "Cloud/DeviceIdentity.h"
#include "Cloud/SelectedTranslationEngine.h"
#include "Cloud/VelmoraClient.h"
#include "Cloud/VelmoraTranslationEngine.h"
#include "Foundation/Log.h"
#include "TessaryCore/CloudAPIError.h"
#include "TessaryCore/TranslationFailure.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <variant>

using tessary::CloudAPIError;
using tessary::TranslationFailure;
using Fault = LoopbackCloudService::Fault;
using std::chrono::milliseconds;

namespace {

const QString email = QStringLiteral("reader@example.org");
const QString password = QStringLiteral("correct horse battery");
const QStringList sources = {QStringLiteral("Settings"), QStringLiteral("Save image"),
                             QStringLiteral("2026")};
const QStringList translated = {QStringLiteral("[zh-Hans] Settings"), QStringLiteral("[zh-Hans] Save image"),
                                QString()};

using Outcome = std::variant<QStringList, TranslationFailure, CloudAPIError, std::string>;

// QCoro::waitFor never returns when the task throws: catch inside a coroutine it awaits.
template <typename T> Outcome finish(QCoro::Task<T> task, std::function<QStringList(const T&)> result) {
    std::exception_ptr error;
    std::optional<T> value;
    auto caught = [&](QCoro::Task<T> inner) -> QCoro::Task<> {
        try {
            value = co_await inner;
        } catch (...) {
            error = std::current_exception();
        }
    };
    QCoro::waitFor(caught(std::move(task)));
    if (!error) {
        return result(*value);
    }
    try {
        std::rethrow_exception(error);
    } catch (const TranslationFailure& failure) {
        return failure;
    } catch (const CloudAPIError& apiError) {
        return apiError;
    } catch (const std::exception& other) {
        return std::string(other.what());
    }
}

std::string describe(const Outcome& outcome) {
    if (const auto* failure = std::get_if<TranslationFailure>(&outcome)) {
        return failure->what();
    }
    if (const auto* apiError = std::get_if<CloudAPIError>(&outcome)) {
        return "CloudAPIError(" + std::to_string(apiError->status()) + ", " + apiError->code() + ", " +
               apiError->message() + ")";
    }
    if (const auto* other = std::get_if<std::string>(&outcome)) {
        return *other;
    }
    return std::get<QStringList>(outcome).join(QLatin1Char('|')).toStdString();
}

// A client on the loopback service with secrets kept in this test's memory, short time-outs and
// the pauses between attempts recorded (and taken as 1 ms).
struct Harness {
    LoopbackCloudService service;
    QTemporaryDir logDir;
    QHash<QString, QString> secrets;
    std::vector<milliseconds> pauses;
    std::unique_ptr<VelmoraClient> client;

    Harness() {
        QSettings().clear();
        Log::setFilePath(logDir.filePath(QStringLiteral("tessary.log")));
        VelmoraClient::Options options;
        options.secrets.read = [this](QString account) -> QCoro::Task<std::optional<QString>> {
            const auto found = secrets.constFind(account);
            co_return found == secrets.constEnd() ? std::nullopt : std::optional<QString>(*found);
        };
        options.secrets.write = [this](QString value, QString account) -> QCoro::Task<bool> {
            secrets.insert(account, value);
            co_return true;
        };
        options.secrets.remove = [this](QString account) -> QCoro::Task<bool> {
            secrets.remove(account);
            co_return true;
        };
        options.sleep = [this](milliseconds pause, TranslationCancellation cancellation) -> QCoro::Task<> {
            pauses.push_back(pause);
            co_await cancellation.sleep(milliseconds(1));
        };
        options.transferTimeout = milliseconds(300);
        options.requestTimeout = milliseconds(3000);
        client = std::make_unique<VelmoraClient>(std::move(options));
        CloudSettings::baseURL().set(service.origin());
    }
    ~Harness() {
        Log::setFilePath(QString());
        QSettings().clear();
    }

    Outcome authenticate(bool registering = false, QString who = email, QString secret = password) {
        return finish<tessary::CloudQuota>(
            client->authenticate(who, secret, registering), [](const auto& quota) {
                return QStringList{QString::number(quota.used), QString::number(quota.limit)};
            });
    }
    Outcome logIn() {
        service.addAccount(email, password);
        return authenticate();
    }
    Outcome translate(QStringList texts = sources) {
        return finish<VelmoraClient::Translation>(
            client->translate(texts, QStringLiteral("zh-Hans"), QStringLiteral("req-1"), false),
            [](const auto& result) { return result.texts; });
    }
    Outcome engineTranslate(QStringList texts = sources) {
        VelmoraTranslationEngine engine(*client);
        return finish<QStringList>(engine.translate(texts, QStringLiteral("zh-Hans"), {}),
                                   [](const QStringList& result) { return result; });
    }
    Outcome logout() {
        return finish<bool>(
            [](VelmoraClient& c) -> QCoro::Task<bool> {
                co_await c.logout();
                co_return true;
            }(*client),
            [](bool) { return QStringList{QStringLiteral("ok")}; });
    }
    bool loggedIn() const { return secrets.contains(QString::fromLatin1("velmora-token")); }

    QStringList logLines() const { return logFileLines(logDir.filePath(QStringLiteral("tessary.log"))); }
    QJsonObject lastBody() const { return QJsonDocument::fromJson(service.requests().last().body).object(); }
};

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QStringList undelivered(const QList<int>& codes) {
    QStringList lines;
    for (int n = 1; n <= codes.size(); ++n) {
        lines.append(QStringLiteral("Tessary 云端：第 %1 次请求没送到（%2）。").arg(n).arg(codes[n - 1]));
    }
    return lines;
}

} // namespace

// Every way a translation request can fail, from a logged-in client, and what it leaves behind.
TEST(VelmoraClient, EveryFailureOfARequestIsReportedAsAgreed) {
    struct Row {
        const char* name;
        std::function<void(Harness&)> arrange;
        std::function<Outcome(const Harness&)> expected;
        bool stillLoggedIn;
        std::vector<milliseconds> pauses;
        QStringList log; // the client's own lines after login
    };
    const QString message = QStringLiteral("今日额度已用完，明天零点恢复。");
    const std::vector<Row> rows = {
        {"unusable base URL",
         [](Harness&) { CloudSettings::baseURL().set(QStringLiteral("ftp://example.org")); },
         [](const Harness&) { return CloudAPIError::badBaseURL("ftp://example.org"); },
         true,
         {},
         {}},
        {"plain http to another machine",
         [](Harness&) { CloudSettings::baseURL().set(QStringLiteral("http://192.0.2.7")); },
         [](const Harness&) { return CloudAPIError::badBaseURL("http://192.0.2.7"); },
         true,
         {},
         {}},
        // Qt's HTTP layer takes an answer that is not HTTP for a dropped connection.
        {"not HTTP every time",
         [](Harness& h) { h.service.injectFault(Fault::notHttp, 100); },
         [](const Harness&) { return TranslationFailure::networkUnavailable(3, "closed"); },
         true,
         {milliseconds(400), milliseconds(800)},
         undelivered({2, 2, 2})},
        {"quota exhausted, JSON body",
         [](Harness& h) { h.service.injectFault(Fault::quotaExhausted); },
         [message](const Harness&) { return CloudAPIError(429, "quota_exhausted", message.toStdString()); },
         true,
         {},
         {}},
        {"502 with HTML",
         [](Harness& h) { h.service.injectFault(Fault::badGatewayHtml); },
         [](const Harness&) { return CloudAPIError(502, "http_502", "服务端返回 HTTP 502"); },
         true,
         {},
         {}},
        {"401 on an expired token",
         [](Harness& h) { h.service.injectFault(Fault::expireTokens); },
         [](const Harness&) { return CloudAPIError(401, "token_expired", "登录已过期，请重新登录"); },
         false,
         {},
         {}},
        {"connection reset every time",
         [](Harness& h) { h.service.injectFault(Fault::reset, 100); },
         [](const Harness&) { return TranslationFailure::networkUnavailable(3, "Connection closed"); },
         true,
         {milliseconds(400), milliseconds(800)},
         undelivered({2, 2, 2})},
        {"no answer every time",
         [](Harness& h) { h.service.injectFault(Fault::silence, 100); },
         [](const Harness&) { return TranslationFailure::networkUnavailable(3, "Transfer timed out"); },
         true,
         {milliseconds(400), milliseconds(800)},
         undelivered({4, 4, 4})},
        {"nothing listening",
         [](Harness&) {
             CloudSettings::baseURL().set(QStringLiteral("http://127.0.0.1:") +
                                          QString::number(closedPort()));
         },
         [](const Harness&) { return TranslationFailure::networkUnavailable(3, "Connection refused"); },
         true,
         {milliseconds(400), milliseconds(800)},
         undelivered({1, 1, 1})},
        {"no answer once, then the reply",
         [](Harness& h) { h.service.injectFault(Fault::silence); },
         [](const Harness&) { return translated; },
         true,
         {milliseconds(400)},
         undelivered({4})},
        {"malformed date",
         [](Harness& h) { h.service.injectFault(Fault::malformedDate); },
         [](const Harness&) {
             return TranslationFailure::invalidResponse("响应结构不是预期的：时间格式不对: 明天零点");
         },
         true,
         {},
         {}},
        {"item without id",
         [](Harness& h) { h.service.injectFault(Fault::itemWithoutId); },
         [](const Harness&) {
             return TranslationFailure::invalidResponse("响应结构不是预期的：缺少字段 items[0].id");
         },
         true,
         {},
         {}},
        {"oversized body",
         [](Harness& h) { h.service.injectFault(Fault::oversizedBody); },
         [](const Harness&) { return TranslationFailure::invalidResponse("响应超过 4194304 字节上限"); },
         true,
         {},
         {}},
        {"an id missing",
         [](Harness& h) { h.service.injectFault(Fault::missingId); },
         [](const Harness&) { return TranslationFailure::countMismatch(3, 2); },
         true,
         {},
         {}},
        {"an id repeated",
         [](Harness& h) { h.service.injectFault(Fault::repeatedId); },
         [](const Harness&) { return TranslationFailure::countMismatch(3, 2); },
         true,
         {},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        ASSERT_TRUE(std::holds_alternative<QStringList>(h.logIn()));
        const int logBefore = static_cast<int>(h.logLines().size());
        const std::optional<tessary::CloudQuota> quotaBefore = h.client->quota();
        row.arrange(h);
        const Outcome outcome = h.translate();
        Outcome expected = row.expected(h);
        // Transport texts come from Qt; the attempt count is what is agreed.
        if (auto* failure = std::get_if<TranslationFailure>(&outcome);
            failure && failure->kind() == TranslationFailure::Kind::networkUnavailable) {
            EXPECT_EQ(failure->firstNumber(), std::get<TranslationFailure>(expected).firstNumber());
            EXPECT_NE(failure->firstText().find(std::get<TranslationFailure>(expected).firstText()),
                      std::string::npos)
                << failure->firstText();
        } else {
            EXPECT_EQ(outcome, expected) << describe(outcome);
        }
        EXPECT_EQ(h.loggedIn(), row.stillLoggedIn);
        EXPECT_EQ(h.pauses, row.pauses);
        EXPECT_EQ(h.logLines().mid(logBefore), row.log);
        if (!std::holds_alternative<QStringList>(outcome)) {
            EXPECT_EQ(h.client->quota(), quotaBefore) << "a failed request must not touch the stored quota";
        }
    }
}

TEST(VelmoraClient, AccountLifecycleAgainstTheService) {
    Harness h;
    h.service.setFractionalDates(false);
    ASSERT_EQ(h.authenticate(true, QStringLiteral("Reader@Example.org "), QStringLiteral("short")),
              Outcome(CloudAPIError(400, "weak_password", "密码至少 8 位")));
    ASSERT_EQ(h.authenticate(true), Outcome(QStringList{QStringLiteral("0"), QStringLiteral("50")}));

    // Registration: what travels, and what is kept where.
    const LoopbackCloudService::Request& registration = h.service.requests().last();
    EXPECT_EQ(registration.method, "POST");
    EXPECT_EQ(registration.path, "/api/v1/m/tessary/auth/email/register");
    EXPECT_EQ(registration.headers.value("content-type"), "application/json");
    EXPECT_FALSE(registration.headers.contains("authorization"));
    EXPECT_FALSE(registration.headers.contains("cookie"));
    const QJsonObject body = h.lastBody();
    EXPECT_EQ(body.value(QStringLiteral("platform")).toString(), QStringLiteral("linux"));
    EXPECT_EQ(body.value(QStringLiteral("password")).toString(), password);
    const QString deviceId = body.value(QStringLiteral("deviceId")).toString();
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$"))
                    .match(deviceId)
                    .hasMatch())
        << deviceId.toStdString();
    EXPECT_EQ(body.value(QStringLiteral("appVersion")).toString(), QStringLiteral(TESSARY_VERSION));
    EXPECT_EQ(h.secrets.value(QStringLiteral("velmora-device")), deviceId);
    EXPECT_TRUE(h.loggedIn());
    EXPECT_EQ(h.client->email(), email);
    EXPECT_TRUE(h.client->shareCache());
    ASSERT_TRUE(h.client->quota());
    EXPECT_EQ(h.client->quota()->limit, 50);
    EXPECT_EQ(h.logLines().last(), QStringLiteral("Tessary 云端：注册成功，今日 0/50。"));

    // Registering twice is refused by the service; a wrong password does not end the session.
    EXPECT_EQ(h.authenticate(true), Outcome(CloudAPIError(409, "email_taken", "这个邮箱已经注册过了")));
    EXPECT_EQ(h.authenticate(false, email, QStringLiteral("wrong password")),
              Outcome(CloudAPIError(401, "invalid_credentials", "邮箱或密码不对")));
    EXPECT_TRUE(h.loggedIn());

    // A second login keeps the device identifier.
    h.service.setUnlimited(email, true);
    ASSERT_EQ(h.authenticate(), Outcome(QStringList{QStringLiteral("0"), QStringLiteral("50")}));
    EXPECT_EQ(h.lastBody().value(QStringLiteral("deviceId")).toString(), deviceId);
    EXPECT_EQ(h.logLines().last(), QStringLiteral("Tessary 云端：登录成功，今日 0 次（不限）。"));
    const QString token = h.secrets.value(QStringLiteral("velmora-token"));

    // Translation: bearer, body, quota stored; the same texts again come from the shared cache.
    ASSERT_EQ(h.translate(), Outcome(translated));
    const LoopbackCloudService::Request& first = h.service.requests().last();
    EXPECT_EQ(first.headers.value("authorization"), "Bearer " + token.toLatin1());
    EXPECT_EQ(
        QJsonDocument::fromJson(first.body).toJson(QJsonDocument::Compact),
        QByteArray(R"({"bypassCache":false,"items":[{"id":0,"text":"Settings"},{"id":1,"text":"Save image"},)"
                   R"({"id":2,"text":"2026"}],"requestId":"req-1","target":"zh-Hans"})"));
    EXPECT_EQ(h.client->quota()->used, 3);
    EXPECT_EQ(h.engineTranslate(), Outcome(translated));
    EXPECT_EQ(h.service.upstreamCount(), 3);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Tessary 云端翻译：3 块，命中 3，上游 0，耗时 \\d+\\.\\d\\ds。$"))
            .match(h.logLines().last())
            .hasMatch())
        << h.logLines().last().toStdString();
    EXPECT_EQ(h.client->quota()->used, 6);
    EXPECT_EQ(h.client->quota()->unlimited, std::optional<bool>(true));
    // The stored copy follows shortly, off the request's path.
    EXPECT_TRUE(QTest::qWaitFor([&h] { return CloudSettings::storedQuota() == h.client->quota(); }, 3000));

    // Withdrawing consent: stored only once the service accepted it.
    h.service.injectFault(Fault::badGatewayHtml);
    EXPECT_EQ(finish<bool>(
                  [](VelmoraClient& c) -> QCoro::Task<bool> {
                      co_await c.updateShareCache(false);
                      co_return true;
                  }(*h.client),
                  [](bool) { return QStringList(); }),
              Outcome(CloudAPIError(502, "http_502", "服务端返回 HTTP 502")));
    EXPECT_TRUE(h.client->shareCache());
    EXPECT_EQ(finish<bool>(
                  [](VelmoraClient& c) -> QCoro::Task<bool> {
                      co_await c.updateShareCache(false);
                      co_return true;
                  }(*h.client),
                  [](bool) { return QStringList(); }),
              Outcome(QStringList()));
    EXPECT_EQ(h.service.requests().last().method, "PATCH");
    EXPECT_EQ(h.service.requests().last().body, R"({"shareCache":false})");
    EXPECT_FALSE(h.client->shareCache());
    EXPECT_FALSE(QSettings().value(QStringLiteral("TessaryVelmoraShareCache")).toBool());

    // Logout: the service forgets the token, the client forgets the session.
    EXPECT_EQ(h.logout(), Outcome(QStringList{QStringLiteral("ok")}));
    EXPECT_FALSE(h.service.hasLiveToken(token));
    EXPECT_FALSE(h.loggedIn());
    EXPECT_TRUE(h.client->email().isEmpty());
    EXPECT_FALSE(h.client->quota());
    EXPECT_FALSE(QSettings().contains(QStringLiteral("TessaryVelmoraQuota")));
    EXPECT_EQ(h.logLines().last(), QStringLiteral("Tessary 云端：已退出登录。"));
    EXPECT_EQ(h.secrets.value(QStringLiteral("velmora-device")), deviceId);
}

TEST(VelmoraClient, SessionEndsLocallyWhenTheServiceIsGoneOrTheTokenExpired) {
    Harness h;
    ASSERT_TRUE(std::holds_alternative<QStringList>(h.logIn()));
    CloudSettings::baseURL().set(QStringLiteral("http://127.0.0.1:") + QString::number(closedPort()));
    EXPECT_EQ(h.logout(), Outcome(QStringList{QStringLiteral("ok")}));
    EXPECT_FALSE(h.loggedIn());
    EXPECT_FALSE(QSettings().contains(QStringLiteral("TessaryVelmoraEmail")));

    // After a 401 to /translate the next translation fails before any request.
    Harness expired;
    ASSERT_TRUE(std::holds_alternative<QStringList>(expired.logIn()));
    expired.service.injectFault(Fault::expireTokens);
    EXPECT_TRUE(std::holds_alternative<CloudAPIError>(expired.translate()));
    const qsizetype sent = expired.service.requests().size();
    EXPECT_EQ(expired.translate(), Outcome(TranslationFailure::notLoggedIn()));
    EXPECT_EQ(expired.service.requests().size(), sent);
}

TEST(VelmoraClient, BaseURLIsTrimmedAndStaleDevelopmentOriginsAreDropped) {
    Harness h;
    h.client->setBaseURL(QStringLiteral("  https://cloud.example.org/root \n"));
    EXPECT_EQ(QSettings().value(QStringLiteral("TessaryVelmoraBaseURL")).toString(),
              QStringLiteral("https://cloud.example.org/root"));
    for (const QString& stale :
         {QStringLiteral("http://127.0.0.1:43150"), QStringLiteral("http://localhost:43150")}) {
        QSettings().setValue(QStringLiteral("TessaryVelmoraBaseURL"), stale);
        // This build has no origin of its own: the stale value is removed.
        EXPECT_EQ(h.client->baseURL(), QString());
        EXPECT_FALSE(QSettings().contains(QStringLiteral("TessaryVelmoraBaseURL")));
    }
    EXPECT_EQ(h.translate(), Outcome(CloudAPIError::badBaseURL("")));
}

TEST(VelmoraTranslationEngine, ChecksTheSessionAndPassesTheServiceMessageOn) {
    Harness h;
    EXPECT_EQ(h.engineTranslate({}), Outcome(QStringList()));
    EXPECT_EQ(h.engineTranslate(), Outcome(TranslationFailure::notLoggedIn()));
    EXPECT_TRUE(h.service.requests().isEmpty());

    ASSERT_TRUE(std::holds_alternative<QStringList>(h.logIn()));
    h.service.injectFault(Fault::quotaExhausted);
    EXPECT_EQ(h.engineTranslate(),
              Outcome(TranslationFailure::cloud("quota_exhausted", "今日额度已用完，明天零点恢复。")));
    ASSERT_EQ(h.engineTranslate(), Outcome(translated));
    ASSERT_EQ(h.engineTranslate(), Outcome(translated));
    QSet<QString> ids;
    for (qsizetype i = h.service.requests().size() - 3; i < h.service.requests().size(); ++i) {
        const QJsonObject body = QJsonDocument::fromJson(h.service.requests()[i].body).object();
        EXPECT_FALSE(body.value(QStringLiteral("bypassCache")).toBool(true));
        ids.insert(body.value(QStringLiteral("requestId")).toString());
    }
    EXPECT_EQ(ids.size(), 3);
}

TEST(DeviceIdentity, HintIsAnApplicationHashOfTheMachineId) {
    QTemporaryDir dir;
    const QString machineId = dir.filePath(QStringLiteral("machine-id"));
    const QString osRelease = dir.filePath(QStringLiteral("os-release"));
    EXPECT_EQ(DeviceIdentity::hardwareHint(machineId), QString());
    QFile file(machineId);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0123456789abcdef0123456789abcdef\n");
    file.close();
    const QString hint = DeviceIdentity::hardwareHint(machineId);
    EXPECT_EQ(hint, QString::fromLatin1(QMessageAuthenticationCode::hash("0123456789abcdef0123456789abcdef",
                                                                         "org.tessary.Tessary",
                                                                         QCryptographicHash::Sha256)
                                            .toHex()));
    EXPECT_FALSE(hint.contains(QStringLiteral("0123456789abcdef")));
    QFile release(osRelease);
    ASSERT_TRUE(release.open(QIODevice::WriteOnly));
    release.write("NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n");
    release.close();
    const auto device = DeviceIdentity::describe(QStringLiteral("dev"), {machineId, {osRelease}});
    EXPECT_EQ(device.osVersion, "Debian GNU/Linux 12");
    EXPECT_EQ(device.hardwareHint, std::optional<std::string>(hint.toStdString()));
    EXPECT_FALSE(device.deviceName.empty());
}

TEST(SelectedTranslationEngine, CloudOnlyWhereAnOriginIsConfigured) {
    QSettings().clear();
    VelmoraClient client;
    // This build has no origin of its own.
    EXPECT_EQ(SelectedTranslationEngine::create(client)->kind(), tessary::TranslationEngineKind::deepseek);
    CloudSettings::baseURL().set(QStringLiteral("https://cloud.example.org"));
    EXPECT_EQ(SelectedTranslationEngine::create(client)->kind(), tessary::TranslationEngineKind::velmora);
    QSettings().setValue(QStringLiteral("TessaryTranslationEngineV2"), QStringLiteral("deepseek"));
    EXPECT_EQ(SelectedTranslationEngine::create(client)->kind(), tessary::TranslationEngineKind::deepseek);
    QSettings().clear();
}
