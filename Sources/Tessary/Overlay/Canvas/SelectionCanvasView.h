#pragma once

#include "Overlay/Annotations/AnnotationLayer.h"
#include "Overlay/Annotations/AnnotationRenderContext.h"
#include "Overlay/Annotations/MosaicImageCache.h"
#include "Overlay/Bars/CanvasBars.h"
#include "Overlay/Bars/ToolKind.h"
#include "Overlay/Canvas/CanvasColorPicker.h"
#include "Overlay/Canvas/CanvasSurface.h"
#include "Overlay/Canvas/CanvasTextEditing.h"
#include "Overlay/Canvas/CaptureOutput.h"
#include "Overlay/Canvas/FrozenPixels.h"
#include "Overlay/Canvas/PointerHints.h"
#include "Overlay/Canvas/SelectionCanvasDelegate.h"
#include "Overlay/Canvas/TrackedRegion.h"
#include "Overlay/Canvas/TranslationLayer.h"
#include "Overlay/Session/CapturedDisplay.h"
#include "Overlay/Session/OverlayBackdropView.h"
#include "Overlay/Session/OverlayGuideView.h"
#include "Overlay/Session/OverlayPerfOptions.h"
#include "TessaryCore/CanvasInteraction.h"
#include "TessaryCore/OnScreenWindow.h"
#include "TessaryCore/OverlayLabelLayout.h"
#include "TessaryCore/PixelColor.h"
#include "TessaryCore/SelectionGeometry.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

class NoticeBarView;
class QRCodeDetector;
class StyleBarView;
class ToolbarView;

// The full-screen view over one frozen display: drag out or snap a selection, move and resize
// it with handles, annotate it, read pixel positions and colours, and hand the result to the
// capture session. The gestures and modes are CanvasInteraction's; this view carries out what it
// answers, and owns the bars, the layers and the painters. Model geometry is in canvas points,
// y up, origin at the display's lower-left corner.
class SelectionCanvasView : public QWidget, private CanvasSurface {
    Q_OBJECT
public:
    SelectionCanvasView(CapturedDisplay captured, std::vector<tessary::OnScreenWindow> windows,
                        QWidget* parent = nullptr);
    ~SelectionCanvasView() override;

    const CapturedDisplay& captured() const { return captured_; }
    const std::vector<tessary::OnScreenWindow>& windows() const { return windows_; }
    // Canvas bounds in points.
    tessary::Rect bounds() const override;

    // The delegate must also be a QObject; it is held weakly.
    void setDelegate(SelectionCanvasDelegate* delegate);
    SelectionCanvasDelegate* delegate() const;
    void setBackdrop(OverlayBackdropView* backdrop);
    void setGuide(OverlayGuideView* guide);
    OverlayBackdropView* backdrop() const { return backdrop_; }
    OverlayGuideView* guide() const { return hints_.guide(); }
    void setPerf(OverlayPerfOptions perf) { perf_ = perf; }
    const OverlayPerfOptions& perf() const { return perf_; }

    const tessary::CanvasInteraction& interaction() const { return interaction_; }
    // Selection in canvas points; every change repaints only what it touches.
    const std::optional<tessary::Rect>& selection() const { return interaction_.selection(); }
    void setSelection(const std::optional<tessary::Rect>& selection);
    void clearSelection();

    // The frozen pixels under the selection; null without a selection or under one point.
    QImage croppedImage() const;
    // The crop with the layers drawn over it at the display's scale; drops text still being typed.
    QImage renderedImage();
    // What the finishing action `tool` receives (the rendered image only for confirm, save and pin).
    CaptureOutput captureOutput(ToolKind tool);

    void applyDemoSelection(const std::optional<tessary::Rect>& rect);
    void applyDemoAnnotations();

    // Pointer readout, crosshair and hovered window.
    void clearPointerHints();
    const std::optional<tessary::OnScreenWindow>& hoveredWindow() const { return hints_.hoveredWindow(); }
    const std::optional<tessary::Rect>& hoveredWindowRect() const { return hints_.hoveredWindowRect(); }
    const std::optional<tessary::Point>& selectionGuidePoint() const { return hints_.point(); }
    const std::optional<tessary::PixelPoint>& selectionGuidePixel() const { return hints_.pixel(); }
    const std::optional<tessary::PixelColor>& selectionGuideColor() const { return hints_.color(); }

    // Colour picker and pre-selection loupe.
    bool isColorPickerActive() const { return interaction_.is<tessary::CanvasModes::PickingColor>(); }
    bool isPreSelectionLoupeActive() const { return interaction_.is<tessary::CanvasModes::Loupe>(); }
    // The loupe shown when the overlays appear, under `pointer` when it is on this canvas.
    void showPreSelectionLoupe(std::optional<tessary::Point> pointer);
    bool colorPickerJustCopied() const { return picker_.justCopied(); }
    // Samples under `point` while the picker or the loupe is shown.
    void updateColorPicker(tessary::Point point);
    const std::optional<tessary::Point>& colorPickerPoint() const { return picker_.point(); }
    const std::optional<tessary::PixelPoint>& colorPickerPixel() const { return picker_.pixel(); }
    const std::optional<tessary::PixelColor>& colorPickerColor() const { return picker_.color(); }
    tessary::OverlayLabelLayout::ColorPicker colorPickerLayout(tessary::Point anchor) const {
        return picker_.layout(anchor);
    }

