#include "Cloud/CloudExchange.h"

#include "Translation/TranslationNetwork.h"

#include <QNetworkAccessManager>

namespace CloudExchange {

QCoro::Task<Attempt> perform(QNetworkAccessManager& network, QNetworkRequest request, QByteArray method,
                             std::optional<QByteArray> body, Limits limits,
                             TranslationCancellation cancellation) {
    QNetworkReply* reply = network.sendCustomRequest(request, method, body.value_or(QByteArray()));
    const TranslationNetwork::BoundedRead read =
        co_await TranslationNetwork::read(reply, limits.maxReplyBytes, limits.requestTimeout, cancellation);
    Attempt result;
    result.data = read.data;
    if (read.cut) {
        result.oversized = true;
        co_return result;
    }
    if (read.error == QNetworkReply::OperationCanceledError) {
        // Only a timer aborts a reply here: the transfer timeout or the whole-request deadline.
        result.transportError = tessary::DeepSeekRetry::TransportError::timedOut;
        result.errorCode = QNetworkReply::TimeoutError;
        result.errorText =
            read.deadlinePassed ? QStringLiteral("Request timed out") : QStringLiteral("Transfer timed out");
        co_return result;
    }
    if (!read.status) {
        result.notHttp = read.error == QNetworkReply::NoError;
        result.transportError = TranslationNetwork::transportError(read.error);
        result.errorCode = read.error;
        result.errorText = read.errorText;
        co_return result;
    }
    result.delivered = true;
    result.status = *read.status;
    co_return result;
}

} // namespace CloudExchange
