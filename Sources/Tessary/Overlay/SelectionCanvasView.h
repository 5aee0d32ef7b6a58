#pragma once

#include "Overlay/AnnotationRenderContext.h"
#include "Overlay/AnnotationTextEditor.h"
#include "Overlay/CapturedDisplay.h"
#include "Overlay/MagnifierImage.h"
#include "Overlay/MosaicImageCache.h"
#include "Overlay/OverlayBackdropView.h"
#include "Overlay/OverlayGuideView.h"
#include "Overlay/OverlayPerfOptions.h"
#include "Overlay/OverlaySprite.h"
#include "Overlay/PixelColorSampler.h"
#include "Overlay/SelectionCanvasDelegate.h"
#include "Overlay/ToolKind.h"
#include "Overlay/TrackedRegion.h"
#include "TessaryCore/Annotation.h"
#include "TessaryCore/AnnotationStore.h"
#include "TessaryCore/AnnotationStyle.h"
#include "TessaryCore/OnScreenWindow.h"
#include "TessaryCore/OverlayLabelLayout.h"
#include "TessaryCore/PixelColor.h"
#include "TessaryCore/SelectionGeometry.h"
#include "TessaryCore/TranslationOverlay.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class NoticeBarView;
class QRCodeDetector;
class StyleBarView;
class ToolbarView;
class QTimer;
class QVariantAnimation;

// The full-screen view over one frozen display: drag out or snap a selection, move and resize
// it with handles, read pixel positions and colours, and hand the result to the capture session.
// Model geometry is in canvas points, y up, origin at the display's lower-left corner.
class SelectionCanvasView : public QWidget {
    Q_OBJECT
public:
    // The gesture in progress.
    struct DragMode {
        enum class Kind { creating, creatingFromWindow, moving, resizing, annotating, idle };
        Kind kind = Kind::idle;
        tessary::Point anchor;    // creating, creatingFromWindow, annotating
        tessary::Rect windowRect; // creatingFromWindow
        tessary::Rect origin;     // moving, resizing: the selection at the press
        tessary::Point grabbedAt; // moving
        tessary::SelectionHandle handle = tessary::SelectionHandle::topLeft; // resizing
    };

    static constexpr double minimumSelectionSide = tessary::SelectionGeometry::minimumSelectionSide;
    static constexpr std::size_t historyDepth = 200;
    // The toolbar's size; the notice is stacked under it.
    static constexpr double toolbarWidth = 866;
    static constexpr double toolbarHeight = 44;

    SelectionCanvasView(CapturedDisplay captured, std::vector<tessary::OnScreenWindow> windows,
                        QWidget* parent = nullptr);
    ~SelectionCanvasView() override;

    const CapturedDisplay& captured() const { return captured_; }
    const std::vector<tessary::OnScreenWindow>& windows() const { return windows_; }
    // Canvas bounds in points.
    tessary::Rect bounds() const;

    // The delegate must also be a QObject; it is held weakly.
    void setDelegate(SelectionCanvasDelegate* delegate);
    SelectionCanvasDelegate* delegate() const;
    void setBackdrop(OverlayBackdropView* backdrop);
    void setGuide(OverlayGuideView* guide);
    OverlayBackdropView* backdrop() const { return backdrop_; }
    OverlayGuideView* guide() const { return guide_; }
    void setPerf(OverlayPerfOptions perf);
    const OverlayPerfOptions& perf() const { return perf_; }

    // Selection in canvas points; every change repaints only what it touches.
    const std::optional<tessary::Rect>& selection() const { return selection_; }
    void setSelection(const std::optional<tessary::Rect>& selection);
    const DragMode& dragMode() const { return dragMode_; }
    void clearSelection();

    // The frozen pixels under the selection; null without a selection or under one point.
    QImage croppedImage() const;
    // The crop with translation and annotations drawn over it at the display's scale.
    QImage renderedImage();

    void applyDemoSelection(const std::optional<tessary::Rect>& rect);
    void applyDemoAnnotations();

    // Pointer readout, crosshair and hovered window.
    void clearPointerHints();
    const std::optional<tessary::OnScreenWindow>& hoveredWindow() const { return hoveredWindow_; }
    const std::optional<tessary::Rect>& hoveredWindowRect() const { return hoveredWindowRect_; }
    const std::optional<tessary::Point>& selectionGuidePoint() const { return selectionGuidePoint_; }
    const std::optional<tessary::PixelPoint>& selectionGuidePixel() const { return selectionGuidePixel_; }
    const std::optional<tessary::PixelColor>& selectionGuideColor() const { return selectionGuideColor_; }

