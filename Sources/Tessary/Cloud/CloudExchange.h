#pragma once

#include "TessaryCore/DeepSeekRetry.h"
#include "Translation/TranslationCancellation.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QNetworkRequest>
#include <QString>

#include <chrono>
#include <optional>

class QNetworkAccessManager;

// One attempt at a cloud request: sent, read up to a size cap, ended by a deadline or a cancel,
// and sorted into what the retry rules need to know.
namespace CloudExchange {

struct Limits {
    std::chrono::milliseconds requestTimeout;
    qint64 maxReplyBytes;
};

struct Attempt {
    bool delivered = false; // an HTTP status arrived with the whole body
    int status = 0;
    QByteArray data;
    bool oversized = false;
    bool notHttp = false; // finished without error and without a status
    tessary::DeepSeekRetry::TransportError transportError = tessary::DeepSeekRetry::TransportError::other;
    int errorCode = 0;
    QString errorText;
};

// Throws TranslationCancelled once `cancellation` is cancelled.
QCoro::Task<Attempt> perform(QNetworkAccessManager& network, QNetworkRequest request, QByteArray method,
                             std::optional<QByteArray> body, Limits limits,
                             TranslationCancellation cancellation);

} // namespace CloudExchange
