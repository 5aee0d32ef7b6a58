#include "Cloud/CloudExchange.h"

#include "Translation/TranslationCancellationState.h"
#include "Translation/TranslationCancelled.h"

#include <QCoro/QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace CloudExchange {

namespace {

using tessary::DeepSeekRetry::TransportError;

TransportError transportError(QNetworkReply::NetworkError code) {
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

} // namespace

QCoro::Task<Attempt> perform(QNetworkAccessManager& network, QNetworkRequest request, QByteArray method,
                             std::optional<QByteArray> body, Limits limits,
                             TranslationCancellation cancellation) {
    QNetworkReply* reply = network.sendCustomRequest(request, method, body.value_or(QByteArray()));
    Attempt result;
    bool wholeTimeout = false;
    const qint64 cap = limits.maxReplyBytes;
    const auto giveUpIfTooLarge = [reply, cap, &result](qint64 size) {
        if (size > cap && !result.oversized) {
            result.oversized = true;
            reply->abort();
        }
    };
    // Disconnected before this frame goes away; Qt's own connections stay.
    const QMetaObject::Connection header =
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, giveUpIfTooLarge] {
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid()) {
                giveUpIfTooLarge(length.toLongLong());
            }
        });
    const QMetaObject::Connection reading =
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, &result, giveUpIfTooLarge] {
            result.data += reply->readAll();
            giveUpIfTooLarge(result.data.size());
        });
    const QMetaObject::Connection cancelling = QObject::connect(
        cancellation.state(), &TranslationCancellationState::cancelled, reply, &QNetworkReply::abort);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply, [reply, &wholeTimeout] {
        wholeTimeout = true;
        reply->abort();
    });
    deadline.start(limits.requestTimeout);
    if (!reply->isFinished()) {
        co_await qCoro(reply).waitForFinished();
    }
    deadline.stop();
    QObject::disconnect(header);
    QObject::disconnect(reading);
    QObject::disconnect(cancelling);
    reply->deleteLater();

    if (cancellation.isCancelled()) {
        throw TranslationCancelled();
    }
    if (result.oversized) {
        co_return result;
    }
    const QNetworkReply::NetworkError code = reply->error();
    if (code == QNetworkReply::OperationCanceledError) {
        // Only a timer aborts a reply here: the transfer timeout or the whole-request deadline.
        result.transportError = TransportError::timedOut;
        result.errorCode = QNetworkReply::TimeoutError;
        result.errorText =
            wholeTimeout ? QStringLiteral("Request timed out") : QStringLiteral("Transfer timed out");
        co_return result;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        if (code == QNetworkReply::NoError) {
            result.notHttp = true;
        }
        result.transportError = transportError(code);
        result.errorCode = code;
        result.errorText = reply->errorString();
        co_return result;
    }
    result.delivered = true;
    result.status = status.toInt();
    if (reply->isOpen()) {
        result.data += reply->readAll();
    }
    co_return result;
}

} // namespace CloudExchange
