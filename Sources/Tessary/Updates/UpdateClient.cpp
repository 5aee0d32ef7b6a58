#include "Updates/UpdateClient.h"

#include "TessaryCore/SecureUrl.h"
#include "TessaryCore/UpdateResponse.h"

#include <QCoroSignal>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace {

bool isOfflineError(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the transfer time-out
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return true;
    default:
        return false;
    }
}

// Errors Qt reports below HTTP; the others stand for an HTTP status, decided on by its code.
bool isTransportError(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

std::string encoded(const QUrl& url) {
    return url.toString(QUrl::FullyEncoded).toStdString();
}

} // namespace

namespace UpdateClient {

QCoro::Task<UpdateFetchResult> fetch(QUrl url, QNetworkAccessManager& session,
                                     tessary::ReleaseTarget target) {
    const bool allowsLoopbackHTTP = tessary::SecureUrl::isLoopbackHttp(encoded(url));

    QNetworkRequest request(url);
    request.setRawHeader("Accept", "application/json");
    request.setRawHeader("Cache-Control", "no-cache");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(static_cast<int>(transferTimeout.count()));

    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(
        session.get(request), [](QNetworkReply* r) { r->deleteLater(); });
    QNetworkReply* const raw = reply.get();
    struct State {
        QByteArray body;
        bool tooLarge = false;
        bool redirectRefused = false;
        bool timedOut = false;
    };
    auto state = std::make_shared<State>();
    const auto refuseIfTooLarge = [raw, state](qint64 size) {
        if (size > static_cast<qint64>(tessary::UpdateResponse::maximumBodySize) && !state->tooLarge) {
            state->tooLarge = true;
            raw->abort();
        }
    };
    QObject::connect(raw, &QNetworkReply::metaDataChanged, raw, [raw, refuseIfTooLarge] {
        const QVariant length = raw->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid()) {
            refuseIfTooLarge(length.toLongLong());
        }
    });
    QObject::connect(raw, &QNetworkReply::readyRead, raw, [raw, state, refuseIfTooLarge] {
        // Read no more than one byte past the cap: that byte alone proves the body too large.
        const qint64 room =
            static_cast<qint64>(tessary::UpdateResponse::maximumBodySize) + 1 - state->body.size();
        if (room > 0) {
            state->body.append(raw->read(room));
        }
        refuseIfTooLarge(state->body.size());
    });
    QObject::connect(raw, &QNetworkReply::redirected, raw,
                     [raw, state, allowsLoopbackHTTP](const QUrl& next) {
                         const std::string text = encoded(next);
                         if (tessary::SecureUrl::isSecure(text) ||
                             (allowsLoopbackHTTP && tessary::SecureUrl::isLoopbackHttp(text))) {
                             Q_EMIT raw->redirectAllowed();
                         } else {
                             state->redirectRefused = true;
                             raw->abort();
                         }
                     });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, raw, [raw, state] {
        state->timedOut = true;
        raw->abort();
    });
    deadline.start(resourceTimeout);

    if (!raw->isFinished()) {
        co_await qCoro(raw, &QNetworkReply::finished);
    }
    deadline.stop();

    if (state->tooLarge || state->redirectRefused) {
        co_return tessary::UpdateError::invalidResponse;
    }
    if (state->timedOut) {
        co_return UpdateTransportError{true, QStringLiteral("timed out")};
    }
    const QVariant statusCode = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusCode.isValid() || isTransportError(raw->error())) {
        co_return UpdateTransportError{isOfflineError(raw->error()), raw->errorString()};
    }
    state->body.append(raw->readAll());
    tessary::UpdateResponse response;
    response.statusCode = statusCode.toInt();
    response.finalURL = encoded(raw->url());
    response.body = std::string_view(state->body.constData(), static_cast<size_t>(state->body.size()));
    auto decided = response.decode(allowsLoopbackHTTP, target);
    if (auto* error = std::get_if<tessary::UpdateError>(&decided)) {
        co_return *error;
    }
    co_return std::get<tessary::UpdateManifest>(std::move(decided));
}

} // namespace UpdateClient