    // Colour picker and pre-selection loupe.
    bool isColorPickerActive() const { return isColorPickerActive_; }
    void setColorPickerActive(bool active) { isColorPickerActive_ = active; }
    bool isPreSelectionLoupeActive() const { return isPreSelectionLoupeActive_; }
    void setPreSelectionLoupeActive(bool active) { isPreSelectionLoupeActive_ = active; }
    bool colorPickerJustCopied() const { return colorPickerJustCopied_; }
    void setColorPickerJustCopied(bool copied) { colorPickerJustCopied_ = copied; }
    void updateColorPicker(tessary::Point point);
    void toggleColorPicker();
    void deactivatePreSelectionLoupe();
    const std::optional<tessary::Point>& colorPickerPoint() const { return colorPickerPoint_; }
    const std::optional<tessary::PixelPoint>& colorPickerPixel() const { return colorPickerPixel_; }
    const std::optional<tessary::PixelColor>& colorPickerColor() const { return colorPickerColor_; }
    void copyColorPickerValue(const tessary::PixelColor& color);
    void copySelectionGuideColor(const tessary::PixelColor& color);
    tessary::OverlayLabelLayout::ColorPicker colorPickerLayout(tessary::Point anchor) const;
    tessary::OverlayLabelLayout::Readout readoutLayout(tessary::Point pointer);

    // Annotations and tools.
    tessary::AnnotationStore& store() { return store_; }
    const std::optional<ToolKind>& activeTool() const { return activeTool_; }
    const tessary::AnnotationStyle& style() const { return style_; }
    void setStyle(const tessary::AnnotationStyle& style) { style_ = style; }
    const std::string& sticker() const { return sticker_; }
    void setSticker(const std::string& sticker) { sticker_ = sticker; }
    const std::optional<tessary::Annotation>& draft() const { return draft_; }
    // Toolbar entry point: session actions go to the delegate, the rest is handled here.
    void handleToolbarSelection(ToolKind kind);
    // Shows the toolbar (and the style bar while a tool is active) next to a released selection.
    void showBars();
    bool barsVisible() const { return barsVisible_; }
    // Highlight of the active tool (or the colour picker) and the undo button's state.
    void updateBarState();
    // Created on the first showBars(); null before.
    ToolbarView* toolbar() const { return toolbar_; }
    StyleBarView* styleBar() const { return styleBar_; }

    // Text annotations are typed in a floating editor opened by the text tool.
    void beginTextEditing(tessary::Point p);
    void commitTextEditing();
    void cancelTextEditing();
    AnnotationTextEditor* textEditor() const { return textEditor_; }

    // QR payloads found for the current selection (scanned once it is released).
    const QStringList& qrPayloads() const { return qrPayloads_; }
    void setQRPayloads(const QStringList& payloads);
    QRCodeDetector* qrDetector() const { return qrDetector_; }

    const std::optional<tessary::TranslationOverlay>& translation() const { return translation_; }
    void setTranslation(std::optional<tessary::TranslationOverlay> translation);
    void clearTranslation();

    // Notice on the selection, stacked under the toolbar; fades out by itself.
    void showNotice(const QString& text);
    void hideNotice();
    NoticeBarView* noticeBar() const { return noticeBar_; }

    // Last drawn areas of the moving overlays, in canvas points.
    const TrackedRegion& readoutRegion() const { return readoutRegion_; }
    const TrackedRegion& windowLabelRegion() const { return windowLabelRegion_; }
    const TrackedRegion& colorPickerRegion() const { return colorPickerRegion_; }

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
    tessary::Point toCanvas(QPointF widgetPoint) const;
    QRectF toWidget(const tessary::Rect& rect) const;
    // Repaints a canvas rectangle (y-up points).
    void invalidate(const tessary::Rect& rect);
    void invalidateUnion(const tessary::Rect& a, const tessary::Rect& b);

    tessary::PixelPoint pixelAt(tessary::Point p) const;
    std::optional<tessary::PixelColor> sampleColor(tessary::PixelPoint pixel);

    void selectionChanged(const std::optional<tessary::Rect>& before);
    void refreshCutout();
    void refreshHoveredWindow(tessary::Point p);
    void setHoveredWindow(const std::optional<tessary::OnScreenWindow>& window,
                          const std::optional<tessary::Rect>& rect);
    tessary::Rect windowLabelArea(const std::optional<tessary::Rect>& hovered);
    void updatePointerGuide(tessary::Point p);
    void forgetColorPicker();
    void scheduleJustCopiedReset();

    void beginAnnotation(ToolKind tool, tessary::Point p);
    void updateDraft(tessary::Point anchor, tessary::Point current);
    void finishDraft();
    void chooseTool(ToolKind tool);
    void hideBars();
    void layOutBars();
    void ensureBars();
    void syncStyleBar();
    void closeTextEditor();
    void undoLastAnnotation();
    // Canvas area a draft occupies (grown for the pen, arrow head and antialiasing).
    tessary::Rect draftArea(const tessary::Annotation& annotation) const;
    void traceCanvas(const QString& ending) const;

