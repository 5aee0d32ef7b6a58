#include "Cloud/VelmoraTranslationEngine.h"

#include "Cloud/VelmoraClient.h"
#include "Foundation/Log.h"
#include "TessaryCore/CloudAPIError.h"
#include "TessaryCore/TranslationFailure.h"
#include "TessaryCore/Uuid.h"

#include <QElapsedTimer>

VelmoraTranslationEngine::VelmoraTranslationEngine(VelmoraClient& client) : m_client(&client) {}

QCoro::Task<QStringList> VelmoraTranslationEngine::translate(QStringList texts, QString target,
                                                             TranslationCancellation cancellation) {
    if (texts.isEmpty()) {
        co_return QStringList();
    }
    // The engine may go away during the call; the client is the application's and stays.
    const QPointer<VelmoraClient> client = m_client;
    if (!client || !co_await client->isLoggedIn()) {
        throw tessary::TranslationFailure::notLoggedIn();
    }
    cancellation.throwIfCancelled();
    QElapsedTimer elapsed;
    elapsed.start();
    const QString requestId = QString::fromStdString(tessary::Uuid::random().string()).toLower();
    VelmoraClient::Translation result;
    try {
        result =
            co_await client->translate(std::move(texts), std::move(target), requestId, false, cancellation);
    } catch (const tessary::CloudAPIError& error) {
        throw tessary::TranslationFailure::cloud(error.code(), error.message());
    }
    Log::info(QStringLiteral("Tessary 云端翻译：") + QString::number(result.stats.blocks) +
              QStringLiteral(" 块，命中 ") + QString::number(result.stats.cacheHit) +
              QStringLiteral("，上游 ") + QString::number(result.stats.upstream) + QStringLiteral("，耗时 ") +
              QString::asprintf("%.2f", static_cast<double>(elapsed.nsecsElapsed()) / 1e9) +
              QStringLiteral("s。"));
    co_return result.texts;
}
