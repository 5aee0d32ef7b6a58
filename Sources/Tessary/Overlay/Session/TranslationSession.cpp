#include "Overlay/Session/TranslationSession.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "Output/ImageSaver.h"
#include "Overlay/Bars/ToolbarView.h"
#include "Overlay/Canvas/SelectionCanvasView.h"
#include "Recognition/TextRecognitionError.h"
#include "Recognition/TextRecognizer.h"
#include "TessaryCore/TranslationFailure.h"
#include "Translation/DeepSeekTranslationEngine.h"
#include "Translation/ScreenshotTranslator.h"
#include "Translation/TranslationFailureText.h"
#include "Translation/TranslationProgressPanel.h"
#include "Translation/TranslationSettings.h"
#include "Translation/TranslationTextLayer.h"
#include "Translation/Typesetter.h"

#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <qcoro/qcorofuture.h>

TranslationSession::TranslationSession(TextRecognizer& recognizer, std::optional<QString> devSavePath,
                                       QObject* parent)
    : QObject(parent), recognizer_(recognizer), devSavePath_(std::move(devSavePath)) {}

TranslationSession::~TranslationSession() {
    cancel();
}

std::shared_ptr<TranslationEngine> TranslationSession::defaultEngine(tessary::TranslationEngineKind kind) {
    if (kind == tessary::TranslationEngineKind::deepseek) {
        return DeepSeekTranslationEngine::fromSettings();
    }
    // The cloud engine is handed in by whoever builds the cloud client.
    return nullptr;
}

TranslationProgressPanel* TranslationSession::progressPanel() const {
    return panel_;
}

void TranslationSession::toggle(SelectionCanvasView* canvas, const CaptureOutput& output) {
    if (!canvas) {
        return;
    }
    if (canvas->translation() && !canvas->translation()->isEmpty()) {
        canvas->clearTranslation();
        Log::info(QStringLiteral("翻译：用户收起译文，恢复原图。"));
        return;
    }
    if (output.cropped.isNull() || !canvas->selection() || !output.globalSelection) {
        Log::error(QStringLiteral("翻译：取不到选区画面，放弃。"));
        return;
    }
    const tessary::TranslationEngineKind kind = TranslationSettings::engine();
    std::shared_ptr<TranslationEngine> engine = engineFactory_ ? engineFactory_(kind) : nullptr;
    if (!engine) {
        const QString description =
            TranslationFailureText::localizedDescription(tessary::TranslationFailure::notLoggedIn());
        Log::error(QStringLiteral("翻译失败：") + description);
        canvas->showNotice(description);
        return;
    }
    const QString target = TranslationSettings::target();

    cancel();
    const quint64 generation = ++generation_;
    startedAt_.start();
    canvas_ = canvas;
    if (ToolbarView* toolbar = canvas->toolbar()) {
        toolbar->setTranslateBusy(true);
    }
    panel_ = new TranslationProgressPanel(*output.globalSelection);
    panel_->present();
    if (TranslationSettings::selectableText()) {
        QTimer::singleShot(0, this, [target] { TranslationTextLayer::prepareFonts(target); });
    }

    translator_ =
        std::make_unique<ScreenshotTranslator>(recognizer_.worker(), std::move(engine), kind, target);
    const tessary::Rect selection = *canvas->selection();
    const double scale = output.scale > 0 ? output.scale : 1;
    deliver(this, generation, canvas, selection, translator_->translate(output.cropped, selection, scale));
}

void TranslationSession::cancel() {
    if (!translator_) {
        return;
    }
    ++generation_;
    translator_->cancel();
    translator_.reset();
    Log::info(QStringLiteral("翻译：已取消（用户关掉覆盖层或又点了一次）。"));
    endRun();
}

QCoro::Task<> TranslationSession::deliver(QPointer<TranslationSession> self, quint64 generation,
                                          QPointer<SelectionCanvasView> canvas, tessary::Rect selection,
                                          QCoro::Task<Result> translation) {
    Result result;
    std::optional<QString> failure;
    try {
        result = co_await std::move(translation);
    } catch (const tessary::TranslationFailure& error) {
        failure = TranslationFailureText::localizedDescription(error);
    } catch (const TextRecognitionError& error) {
        failure = error.localizedDescription();
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    // Fitting the text measures every block at many sizes, and the first use of a CJK face loads
    // it: tens of milliseconds the main thread cannot spare. Qt's text layout runs on any thread.
    TypesetTranslation typeset;
    if (!failure && result && !result->isEmpty() && canvas) {
        QFuture<TypesetTranslation> typesetting = QtConcurrent::run(
            [overlay = *result, image = canvas->captured().image, bounds = canvas->bounds()] {
                return Typesetter::typeset(overlay, image, bounds);
            });
        typeset = co_await typesetting;
    }
    // A cancelled translation was logged and put to rest when it was cancelled.
    if (!self || self->generation_ != generation) {
        co_return;
    }
    self->translator_.reset();
    if (failure) {
        Log::error(QStringLiteral("翻译失败：") + *failure);
        if (canvas && canvas->window()) {
            canvas->showNotice(*failure);
        }
    } else if (!canvas || !result) {
        Log::info(QStringLiteral("翻译：结果回来时覆盖层已关闭，丢弃。"));
    } else if (canvas->selection() != selection) {
        // Moved or redrawn meanwhile: the blocks belong to pixels no longer selected.
        Log::info(QStringLiteral("翻译：结果回来时选区已经变了，丢弃。"));
    } else if (result->isEmpty()) {
        Log::info(QStringLiteral("翻译：没有需要替换的文字。"));
        canvas->showNotice(L10n::text(QStringLiteral("translate.nothing")));
    } else {
        self->show(canvas, std::move(*result), std::move(typeset));
    }
    self->endRun();
}

void TranslationSession::show(SelectionCanvasView* canvas, tessary::TranslationOverlay overlay,
                              TypesetTranslation typeset) {
    canvas->setTranslation(std::move(overlay), std::move(typeset));
    if (devSavePath_) {
        const QImage image = canvas->renderedImage();
        const QString path = *devSavePath_;
        const bool ok = !image.isNull() && ImageSaver::write(image, path);
        Log::info(QStringLiteral("翻译（开发模式）：译文图 → ") + path + QStringLiteral("，") +
                  (ok ? QStringLiteral("成功") : QStringLiteral("失败")) + QStringLiteral("。"));
    }
    Log::info(QString::asprintf("翻译：完成，共 %.2fs。", double(startedAt_.nsecsElapsed()) / 1e9));
}

void TranslationSession::endRun() {
    if (canvas_) {
        if (ToolbarView* toolbar = canvas_->toolbar()) {
            toolbar->setTranslateBusy(false);
        }
    }
    canvas_ = nullptr;
    if (panel_) {
        panel_->hide();
        panel_->deleteLater();
    }
    panel_ = nullptr;
    Q_EMIT finished();
}