    // Annotations and tools.
    tessary::AnnotationStore& store() { return annotations_.store(); }
    std::optional<ToolKind> activeTool() const;
    const tessary::AnnotationStyle& style() const { return annotations_.style(); }
    void setStyle(const tessary::AnnotationStyle& style) { annotations_.setStyle(style); }
    const std::string& sticker() const { return annotations_.sticker(); }
    void setSticker(const std::string& sticker) { annotations_.setSticker(sticker); }
    const std::optional<tessary::Annotation>& draft() const { return annotations_.draft(); }
    // In painting order; composed in the same order onto the rendered image.
    const std::vector<CanvasLayer*>& layers() const { return layers_; }

    // Toolbar entry point: session actions go to the delegate, the rest is handled here.
    void handleToolbarSelection(ToolKind kind);
    // Shows the toolbar (and the style bar while a tool is active) next to a released selection.
    void showBars();
    bool barsVisible() const { return bars_->isVisible(); }
    // Highlight of the active tool (or the colour picker) and the undo button's state.
    void updateBarState();
    // Created on the first showBars(); null before.
    ToolbarView* toolbar() const { return bars_->toolbar(); }
    StyleBarView* styleBar() const { return bars_->styleBar(); }

    // Text annotations are typed in a floating editor opened by the text tool.
    void commitTextEditing();
    void cancelTextEditing();
    AnnotationTextEditor* textEditor() const { return textEditing_.editor(); }

    // QR payloads found for the current selection (scanned once it is released).
    const QStringList& qrPayloads() const { return qrPayloads_; }
    void setQRPayloads(const QStringList& payloads);
    QRCodeDetector* qrDetector() const { return qrDetector_; }

    // The translation shown over the selection, typeset against the frozen pixels when set.
    const std::optional<tessary::TranslationOverlay>& translation() const { return translation_.overlay(); }
    const TranslationLayer& translationLayer() const { return translation_; }
    // `typeset`: the translation already typeset against captured().image and bounds(), as a
    // worker thread can do it; absent, it is typeset here.
    void setTranslation(std::optional<tessary::TranslationOverlay> translation,
                        std::optional<TypesetTranslation> typeset = std::nullopt);
    void clearTranslation();

    // Notice on the selection, stacked under the toolbar; fades out by itself.
    void showNotice(const QString& text) { bars_->showNotice(text); }
    void hideNotice() { bars_->hideNotice(); }
    NoticeBarView* noticeBar() const { return bars_->noticeBar(); }

    // Last drawn areas of the moving overlays, in canvas points.
    const TrackedRegion& readoutRegion() const { return hints_.readoutRegion(); }
    const TrackedRegion& windowLabelRegion() const { return hints_.windowLabelRegion(); }
    const TrackedRegion& colorPickerRegion() const { return picker_.region(); }

    // Called by the backdrop when a repaint of the window starts, so the probe times the whole frame.
    void markFrameStart();

    // Mouse and keys in canvas points, as the platform view forwards them.
    void pressAt(tessary::Point p);
    void dragTo(tessary::Point p);
    void releaseAt(tessary::Point p);
    void pointerMovedTo(tessary::Point p);
    void pointerExited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The interaction, with the canvas's current bounds.
    tessary::CanvasInteraction& machine();
    // Carries out what the interaction answered, in order.
    void apply(const tessary::CanvasCommandList& commands);
    void apply(const tessary::CanvasCommand& command);
    void tracePress(const tessary::CanvasInteraction& before,
                    const tessary::CanvasCommandList& commands) const;
    void traceCanvas(const QString& ending) const;

    tessary::Point toCanvas(QPointF widgetPoint) const;
    QRectF toWidget(const tessary::Rect& rect) const;
    // Repaints a canvas rectangle (y-up points).
    void invalidate(const tessary::Rect& rect);
    // CanvasSurface
    void invalidateUnion(const tessary::Rect& a, const tessary::Rect& b) override;
    void repaintAll() override { update(); }
    void hoveredWindowChanged() override { refreshCutout(); }
    // The selection, or the whole canvas without one: where text and stickers may reach.
    tessary::Rect annotationArea() const;

    void selectionChanged(const std::optional<tessary::Rect>& before);
    void refreshCutout();
    void copyGuideColor(const tessary::PixelColor& color);

    void hideBars();
    void syncBars();
    void undoLastAnnotation();
    void openTextEditor(tessary::Point p);
    void closeTextEditor(bool commit);

    void drawSelection(QPainter& painter, const tessary::Rect& selection);
    void drawLayers(QPainter& painter, const tessary::Rect& selection);
    const QPixmap& legacyBackdrop();
    AnnotationRenderContext renderContext();

    CapturedDisplay captured_;
    SelectionCanvasDelegate* delegate_ = nullptr;
    QPointer<QObject> delegateGuard_;
    std::vector<tessary::OnScreenWindow> windows_;
    QPointer<OverlayBackdropView> backdrop_;
    OverlayPerfOptions perf_;
    FrozenPixels pixels_;

    tessary::CanvasInteraction interaction_;
    CanvasBars* bars_ = nullptr;
    CanvasTextEditing textEditing_;
    QRCodeDetector* qrDetector_ = nullptr;
    QStringList qrPayloads_;

    TranslationLayer translation_;
    AnnotationLayer annotations_;
    std::vector<CanvasLayer*> layers_;
    MosaicImageCache mosaicCache_;

    PointerHints hints_;
    CanvasColorPicker picker_;

    QPixmap legacyBackdrop_;
    QElapsedTimer frameTimer_;
    bool frameStarted_ = false;
};
