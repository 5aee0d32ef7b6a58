#include "Translation/DeepSeekTranslationEngine.h"

#include "Foundation/Log.h"
#include "TessaryCore/DeepSeekReply.h"
#include "TessaryCore/DeepSeekRequest.h"
#include "TessaryCore/DeepSeekRetry.h"
#include "TessaryCore/TranslationFailure.h"
#include "Translation/APIKeyStore.h"
#include "Translation/ServiceURL.h"
#include "Translation/TranslationNetwork.h"
#include "Translation/TranslationSettings.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

using tessary::TranslationFailure;
using tessary::DeepSeekRetry::TransportError;

struct AttemptResult {
    bool delivered = false; // an HTTP status arrived with the whole body
    int status = 0;
    QByteArray data;
    bool oversized = false;
    TransportError transportError = TransportError::other;
    QString detail;
};

// Errors below HTTP: Qt numbers them 1 to 99.
bool isTransportCode(QNetworkReply::NetworkError code) {
    return code > QNetworkReply::NoError && code < 100;
}

QString detailOf(int code, const QString& description) {
    return QString::number(code) + QLatin1Char(' ') + description;
}

// One request, its body read up to the cap.
QCoro::Task<AttemptResult> attempt(QNetworkRequest request, QByteArray body, qint64 cap,
                                   TranslationCancellation cancellation) {
    QNetworkReply* reply = TranslationNetwork::manager().post(request, body);
    const TranslationNetwork::BoundedRead read =
        co_await TranslationNetwork::read(reply, cap, std::nullopt, cancellation);
    AttemptResult result;
    if (read.cut) {
        result.oversized = true;
        co_return result;
    }
    if (read.error == QNetworkReply::OperationCanceledError) {
        // Nobody else aborts this reply: the transfer timeout did.
        result.transportError = TransportError::timedOut;
        result.detail = detailOf(QNetworkReply::TimeoutError, QStringLiteral("Transfer timed out"));
        co_return result;
    }
    if (isTransportCode(read.error) || !read.status) {
        result.transportError = TranslationNetwork::transportError(read.error);
        result.detail = detailOf(read.error, read.errorText);
        co_return result;
    }
    result.delivered = true;
    result.status = *read.status;
    result.data = read.data;
    co_return result;
}

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// The request with its retries; gives the body of the first 200 reply.
QCoro::Task<QByteArray> send(QNetworkRequest request, QByteArray body,
                             DeepSeekTranslationEngine::Options options,
                             TranslationCancellation cancellation) {
    QString detail;
    for (int n = 1;; ++n) {
        cancellation.throwIfCancelled();
        const AttemptResult result = co_await attempt(request, body, options.maxReplyBytes, cancellation);
        if (result.oversized) {
            throw TranslationFailure::invalidResponse("响应超过 " + std::to_string(options.maxReplyBytes) +
                                                      " 字节上限");
        }
        if (!result.delivered) {
            if (!tessary::DeepSeekRetry::isRetryable(result.transportError)) {
                throw TranslationFailure::networkUnavailable(n, result.detail.toStdString());
            }
            detail = result.detail;
            Log::error(QStringLiteral("DeepSeek：第 ") + QString::number(n) +
                       QStringLiteral(" 次尝试没送出去（") + detail + QStringLiteral("），准备重试。"));
        } else if (result.status == 200) {
            if (n > 1) {
                Log::info(QStringLiteral("DeepSeek：第 ") + QString::number(n) +
                          QStringLiteral(" 次尝试成功。"));
            }
            co_return result.data;
        } else if (tessary::DeepSeekRetry::isRetryableStatus(result.status)) {
            detail = QStringLiteral("HTTP ") + QString::number(result.status);
            Log::error(QStringLiteral("DeepSeek：第 ") + QString::number(n) + QStringLiteral(" 次尝试拿到 ") +
                       detail + QStringLiteral("，准备重试。"));
        } else {
            throw TranslationFailure::serverError(
                result.status, tessary::DeepSeekReply::errorBodyExcerpt(std::string_view(
                                   result.data.constData(), static_cast<size_t>(result.data.size()))));
        }
        if (n >= tessary::DeepSeekRetry::maxAttempts) {
            throw TranslationFailure::networkUnavailable(n, detail.toStdString());
        }
        co_await options.sleep(tessary::DeepSeekRetry::delayAfter(n), cancellation);
    }
}

} // namespace

