#pragma once

#include "TessaryCore/Geometry.h"
#include "TessaryCore/TranslationEngineKind.h"
#include "Translation/TranslationCancellation.h"
#include "TessaryCore/TranslationOverlay.h"

#include <QImage>
#include <QString>

#include <qcoro/qcorotask.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class RecognitionWorker;
class TranslationEngine;

// In-place translation of a selection: paragraphs recognised, each decided on (sent, converted
// locally, or left), the chosen texts translated, the results returned as an overlay of blocks in
// canvas points. Recognition, language detection and the engine all work off the main thread.
class ScreenshotTranslator {
public:
    enum class Stage {
        // Reading the paragraphs of the image.
        recognizing,
        // Waiting for the engine (`sent` texts of `paragraphs`).
        translating,
    };
    struct Progress {
        Stage stage = Stage::recognizing;
        int paragraphs = 0;
        int sent = 0;
    };
    using ProgressCallback = std::function<void(const Progress&)>;

    // `worker` (the recognition worker OCR uses) outlives every translation.
    ScreenshotTranslator(RecognitionWorker& worker, std::shared_ptr<TranslationEngine> engine, tessary::TranslationEngineKind kind,
                         QString targetLanguage);
    // Cancels the running translation.
    ~ScreenshotTranslator();
    ScreenshotTranslator(const ScreenshotTranslator&) = delete;
    ScreenshotTranslator& operator=(const ScreenshotTranslator&) = delete;

    // The overlay for `image` (the selection's crop, pixels) shown on `selection` (canvas points,
    // y up) at `scale` pixels per point. Nothing when cancel() was called (or the translator was
    // destroyed) before it finished: a late result is never delivered. Throws the recogniser's
    // TextRecognitionError and tessary::TranslationFailure (countMismatch when the engine answers short). Progress reports
    // arrive on the calling thread. Call from the main thread.
    QCoro::Task<std::optional<tessary::TranslationOverlay>>
    translate(QImage image, tessary::Rect selection, double scale, ProgressCallback progress = {});

    // Abandons the translation in flight: it resumes, if ever, only to end with nothing.
    void cancel();

private:
    struct Shared {
        std::atomic<bool> cancelled{false};
    };

    RecognitionWorker& m_worker;
    std::shared_ptr<TranslationEngine> m_engine;
    tessary::TranslationEngineKind m_kind;
    QString m_target;
    TranslationCancellation m_cancellation;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};
