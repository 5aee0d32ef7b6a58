#include "Translation/ScreenshotTranslator.h"

#include "TessaryCore/TranslationFailure.h"
#include "Translation/TranslationCancelled.h"

#include "Foundation/Log.h"
#include "Recognition/DocumentLayoutRecognizer.h"
#include "Recognition/LanguageDetector.h"
#include "TessaryCore/TranslationPlan.h"
#include "Translation/TranslationEngine.h"

#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcorofuture.h>

using tessary::TranslationOverlay;
using tessary::TranslationPlan;

ScreenshotTranslator::ScreenshotTranslator(RecognitionWorker& worker,
                                           std::shared_ptr<TranslationEngine> engine,
                                           tessary::TranslationEngineKind kind, QString targetLanguage)
    : m_worker(worker), m_engine(std::move(engine)), m_kind(kind), m_target(std::move(targetLanguage)) {}

ScreenshotTranslator::~ScreenshotTranslator() {
    cancel();
}

void ScreenshotTranslator::cancel() {
    m_shared->cancelled = true;
    m_cancellation.cancel();
    // Later translations get a fresh flag and handle; the abandoned one keeps its own.
    m_shared = std::make_shared<Shared>();
    m_cancellation = TranslationCancellation();
}

QCoro::Task<std::optional<TranslationOverlay>> ScreenshotTranslator::translate(QImage image,
                                                                               tessary::Rect selection,
                                                                               double scale,
                                                                               ProgressCallback progress) {
    // Everything the coroutine needs after a suspension is its own: the translator may be gone.
    const std::shared_ptr<Shared> shared = m_shared;
    const std::shared_ptr<TranslationEngine> engine = m_engine;
    const tessary::TranslationEngineKind kind = m_kind;
    const TranslationCancellation cancellation = m_cancellation;
    RecognitionWorker& worker = m_worker;
    const QString target = m_target;
    const std::string targetId = target.toStdString();
    const auto report = [&](Stage stage, int paragraphs, int sent) {
        if (progress && !shared->cancelled) {
            progress({stage, paragraphs, sent});
        }
    };

    report(Stage::recognizing, 0, 0);
    const std::vector<DocumentLayoutRecognizer::Paragraph> paragraphs =
        co_await DocumentLayoutRecognizer::recognizeParagraphs(worker, std::move(image));
    if (shared->cancelled) {
        co_return std::nullopt;
    }
    TranslationOverlay overlay;
    overlay.engine = kind;
    overlay.targetLanguage = targetId;
    if (paragraphs.empty()) {
        Log::info(QStringLiteral("翻译：选区内没有识别到文字。"));
        co_return overlay;
    }
    Log::info(QStringLiteral("翻译：识别到 ") + QString::number(paragraphs.size()) +
              QStringLiteral(" 段，引擎 ") + QString::fromUtf8(tessary::rawValue(kind)) +
              QStringLiteral("，目标语言 ") + target + QStringLiteral("。"));

    std::vector<std::string> texts;
    for (const auto& paragraph : paragraphs) {
        texts.push_back(paragraph.text);
    }
    // Language detection and date conversion are CPU work: off the main thread. (The future is
    // named: g++ 12 mishandles temporaries whose lifetime spans a co_await.)
    QFuture<TranslationPlan> planning = QtConcurrent::run([texts, targetId] {
        return TranslationPlan::make(texts, targetId, LanguageDetector::dominantLanguage);
    });
    TranslationPlan plan = co_await planning;
    if (shared->cancelled) {
        co_return std::nullopt;
    }
    const std::size_t kept = paragraphs.size() - plan.sent.size();
    if (kept > 0) {
        Log::info(QStringLiteral("翻译：") + QString::number(kept) + QStringLiteral(" 段不送翻译") +
                  QStringLiteral("（其中 ") + QString::number(plan.sameLanguageCount) +
                  QStringLiteral(" 段本来就是 ") + target + QStringLiteral("，其余是纯数据）。"));
    }
    if (plan.localDateCount > 0) {
        Log::info(QStringLiteral("翻译：") + QString::number(plan.localDateCount) +
                  QStringLiteral(" 段含英文日期，已在本机换成 ") + target + QStringLiteral(" 写法。"));
    }

    if (!plan.sent.empty()) {
        report(Stage::translating, int(paragraphs.size()), int(plan.sent.size()));
        QStringList request;
        for (const std::string& text : plan.textsToSend) {
            request.push_back(QString::fromStdString(text));
        }
        QStringList answers;
        try {
            QCoro::Task<QStringList> answering = engine->translate(std::move(request), target, cancellation);
            answers = co_await std::move(answering);
        } catch (const TranslationCancelled&) {
            co_return std::nullopt;
        }
        if (shared->cancelled) {
            co_return std::nullopt;
        }
        std::vector<std::string> received;
        for (const QString& answer : answers) {
            received.push_back(answer.toStdString());
        }
        if (!plan.apply(received)) {
            throw tessary::TranslationFailure::countMismatch(int(plan.sent.size()), int(received.size()));
        }
    }

    overlay.blocks = plan.blocks(paragraphs, selection, scale);
    Log::info(QStringLiteral("翻译：") + QString::number(overlay.coveringBlocks().size()) + QLatin1Char('/') +
              QString::number(overlay.blocks.size()) + QStringLiteral(" 段有译文，其余保持原样。"));
    co_return overlay;
}
