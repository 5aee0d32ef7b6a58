#pragma once

#include "TessaryCore/CloudQuota.h"
#include "TessaryCore/CloudReply.h"
#include "TessaryCore/CloudRequest.h"
#include "Translation/TranslationCancellation.h"

#include <QCoro/QCoroTask>
#include <QNetworkAccessManager>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

// The client of the cloud service: e-mail accounts, the share-cache consent, and batch translation
// against a daily quota. The session token and the device identifier live in the key store; the
// e-mail, the consent and the last quota in the settings. Logged in means a token is stored: a
// login stores it, a logout or any 401 to an authenticated request removes it.
//
// Failures are thrown: tessary::CloudAPIError for what the service (or the way to it) refused,
// tessary::TranslationFailure for no token, repeated transport failures and undecodable bodies,
// TranslationCancelled for a cancelled call. Main thread only; calls never block it.
class VelmoraClient : public QObject {
    Q_OBJECT
public:
    struct Secrets {
        std::function<QCoro::Task<std::optional<QString>>(QString account)> read;
        std::function<QCoro::Task<bool>(QString value, QString account)> write;
        std::function<QCoro::Task<bool>(QString account)> remove;
    };
    using Sleeper = std::function<QCoro::Task<>(std::chrono::milliseconds, TranslationCancellation)>;
    using DeviceDescriber = std::function<tessary::CloudRequest::Device(const QString& deviceId)>;

    struct Options {
        // The key store when unset.
        Secrets secrets;
        // TranslationCancellation::sleep when unset.
        Sleeper sleep;
        DeviceDescriber describeDevice;
        // Without data for this long a request fails as timed out; no request lasts longer than
        // `requestTimeout` in all.
        std::chrono::milliseconds transferTimeout{35000};
        std::chrono::milliseconds requestTimeout{60000};
        // A reply body larger than this is refused as invalid.
        qint64 maxReplyBytes = 4 * 1024 * 1024;
    };

    struct Translation {
        QStringList texts;
        tessary::CloudReply::Stats stats;
    };

    VelmoraClient();
    explicit VelmoraClient(Options options, QObject* parent = nullptr);
    ~VelmoraClient() override;

    // The stored base URL, or the built-in origin when there is none or it is a stale development
    // origin (which is then replaced in the store).
    QString baseURL();
    // Stores the value trimmed, unchecked: an unusable one is reported when a request is made.
    void setBaseURL(const QString& url);
    bool shareCache() const;
    QString email() const;
    // The last quota the service reported. Stored at once; after a translation it reaches the
    // settings file within a second (each write of that file waits for the disk).
    std::optional<tessary::CloudQuota> quota() const;
    void setQuota(const std::optional<tessary::CloudQuota>& quota);

    // Whether a session token is stored.
    QCoro::Task<bool> isLoggedIn();
    // Registers or logs in; stores token, e-mail, consent and quota; returns the quota.
    QCoro::Task<tessary::CloudQuota> authenticate(QString email, QString password, bool registering);
    // Tells the service, then forgets the session whatever it answered. Never throws.
    QCoro::Task<> logout();
    // Stores the consent once the service has accepted it.
    QCoro::Task<> updateShareCache(bool enabled);
    // One output per text; stores the quota the service reports.
    QCoro::Task<Translation> translate(QStringList texts, QString target, QString requestId, bool bypassCache,
                                       TranslationCancellation cancellation = {});

Q_SIGNALS:
    // The session, e-mail, consent or quota changed.
    void accountChanged();

private:
    QCoro::Task<QByteArray> request(QString path, QByteArray method, std::optional<QByteArray> body,
                                    bool authenticated, TranslationCancellation cancellation);
    QCoro::Task<> forgetToken();
    void persistQuota();

    Options m_options;
    QNetworkAccessManager m_network;
    mutable std::optional<std::optional<tessary::CloudQuota>> m_quota; // outer: read from the settings yet
    QTimer m_quotaWrite;
};
