#include "Translation/TranslationNetwork.h"

#include "Translation/TranslationCancellationState.h"
#include "Translation/TranslationCancelled.h"

#include <QCoro/QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxyFactory>
#include <QTimer>

namespace {

// Chat-completions servers have no use for cookies; a jar that keeps none stops tracking.
class NoCookieJar : public QNetworkCookieJar {
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    QList<QNetworkCookie> cookiesForUrl(const QUrl&) const override { return {}; }
    bool setCookiesFromUrl(const QList<QNetworkCookie>&, const QUrl&) override { return false; }
};

} // namespace

namespace TranslationNetwork {

QNetworkAccessManager& manager() {
    static QNetworkAccessManager* instance = [] {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        auto* created = new QNetworkAccessManager();
        created->setCookieJar(new NoCookieJar(created));
        created->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        created->setAutoDeleteReplies(false);
        return created;
    }();
    return *instance;
}

QCoro::Task<BoundedRead> read(QNetworkReply* reply, qint64 cap,
                              std::optional<std::chrono::milliseconds> deadline,
                              TranslationCancellation cancellation) {
    BoundedRead result;
    const auto take = [reply, cap, &result] {
        result.data += reply->readAll();
        if (result.data.size() > cap && !result.cut) {
            result.cut = true;
            reply->abort();
        }
    };
    // Disconnected before this frame goes away; Qt's own connections stay.
    const QMetaObject::Connection header =
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, cap, &result] {
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid() && length.toLongLong() > cap && !result.cut) {
                result.cut = true;
                reply->abort();
            }
        });
    const QMetaObject::Connection reading = QObject::connect(reply, &QNetworkReply::readyRead, reply, take);
    const QMetaObject::Connection cancelling = QObject::connect(
        cancellation.state(), &TranslationCancellationState::cancelled, reply, &QNetworkReply::abort);
    QTimer timer;
    if (deadline) {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, reply, [reply, &result] {
            result.deadlinePassed = true;
            reply->abort();
        });
        timer.start(*deadline);
    }
    if (!reply->isFinished()) {
        co_await qCoro(reply).waitForFinished();
    }
    timer.stop();
    QObject::disconnect(header);
    QObject::disconnect(reading);
    QObject::disconnect(cancelling);
    reply->deleteLater();

    if (cancellation.isCancelled()) {
        throw TranslationCancelled();
    }
    if (result.cut) {
        co_return result;
    }
    result.error = reply->error();
    result.errorText = reply->errorString();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        result.status = status.toInt();
    }
    if (reply->isOpen()) {
        take();
    }
    co_return result;
}

tessary::DeepSeekRetry::TransportError transportError(QNetworkReply::NetworkError code) {
    using tessary::DeepSeekRetry::TransportError;
    switch (code) {
    case QNetworkReply::RemoteHostClosedError:
        return TransportError::connectionLost;
    case QNetworkReply::ConnectionRefusedError:
        return TransportError::cannotConnect;
    case QNetworkReply::TimeoutError:
        return TransportError::timedOut;
    case QNetworkReply::HostNotFoundError:
        return TransportError::hostNotFound;
    case QNetworkReply::SslHandshakeFailedError:
        return TransportError::secureConnectionFailed;
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return TransportError::notConnected;
    default:
        return TransportError::other;
    }
}

} // namespace TranslationNetwork
