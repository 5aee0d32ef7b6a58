#pragma once

#include "TessaryCore/DeepSeekRetry.h"
#include "Translation/TranslationCancellation.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QNetworkReply>
#include <QString>

#include <chrono>
#include <optional>

class QNetworkAccessManager;

// The translation engines' one network manager on the main thread: no cookies kept, no cache,
// the system proxy, redirects not followed (a redirect is reported as its status, so a key never
// follows it to another host). And how every engine reads a reply: bounded and cancellable.
namespace TranslationNetwork {

QNetworkAccessManager& manager();

struct BoundedRead {
    QByteArray data;
    bool cut = false;            // the body passed the cap and the reply was aborted
    bool deadlinePassed = false; // the whole-request deadline aborted the reply
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorText;
    std::optional<int> status; // the HTTP status, when one arrived
};

// Waits for `reply` to finish, reading its body as it arrives and aborting it once the body passes
// `cap` bytes, `deadline` passes (when given) or `cancellation` is cancelled. Takes the reply and
// deletes it later. Throws TranslationCancelled once cancelled.
QCoro::Task<BoundedRead> read(QNetworkReply* reply, qint64 cap,
                              std::optional<std::chrono::milliseconds> deadline,
                              TranslationCancellation cancellation);

// What the retry rules make of a network error.
tessary::DeepSeekRetry::TransportError transportError(QNetworkReply::NetworkError code);

} // namespace TranslationNetwork
