#include "Cloud/VelmoraClient.h"

#include "Cloud/CloudExchange.h"
#include "Cloud/CloudSettings.h"
#include "Cloud/DeviceIdentity.h"
#include "Foundation/Log.h"
#include "TessaryCore/CloudAPIError.h"
#include "TessaryCore/CloudRetry.h"
#include "TessaryCore/TranslationFailure.h"
#include "TessaryCore/Uuid.h"
#include "Translation/APIKeyStore.h"
#include "Translation/ServiceURL.h"
#include "Translation/TranslationSettings.h"

#include <QCoreApplication>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkRequest>
#include <QTimer>

namespace {

using tessary::CloudAPIError;
using tessary::TranslationFailure;

const QString tokenAccount = QString::fromLatin1(APIKeyStore::velmoraTokenAccount);
const QString deviceAccount = QString::fromLatin1(APIKeyStore::velmoraDeviceAccount);

// The service has no use for cookies; a jar that keeps none stops tracking across accounts.
class NoCookieJar : public QNetworkCookieJar {
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    QList<QNetworkCookie> cookiesForUrl(const QUrl&) const override { return {}; }
    bool setCookiesFromUrl(const QList<QNetworkCookie>&, const QUrl&) override { return false; }
};

std::string_view view(const QByteArray& data) {
    return std::string_view(data.constData(), static_cast<size_t>(data.size()));
}

QString lowerUuid() {
    return QString::fromStdString(tessary::Uuid::random().string()).toLower();
}

} // namespace

VelmoraClient::VelmoraClient() : VelmoraClient(Options()) {}

VelmoraClient::VelmoraClient(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
    if (!m_options.secrets.read) {
        m_options.secrets.read = [](QString account) { return APIKeyStore::read(std::move(account)); };
        m_options.secrets.write = [](QString value, QString account) {
            return APIKeyStore::write(std::move(value), std::move(account));
        };
        m_options.secrets.remove = [](QString account) { return APIKeyStore::remove(std::move(account)); };
    }
    if (!m_options.sleep) {
        m_options.sleep = [](std::chrono::milliseconds duration, TranslationCancellation cancellation) {
            return cancellation.sleep(duration);
        };
    }
    if (!m_options.describeDevice) {
        m_options.describeDevice = [](const QString& deviceId) { return DeviceIdentity::describe(deviceId); };
    }
    m_network.setCookieJar(new NoCookieJar(&m_network));
    // A redirect is reported as its status: the token never follows one to another host.
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_network.setAutoDeleteReplies(false);
    m_quotaWrite.setSingleShot(true);
    m_quotaWrite.setInterval(1000);
    connect(&m_quotaWrite, &QTimer::timeout, this, &VelmoraClient::persistQuota);
    if (QCoreApplication* application = QCoreApplication::instance()) {
        connect(application, &QCoreApplication::aboutToQuit, this, [this] {
            if (m_quotaWrite.isActive()) {
                persistQuota();
            }
        });
    }
}

VelmoraClient::~VelmoraClient() {
    if (m_quotaWrite.isActive()) {
        persistQuota();
    }
}

void VelmoraClient::persistQuota() {
    m_quotaWrite.stop();
    CloudSettings::storeQuota(quota());
}

QString VelmoraClient::baseURL() {
    const QString stored = CloudSettings::baseURL().value().trimmed();
    const QString fallback = TranslationSettings::builtInCloudOrigin();
    bool stale = false;
    const std::string effective =
        tessary::CloudRequest::effectiveBaseURL(stored.toStdString(), fallback.toStdString(), &stale);
    if (stale) {
        if (fallback.isEmpty()) {
            CloudSettings::baseURL().remove();
        } else {
            CloudSettings::baseURL().set(fallback);
        }
    }
    return QString::fromStdString(effective);
}

void VelmoraClient::setBaseURL(const QString& url) {
    CloudSettings::baseURL().set(url.trimmed());
}

