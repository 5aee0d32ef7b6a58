#pragma once

#include "Translation/TranslationEngine.h"

#include <QPointer>

class VelmoraClient;

// Translates through the cloud service with the shared cache allowed. The service's own refusals
// (quota exhausted, expired session) reach the user as the service's message.
class VelmoraTranslationEngine : public TranslationEngine {
public:
    explicit VelmoraTranslationEngine(VelmoraClient& client);

    tessary::TranslationEngineKind kind() const override { return tessary::TranslationEngineKind::velmora; }
    QCoro::Task<QStringList> translate(QStringList texts, QString target,
                                       TranslationCancellation cancellation) override;

private:
    QPointer<VelmoraClient> m_client;
};
