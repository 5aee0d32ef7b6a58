#pragma once

#include "Overlay/Canvas/CaptureOutput.h"
#include "TessaryCore/Geometry.h"
#include "TessaryCore/TranslationEngineKind.h"
#include "TessaryCore/TranslationOverlay.h"
#include "Translation/TypesetTranslation.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <qcoro/qcorotask.h>

#include <functional>
#include <memory>
#include <optional>

class TextRecognizer;
class ScreenshotTranslator;
class SelectionCanvasView;
class TranslationEngine;
class TranslationProgressPanel;

// The translate action of a capture session: translates the selection in place while the overlays
// stay open, with a progress panel and the toolbar's button busy meanwhile; pressed again over a
// shown translation it brings the source back. One translation runs at a time; a cancelled one
// never delivers. Main thread only.
class TranslationSession : public QObject {
    Q_OBJECT
public:
    // The engine for a kind; null when this build cannot translate with it.
    using EngineFactory = std::function<std::shared_ptr<TranslationEngine>(tessary::TranslationEngineKind)>;

    // `recognizer` (whose worker serves layout recognition too) outlives the session. `devSavePath`:
    // where a finished translation's rendered image is written in scripted runs.
    TranslationSession(TextRecognizer& recognizer, std::optional<QString> devSavePath,
                       QObject* parent = nullptr);
    ~TranslationSession() override;

    // DeepSeek from the settings by default.
    void setEngineFactory(EngineFactory factory) { engineFactory_ = std::move(factory); }
    static std::shared_ptr<TranslationEngine> defaultEngine(tessary::TranslationEngineKind kind);

    // The translate button on `canvas`, with what the canvas held when it was pressed.
    void toggle(SelectionCanvasView* canvas, const CaptureOutput& output);
    // Abandons the running translation, if any; its result is never shown.
    void cancel();

    bool isRunning() const { return translator_ != nullptr; }
    TranslationProgressPanel* progressPanel() const;

Q_SIGNALS:
    // A translation ended (shown, nothing to show, failed or cancelled).
    void finished();

private:
    using Result = std::optional<tessary::TranslationOverlay>;
    static QCoro::Task<> deliver(QPointer<TranslationSession> self, quint64 generation,
                                 QPointer<SelectionCanvasView> canvas, tessary::Rect selection,
                                 QCoro::Task<Result> translation);
    void show(SelectionCanvasView* canvas, tessary::TranslationOverlay overlay, TypesetTranslation typeset);
    // The button and the panel go back to rest.
    void endRun();

    TextRecognizer& recognizer_;
    std::optional<QString> devSavePath_;
    EngineFactory engineFactory_ = &TranslationSession::defaultEngine;
    std::unique_ptr<ScreenshotTranslator> translator_;
    QPointer<SelectionCanvasView> canvas_;
    QPointer<TranslationProgressPanel> panel_;
    QElapsedTimer startedAt_;
    // Bumped by every start and cancel, so that a translation no longer wanted ends quietly.
    quint64 generation_ = 0;
};