bool VelmoraClient::shareCache() const {
    return CloudSettings::shareCache().value();
}

QString VelmoraClient::email() const {
    return CloudSettings::email().value();
}

std::optional<tessary::CloudQuota> VelmoraClient::quota() const {
    if (!m_quota) {
        m_quota = CloudSettings::storedQuota();
    }
    return *m_quota;
}

void VelmoraClient::setQuota(const std::optional<tessary::CloudQuota>& quota) {
    m_quota = quota;
    persistQuota();
    Q_EMIT accountChanged();
}

QCoro::Task<bool> VelmoraClient::isLoggedIn() {
    co_return (co_await m_options.secrets.read(tokenAccount)).has_value();
}

QCoro::Task<> VelmoraClient::forgetToken() {
    co_await m_options.secrets.remove(tokenAccount);
    Q_EMIT accountChanged();
}

QCoro::Task<QByteArray> VelmoraClient::request(QString path, QByteArray method,
                                               std::optional<QByteArray> body, bool authenticated,
                                               TranslationCancellation cancellation) {
    const QString base = baseURL();
    const std::optional<ServiceURL::Checked> checked = ServiceURL::check(base);
    if (!checked) {
        throw CloudAPIError::badBaseURL(base.toStdString());
    }
    const QString root = QString::fromLatin1(tessary::CloudRequest::apiRoot.data(),
                                             static_cast<qsizetype>(tessary::CloudRequest::apiRoot.size()));
    QNetworkRequest request(ServiceURL::appending(checked->base, root + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setTransferTimeout(static_cast<int>(m_options.transferTimeout.count()));
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    if (authenticated) {
        const std::optional<QString> token = co_await m_options.secrets.read(tokenAccount);
        if (!token) {
            throw TranslationFailure::notLoggedIn();
        }
        request.setRawHeader(QByteArrayLiteral("Authorization"), "Bearer " + token->toUtf8());
    }

    for (int n = 1;; ++n) {
        cancellation.throwIfCancelled();
        const CloudExchange::Attempt attempt = co_await CloudExchange::perform(
            m_network, request, method, body, {m_options.requestTimeout, m_options.maxReplyBytes},
            cancellation);
        if (attempt.oversized) {
            throw TranslationFailure::invalidResponse("响应超过 " + std::to_string(m_options.maxReplyBytes) +
                                                      " 字节上限");
        }
        if (attempt.delivered) {
            if (attempt.status >= 200 && attempt.status <= 299) {
                co_return attempt.data;
            }
            if (attempt.status == 401 && authenticated) {
                co_await forgetToken();
            }
            throw CloudAPIError::fromResponse(attempt.status, view(attempt.data));
        }
        if (attempt.notHttp) {
            throw CloudAPIError::invalidResponse();
        }
        if (!tessary::CloudRetry::isRetryable(attempt.transportError)) {
            throw TranslationFailure::networkUnavailable(n, attempt.errorText.toStdString());
        }
        Log::error(QStringLiteral("Tessary 云端：第 ") + QString::number(n) +
                   QStringLiteral(" 次请求没送到（") + QString::number(attempt.errorCode) +
                   QStringLiteral("）。"));
        if (n >= tessary::CloudRetry::maxAttempts) {
            throw TranslationFailure::networkUnavailable(n, attempt.errorText.toStdString());
        }
        co_await m_options.sleep(tessary::CloudRetry::delayAfter(n), cancellation);
    }
}

QCoro::Task<tessary::CloudQuota> VelmoraClient::authenticate(QString email, QString password,
                                                             bool registering) {
    QString deviceId = (co_await m_options.secrets.read(deviceAccount)).value_or(QString());
    if (deviceId.isEmpty()) {
        deviceId = lowerUuid();
        co_await m_options.secrets.write(deviceId, deviceAccount);
    }
    const tessary::CloudRequest::Device device = m_options.describeDevice(deviceId);
    const std::string_view path =
        registering ? tessary::CloudRequest::registerPath : tessary::CloudRequest::loginPath;
    const QByteArray data = co_await request(
        QString::fromLatin1(path.data(), static_cast<qsizetype>(path.size())), QByteArrayLiteral("POST"),
        QByteArray::fromStdString(
            tessary::CloudRequest::authBody(email.toStdString(), password.toStdString(), device)),
        false, TranslationCancellation());
    const tessary::CloudReply::Authentication auth = tessary::CloudReply::authentication(view(data));
    if (!co_await m_options.secrets.write(QString::fromStdString(auth.token), tokenAccount)) {
        throw CloudAPIError(0, "token_not_stored", "登录成功，但令牌没能存入钥匙串。");
    }
    CloudSettings::email().set(QString::fromStdString(auth.user.email));
    CloudSettings::shareCache().set(auth.user.shareCache);
    m_quota = auth.quota;
    persistQuota();
    Log::info(QStringLiteral("Tessary 云端：") +
              (registering ? QStringLiteral("注册") : QStringLiteral("登录")) +
              QStringLiteral("成功，今日 ") + QString::number(auth.quota.used) +
              (auth.quota.isUnlimited() ? QStringLiteral(" 次（不限）")
                                        : QStringLiteral("/") + QString::number(auth.quota.limit)) +
              QStringLiteral("。"));
    Q_EMIT accountChanged();
    co_return auth.quota;
}

QCoro::Task<> VelmoraClient::logout() {
    try {
        const std::string_view path = tessary::CloudRequest::logoutPath;
        co_await request(QString::fromLatin1(path.data(), static_cast<qsizetype>(path.size())),
                         QByteArrayLiteral("POST"), std::nullopt, true, TranslationCancellation());
    } catch (...) {
        // The local session ends whatever the service said, or if it could not be reached.
    }
    co_await m_options.secrets.remove(tokenAccount);
    CloudSettings::email().remove();
    m_quota = std::optional<tessary::CloudQuota>();
    persistQuota();
    Log::info(QStringLiteral("Tessary 云端：已退出登录。"));
    Q_EMIT accountChanged();
}

QCoro::Task<> VelmoraClient::updateShareCache(bool enabled) {
    const std::string_view path = tessary::CloudRequest::settingsPath;
    co_await request(QString::fromLatin1(path.data(), static_cast<qsizetype>(path.size())),
                     QByteArrayLiteral("PATCH"),
                     QByteArray::fromStdString(tessary::CloudRequest::shareCacheBody(enabled)), true,
                     TranslationCancellation());
    CloudSettings::shareCache().set(enabled);
    Q_EMIT accountChanged();
}

QCoro::Task<VelmoraClient::Translation> VelmoraClient::translate(QStringList texts, QString target,
                                                                 QString requestId, bool bypassCache,
                                                                 TranslationCancellation cancellation) {
    std::vector<std::string> sources;
    sources.reserve(static_cast<size_t>(texts.size()));
    for (const QString& text : texts) {
        sources.push_back(text.toStdString());
    }
    const std::string_view path = tessary::CloudRequest::translatePath;
    const QByteArray data = co_await request(
        QString::fromLatin1(path.data(), static_cast<qsizetype>(path.size())), QByteArrayLiteral("POST"),
        QByteArray::fromStdString(tessary::CloudRequest::translateBody(
            requestId.toStdString(), target.toStdString(), bypassCache, sources)),
        true, cancellation);
    tessary::CloudReply::Translation parsed = tessary::CloudReply::translation(view(data), sources.size());
    m_quota = parsed.quota;
    if (!m_quotaWrite.isActive()) {
        m_quotaWrite.start();
    }
    Q_EMIT accountChanged();
    Translation result;
    result.stats = parsed.stats;
    result.texts.reserve(static_cast<qsizetype>(parsed.texts.size()));
    for (const std::string& text : parsed.texts) {
        result.texts.append(QString::fromStdString(text));
    }
    co_return result;
}
