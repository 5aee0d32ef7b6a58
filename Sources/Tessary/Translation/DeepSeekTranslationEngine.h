#pragma once

#include "Translation/TranslationEngine.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Translates through a chat-completions server: DeepSeek's by default, or any compatible one at
// the configured base URL (local servers included, which may need no key). Transient failures,
// 429 and 5xx are tried again up to seven attempts in all.
class DeepSeekTranslationEngine : public TranslationEngine {
public:
    using KeyReader = std::function<QCoro::Task<std::optional<QString>>()>;
    using Sleeper = std::function<QCoro::Task<>(std::chrono::milliseconds, TranslationCancellation)>;

    static constexpr std::chrono::milliseconds defaultTimeout{20000};
    static constexpr qint64 defaultMaxReplyBytes = 2 * 1024 * 1024;

    struct Options {
        QString model;
        // Per request, as a transfer timeout: a stalled request fails after this long without data.
        std::chrono::milliseconds timeout = defaultTimeout;
        QString baseURL;
        // Reads the "deepseek" secret from the key store when unset.
        KeyReader readKey;
        // The pause between attempts; TranslationCancellation::sleep when unset.
        Sleeper sleep;
        // A reply body larger than this fails the request as invalid.
        qint64 maxReplyBytes = defaultMaxReplyBytes;
    };

    explicit DeepSeekTranslationEngine(Options options);

    // Model and base URL from the settings, 20 s per request, the key from the key store.
    static std::unique_ptr<DeepSeekTranslationEngine> fromSettings();

    tessary::TranslationEngineKind kind() const override { return tessary::TranslationEngineKind::deepseek; }
    const QString& model() const { return options_.model; }
    std::chrono::milliseconds timeout() const { return options_.timeout; }

    QCoro::Task<QStringList> translate(QStringList texts, QString target,
                                       TranslationCancellation cancellation) override;

private:
    Options options_;
};