    // Drawing (SelectionCanvasViewDrawing.cpp).
    void drawSizeLabel(QPainter& painter, const tessary::Rect& rect);
    void drawWindowNameLabel(QPainter& painter, const tessary::Rect& rect);
    void drawSelection(QPainter& painter, const tessary::Rect& selection);
    // The readout, magnifier and panel are composed in sprites and copied within `region`.
    void drawSelectionGuideInfo(QPainter& painter, const QRegion& region, tessary::Point point,
                                tessary::PixelPoint pixel, const tessary::PixelColor& color);
    void drawColorPickerMagnifier(QPainter& painter, const QRegion& region, const tessary::Rect& rect,
                                  tessary::PixelPoint pixel);
    void drawColorPickerPanel(QPainter& painter, const QRegion& region, const tessary::Rect& rect,
                              tessary::PixelPoint pixel, const tessary::PixelColor& color);
    // A rounded plate of `area`'s size, redrawn only when that size or the scale changes.
    const QImage& plate(QImage& cache, const QSizeF& area, double radius, const QColor& fill,
                        const std::optional<QColor>& border);
    void drawAnnotations(QPainter& painter, const tessary::Rect& selection);
    struct SizeLabelLayout {
        QString text;
        tessary::OverlayLabelLayout::Label label;
        QSizeF textSize;
    };
    SizeLabelLayout sizeLabelLayout(const tessary::Rect& rect) const;
    struct WindowNameLayout {
        QString text;
        tessary::OverlayLabelLayout::WindowNameLabel label;
    };
    WindowNameLayout windowNameLayout(const tessary::Rect& hovered, const QString& name) const;
    struct ReadoutMetrics {
        QString coordinateLabel;
        QString colorLabel;
        QString hint;
        tessary::OverlayLabelLayout::ReadoutMetrics layout;
    };
    const ReadoutMetrics& readoutMetrics();
    // Texts of the colour panel, looked up once per canvas (lookups read the settings).
    struct PanelTexts {
        QString coordinate;
        QString colorValue;
        QString copied;
        QString copyHint;
        QString copyShortcutHint;
    };
    const PanelTexts& panelTexts();
    const QPixmap& legacyBackdrop();
    AnnotationRenderContext renderContext();

    CapturedDisplay captured_;
    SelectionCanvasDelegate* delegate_ = nullptr;
    QPointer<QObject> delegateGuard_;
    std::vector<tessary::OnScreenWindow> windows_;
    QPointer<OverlayBackdropView> backdrop_;
    QPointer<OverlayGuideView> guide_;
    OverlayPerfOptions perf_;

    std::optional<tessary::Rect> selection_;
    DragMode dragMode_;
    bool barsVisible_ = false;
    ToolbarView* toolbar_ = nullptr;
    StyleBarView* styleBar_ = nullptr;
    QPointer<AnnotationTextEditor> textEditor_;
    NoticeBarView* noticeBar_ = nullptr;
    QTimer* noticeTimer_ = nullptr;
    QVariantAnimation* noticeFade_ = nullptr;
    QRCodeDetector* qrDetector_ = nullptr;
    std::optional<tessary::Rect> qrSelection_;
    QStringList qrPayloads_;

    tessary::AnnotationStore store_{historyDepth};
    std::optional<ToolKind> activeTool_;
    tessary::AnnotationStyle style_ = tessary::AnnotationStyle::defaultStyle();
    std::string sticker_ = "👍";
    std::optional<tessary::Annotation> draft_;

    std::optional<tessary::Point> selectionGuidePoint_;
    std::optional<tessary::PixelPoint> selectionGuidePixel_;
    std::optional<tessary::PixelColor> selectionGuideColor_;
    std::optional<tessary::OnScreenWindow> hoveredWindow_;
    std::optional<tessary::Rect> hoveredWindowRect_;

    bool isColorPickerActive_ = false;
    bool isPreSelectionLoupeActive_ = false;
    std::optional<tessary::Point> colorPickerPoint_;
    std::optional<tessary::PixelPoint> colorPickerPixel_;
    std::optional<tessary::PixelColor> colorPickerColor_;
    bool colorPickerJustCopied_ = false;
    std::optional<PixelColorSampler> sampler_;
    bool samplerTried_ = false;
    MosaicImageCache mosaicCache_;

    std::optional<tessary::TranslationOverlay> translation_;

    TrackedRegion readoutRegion_;
    TrackedRegion windowLabelRegion_;
    TrackedRegion colorPickerRegion_;

    QPixmap legacyBackdrop_;
    OverlaySprite readoutSprite_;
    OverlaySprite panelSprite_;
    OverlaySprite magnifierSprite_;
    MagnifierImage magnifier_;
    QImage readoutPlate_;
    QImage panelPlate_;
    std::optional<ReadoutMetrics> readoutMetrics_;
    std::optional<PanelTexts> panelTexts_;
    QElapsedTimer frameTimer_;
    bool frameStarted_ = false;
};