DeepSeekTranslationEngine::DeepSeekTranslationEngine(Options options) : options_(std::move(options)) {
    if (options_.model.trimmed().isEmpty()) {
        options_.model = QString::fromLatin1(TranslationSettings::defaultDeepSeekModel);
    }
    if (options_.baseURL.trimmed().isEmpty()) {
        options_.baseURL = QString::fromLatin1(TranslationSettings::defaultDeepSeekBaseURL);
    }
    if (!options_.readKey) {
        options_.readKey = [] {
            return APIKeyStore::read(QString::fromLatin1(APIKeyStore::deepSeekAccount));
        };
    }
    if (!options_.sleep) {
        options_.sleep = [](std::chrono::milliseconds duration, TranslationCancellation cancellation) {
            return cancellation.sleep(duration);
        };
    }
}

std::unique_ptr<DeepSeekTranslationEngine> DeepSeekTranslationEngine::fromSettings() {
    Options options;
    options.model = TranslationSettings::deepSeekModel();
    options.baseURL = TranslationSettings::deepSeekBaseURL();
    return std::make_unique<DeepSeekTranslationEngine>(std::move(options));
}

QCoro::Task<QStringList> DeepSeekTranslationEngine::translate(QStringList texts, QString target,
                                                              TranslationCancellation cancellation) {
    // Everything the call needs is copied before the first suspension: the engine may go away.
    const Options options = options_;
    const std::optional<ServiceURL::Checked> endpoint = ServiceURL::check(options.baseURL);
    if (!endpoint) {
        // Plain http to another machine would expose the key and the screenshot's text.
        throw TranslationFailure::networkUnavailable(0, "拒绝使用不安全的服务地址：" +
                                                            options.baseURL.toStdString());
    }
    const std::optional<QString> key = co_await options.readKey();
    if (!key && endpoint->verdict != tessary::TranslationEndpoint::Verdict::loopback) {
        throw TranslationFailure::missingAPIKey();
    }
    if (texts.isEmpty()) {
        co_return QStringList();
    }

    std::vector<std::string> sources;
    sources.reserve(static_cast<size_t>(texts.size()));
    for (const QString& text : texts) {
        sources.push_back(text.toStdString());
    }
    const std::string body =
        tessary::DeepSeekRequest::body(sources, target.toStdString(), options.model.toStdString());

    QNetworkRequest request(ServiceURL::appending(
        endpoint->base, QString::fromLatin1(tessary::DeepSeekRequest::path.data(),
                                            static_cast<qsizetype>(tessary::DeepSeekRequest::path.size()))));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    if (key) {
        request.setRawHeader(QByteArrayLiteral("Authorization"), "Bearer " + key->toUtf8());
    }
    request.setTransferTimeout(static_cast<int>(options.timeout.count()));
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    QElapsedTimer elapsed;
    elapsed.start();
    const QByteArray data = co_await send(request, QByteArray::fromStdString(body), options, cancellation);
    const std::vector<std::string> translated = tessary::DeepSeekReply::parse(
        std::string_view(data.constData(), static_cast<size_t>(data.size())), sources.size());

    Log::info(QStringLiteral("DeepSeek 翻译：") + QString::number(texts.size()) +
              QStringLiteral(" 块，模型 ") + options.model + QStringLiteral("，耗时 ") +
              QString::asprintf("%.2f", static_cast<double>(elapsed.nsecsElapsed()) / 1e9) +
              QStringLiteral("s。"));
    QStringList result;
    result.reserve(static_cast<qsizetype>(translated.size()));
    for (const std::string& text : translated) {
        result.append(fromStd(text));
    }
    co_return result;
}
