#include "Overlay/SelectionCanvasView.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Log.h"
#include "Output/Clipboard.h"
#include "Overlay/AnnotationRenderer.h"
#include "Overlay/AnnotationTextEditor.h"
#include "Overlay/ClickTrace.h"
#include "Overlay/NoticeBarView.h"
#include "Overlay/NoticePanel.h"
#include "Overlay/OverlayBackdropView.h"
#include "Overlay/OverlayGuideView.h"
#include "Overlay/PerfProbe.h"
#include "Overlay/QRCodeDetector.h"
#include "Overlay/ToolbarView.h"
#include "TessaryCore/DemoAnnotations.h"
#include "TessaryCore/NoticeLayout.h"
#include "TessaryCore/WindowGeometry.h"

#include <QColorSpace>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QVariantAnimation>

#include <cmath>

using tessary::Point;
using tessary::Rect;
namespace SG = tessary::SelectionGeometry;

SelectionCanvasView::SelectionCanvasView(CapturedDisplay captured,
                                         std::vector<tessary::OnScreenWindow> windows, QWidget* parent)
    : QWidget(parent), captured_(std::move(captured)), windows_(std::move(windows)),
      mosaicCache_(captured_.image, captured_.scale) {
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    qrDetector_ = new QRCodeDetector(this);
    connect(qrDetector_, &QRCodeDetector::scanFinished, this, [this](const QStringList& payloads) {
        if (qrDetector_->scannedSelection() == selection_) {
            setQRPayloads(payloads);
        }
    });
    resize(int(std::lround(captured_.frame.width)), int(std::lround(captured_.frame.height)));
}

SelectionCanvasView::~SelectionCanvasView() = default;

Rect SelectionCanvasView::bounds() const {
    return {0, 0, double(width()), double(height())};
}

void SelectionCanvasView::setDelegate(SelectionCanvasDelegate* delegate) {
    delegate_ = delegate;
    delegateGuard_ = dynamic_cast<QObject*>(delegate);
}

SelectionCanvasDelegate* SelectionCanvasView::delegate() const {
    return delegateGuard_ ? delegate_ : nullptr;
}

void SelectionCanvasView::setBackdrop(OverlayBackdropView* backdrop) {
    backdrop_ = backdrop;
    if (backdrop_) {
        QPointer<SelectionCanvasView> self(this);
        backdrop_->setPaintObserver([self] {
            if (self) {
                self->markFrameStart();
            }
        });
    }
    refreshCutout();
}

void SelectionCanvasView::setGuide(OverlayGuideView* guide) {
    guide_ = guide;
}

void SelectionCanvasView::setPerf(OverlayPerfOptions perf) {
    perf_ = perf;
}

// MARK: - Coordinates and invalidation

Point SelectionCanvasView::toCanvas(QPointF widgetPoint) const {
    return CoordinateSpace::fromWidget(widgetPoint, height());
}

QRectF SelectionCanvasView::toWidget(const Rect& rect) const {
    return CoordinateSpace::toWidget(rect, height());
}

void SelectionCanvasView::invalidate(const Rect& rect) {
    if (rect.isEmpty()) {
        return;
    }
    const QRect area = toWidget(rect.standardized()).toAlignedRect().intersected(this->rect());
    if (!area.isEmpty()) {
        update(area);
    }
}

void SelectionCanvasView::invalidateUnion(const Rect& a, const Rect& b) {
    const Rect both = SG::united(a, b);
    if (!both.isEmpty()) {
        invalidate(SG::insetBy(both, -2, -2));
    }
}

void SelectionCanvasView::markFrameStart() {
    if (PerfProbe::isRecording()) {
        frameTimer_.start();
        frameStarted_ = true;
    }
}

tessary::PixelPoint SelectionCanvasView::pixelAt(Point p) const {
    return SG::pixelUnder(p, {double(width()), double(height())}, captured_.image.width(),
                          captured_.image.height());
}

std::optional<tessary::PixelColor> SelectionCanvasView::sampleColor(tessary::PixelPoint pixel) {
    if (!samplerTried_) {
        samplerTried_ = true;
        sampler_ = PixelColorSampler::make(captured_.image);
    }
    if (!sampler_) {
        return std::nullopt;
    }
    return sampler_->color(pixel.x, pixel.y);
}

// MARK: - Selection

void SelectionCanvasView::setSelection(const std::optional<Rect>& selection) {
    const std::optional<Rect> before = selection_;
    selection_ = selection;
    selectionChanged(before);
}

void SelectionCanvasView::selectionChanged(const std::optional<Rect>& before) {
    if (before == selection_) {
        return;
    }
    qrDetector_->cancel();
    qrSelection_.reset();
    qrPayloads_.clear();
    if (toolbar_) {
        toolbar_->setQRAvailable(false);
    }
    hideNotice();
    refreshCutout();
    invalidate(SG::selectionChangeDirtyRect(before, selection_, bounds()));
}

void SelectionCanvasView::refreshCutout() {
    const std::optional<Rect> cutout = selection_ ? selection_ : hoveredWindowRect_;
    if (backdrop_) {
        backdrop_->setCutout(cutout);
    }
}

void SelectionCanvasView::clearSelection() {
    cancelTextEditing();
    clearTranslation();
    setSelection(std::nullopt);
    dragMode_ = DragMode{};
    draft_.reset();
    clearPointerHints();
    isColorPickerActive_ = false;
    isPreSelectionLoupeActive_ = false;
    forgetColorPicker();
    hideBars();
}

QImage SelectionCanvasView::croppedImage() const {
    if (!selection_) {
        return {};
    }
    const auto crop = SG::cropRect(*selection_, height(), captured_.scale, captured_.image.width(),
                                   captured_.image.height());
    if (!crop) {
        return {};
    }
    const QImage& source = captured_.image;
    if (crop->x == 0 && crop->y == 0 && crop->width == source.width() && crop->height == source.height()) {
        return source;
    }
    if (source.depth() != 32) {
        return source.copy(crop->x, crop->y, crop->width, crop->height);
    }
    // A read-only view into the frozen pixels instead of a copy: a full-display crop at 4K is 33 MB,
    // which the main thread would otherwise fault in page by page. Writers detach as usual; the
    // view keeps the frozen pixels alive through its own reference.
    const uchar* bits =
        source.constBits() + qsizetype(crop->y) * source.bytesPerLine() + qsizetype(crop->x) * 4;
    auto* keepAlive = new QImage(source);
    QImage view(
        bits, crop->width, crop->height, source.bytesPerLine(), source.format(),
        [](void* image) { delete static_cast<QImage*>(image); }, keepAlive);
    view.setDevicePixelRatio(source.devicePixelRatio());
    view.setDotsPerMeterX(source.dotsPerMeterX());
    view.setDotsPerMeterY(source.dotsPerMeterY());
    view.setColorSpace(source.colorSpace());
    return view;
}

AnnotationRenderContext SelectionCanvasView::renderContext() {
    AnnotationRenderContext context;
    context.bounds = bounds();
    context.mosaicImage = [this](tessary::AnnotationWeight weight) { return mosaicCache_.image(weight); };
    return context;
}

QImage SelectionCanvasView::renderedImage() {
    if (!selection_) {
        return {};
    }
    QImage crop = croppedImage();
    if (crop.isNull()) {
        return {};
    }
    // Text still being typed is dropped, not exported.
    cancelTextEditing();
    if (store_.isEmpty() && !translation_) {
        return crop;
    }
    return AnnotationRenderer::renderOnto(crop, *selection_, captured_.scale, store_.items(),
                                          renderContext());
}

void SelectionCanvasView::applyDemoSelection(const std::optional<Rect>& rect) {
    const Rect wanted = rect ? rect->standardized().intersected(bounds())
                             : tessary::DemoAnnotations::defaultSelection(bounds());
    if (wanted.isEmpty()) {
        return;
    }
    // As a press would: a scripted selection replaces the loupe shown at presentation.
    if (isPreSelectionLoupeActive_) {
        deactivatePreSelectionLoupe();
    }
    clearPointerHints();
    setSelection(wanted);
    update();
    showBars();
}

void SelectionCanvasView::applyDemoAnnotations() {
    if (!selection_) {
        return;
    }
    for (tessary::Annotation& annotation : tessary::DemoAnnotations::make(*selection_)) {
        store_.append(std::move(annotation));
    }
    updateBarState();
    update();
}

// MARK: - Press, drag, release

void SelectionCanvasView::traceCanvas(const QString& ending) const {
    if (ClickTrace::isEnabled()) {
        Log::notice(QStringLiteral("点击诊断·画布：") + ending);
    }
}

void SelectionCanvasView::pressAt(Point p) {
    if (isColorPickerActive_) {
        traceCanvas(QStringLiteral("按下 → 取色器复制"));
        updateColorPicker(p);
        if (colorPickerColor_) {
            copyColorPickerValue(*colorPickerColor_);
        }
        return;
    }
    if (isPreSelectionLoupeActive_) {
        deactivatePreSelectionLoupe();
    }
    if (textEditor_) {
        traceCanvas(QStringLiteral("按下 → 落下正在输入的文字"));
        commitTextEditing();
        return;
    }
    if (selection_) {
        const Rect s = *selection_;
        if (const auto handle = SG::hitHandle(s, p)) {
            dragMode_ = DragMode{};
            dragMode_.kind = DragMode::Kind::resizing;
            dragMode_.handle = *handle;
            dragMode_.origin = s;
            hideBars();
            traceCanvas(QStringLiteral("按下 → 拖控制点调整选区（") +
                        QString::fromLatin1(tessary::handleName(*handle)) + QStringLiteral("）"));
            return;
        }
        if (activeTool_) {
            if (SG::containsClosed(s, p)) {
                traceCanvas(QStringLiteral("按下 → 开始标注（") + ToolKinds::name(*activeTool_) +
                            QStringLiteral("）"));
                beginAnnotation(*activeTool_, SG::clamp(p, s));
            } else {
                traceCanvas(QStringLiteral("按下 → 拿着标注工具点在选区外，忽略"));
            }
            return;
        }
        if (SG::containsClosed(s, p)) {
            dragMode_ = DragMode{};
            dragMode_.kind = DragMode::Kind::moving;
            dragMode_.origin = s;
            dragMode_.grabbedAt = p;
            hideBars();
            traceCanvas(QStringLiteral("按下 → 拖动整个选区"));
            return;
        }
    }
    // A new selection; window snapping only applies when nothing was selected.
    const bool hadSelection = selection_.has_value();
    if (!hadSelection) {
        refreshHoveredWindow(p);
    }
    const std::optional<Rect> hovered = hadSelection ? std::nullopt : hoveredWindowRect_;
    if (SelectionCanvasDelegate* d = delegate()) {
        d->selectionCanvasDidBeginSelection(this);
    }
    clearPointerHints();
    dragMode_ = DragMode{};
    dragMode_.anchor = p;
    if (hovered) {
        dragMode_.kind = DragMode::Kind::creatingFromWindow;
        dragMode_.windowRect = *hovered;
        setSelection(*hovered);
        traceCanvas(QStringLiteral("按下 → 重新框选（吸在窗口上）"));
    } else {
        dragMode_.kind = DragMode::Kind::creating;
        setSelection(Rect{p.x, p.y, 0, 0});
        traceCanvas(QStringLiteral("按下 → 重新框选"));
    }
    hideBars();
    update();
}

void SelectionCanvasView::dragTo(Point p) {
    if (isColorPickerActive_) {
        updateColorPicker(p);
        return;
    }
    const Point q = SG::clamp(p, bounds());
    switch (dragMode_.kind) {
    case DragMode::Kind::creating:
        setSelection(SG::spanned(dragMode_.anchor, q));
        break;
    case DragMode::Kind::creatingFromWindow:
        if (SG::exceedsWindowDragThreshold(dragMode_.anchor, q)) {
            dragMode_.kind = DragMode::Kind::creating;
            setSelection(SG::spanned(dragMode_.anchor, q));
        } else {
            setSelection(dragMode_.windowRect);
        }
        break;
    case DragMode::Kind::moving:
        setSelection(SG::moved(dragMode_.origin, dragMode_.grabbedAt, q, bounds()));
        break;
    case DragMode::Kind::resizing:
        setSelection(SG::resized(dragMode_.origin, dragMode_.handle, q));
        break;
    case DragMode::Kind::annotating:
        if (selection_) {
            updateDraft(dragMode_.anchor, SG::clamp(p, *selection_));
        }
        break;
    case DragMode::Kind::idle:
        break;
    }
}

void SelectionCanvasView::releaseAt(Point p) {
    if (textEditor_) {
        return;
    }
    if (isColorPickerActive_) {
        updateColorPicker(p);
        return;
    }
    const DragMode::Kind mode = dragMode_.kind;
    dragMode_ = DragMode{};
    if (mode == DragMode::Kind::annotating) {
        finishDraft();
        return;
    }
    if (selection_ &&
        (selection_->width < minimumSelectionSide || selection_->height < minimumSelectionSide)) {
        // A click, not a selection: show the loupe where it landed.
        setSelection(std::nullopt);
        isPreSelectionLoupeActive_ = true;
        isColorPickerActive_ = false;
        colorPickerJustCopied_ = false;
        clearPointerHints();
        if (SG::containsClosed(bounds(), p)) {
            updateColorPicker(p);
        }
        update();
        return;
    }
    update();
    if (selection_) {
        showBars();
    }
}

// MARK: - Pointer guide and hovered window

void SelectionCanvasView::pointerMovedTo(Point p) {
    if (isColorPickerActive_ || isPreSelectionLoupeActive_) {
        updateColorPicker(p);
        return;
    }
    // Closed bounds: the top row of pixels sits at y = height once flipped.
    if (!selection_ && SG::containsClosed(bounds(), p)) {
        updatePointerGuide(p);
    } else {
        clearPointerHints();
    }
}

void SelectionCanvasView::pointerExited() {
    clearPointerHints();
    if (isColorPickerActive_ || isPreSelectionLoupeActive_) {
        forgetColorPicker();
    }
}

void SelectionCanvasView::updatePointerGuide(Point p) {
    const Point q = SG::clamp(p, bounds());
    const tessary::PixelPoint pixel = pixelAt(q);
    if (selectionGuidePoint_ == q) {
        return;
    }
    refreshHoveredWindow(q);
    selectionGuidePoint_ = q;
    selectionGuidePixel_ = pixel;
    selectionGuideColor_ = sampleColor(pixel);
    if (guide_) {
        guide_->setCrosshair(q);
    }
    if (perf_.legacyFullRedraw) {
        update();
        return;
    }
    const Rect next = readoutLayout(q).background;
    invalidateUnion(readoutRegion_.current, next);
    readoutRegion_.current = next;
}

void SelectionCanvasView::clearPointerHints() {
    const bool hadHints = selectionGuidePoint_ || hoveredWindow_ || hoveredWindowRect_ ||
                          !readoutRegion_.current.isEmpty() || !windowLabelRegion_.current.isEmpty();
    selectionGuidePoint_.reset();
    selectionGuidePixel_.reset();
    selectionGuideColor_.reset();
    hoveredWindow_.reset();
    hoveredWindowRect_.reset();
    if (guide_) {
        guide_->setCrosshair(std::nullopt);
        guide_->showWindowBorder(std::nullopt);
    }
    if (!hadHints) {
        return;
    }
    refreshCutout();
    invalidateUnion(readoutRegion_.current, windowLabelRegion_.current);
    readoutRegion_.current = {};
    windowLabelRegion_.current = {};
    if (perf_.legacyFullRedraw) {
        update();
    }
}

void SelectionCanvasView::refreshHoveredWindow(Point p) {
    const Point global{p.x + captured_.frame.x, p.y + captured_.frame.y};
    for (const tessary::OnScreenWindow& window : windows_) {
        if (!SG::containsClosed(window.frame, global)) {
            continue;
        }
        const Rect r =
            tessary::WindowGeometry::canvasRect(window.frame, captured_.frame).intersected(bounds());
        if (r.isEmpty()) {
            setHoveredWindow(std::nullopt, std::nullopt);
        } else {
            setHoveredWindow(window, r);
        }
        return;
    }
    setHoveredWindow(std::nullopt, std::nullopt);
}

void SelectionCanvasView::setHoveredWindow(const std::optional<tessary::OnScreenWindow>& window,
                                           const std::optional<Rect>& rect) {
    if (window == hoveredWindow_ && rect == hoveredWindowRect_) {
        return;
    }
    const Rect before = windowLabelArea(hoveredWindowRect_);
    hoveredWindow_ = window;
    hoveredWindowRect_ = rect;
    refreshCutout();
    if (guide_) {
        guide_->showWindowBorder(rect);
    }
    const Rect after = windowLabelArea(hoveredWindowRect_);
    invalidateUnion(before, after);
    windowLabelRegion_.current = after;
}

Rect SelectionCanvasView::windowLabelArea(const std::optional<Rect>& hovered) {
    if (!hovered || !hoveredWindow_) {
        return {};
    }
    const SizeLabelLayout size = sizeLabelLayout(*hovered);
    const WindowNameLayout name =
        windowNameLayout(size.label.background, QString::fromStdString(hoveredWindow_->appName));
    return SG::united(size.label.background, name.label.background);
}

// MARK: - Colour picker and loupe

tessary::OverlayLabelLayout::ColorPicker SelectionCanvasView::colorPickerLayout(Point anchor) const {
    return tessary::OverlayLabelLayout::colorPicker(anchor, bounds());
}

void SelectionCanvasView::updateColorPicker(Point p) {
    if (!isColorPickerActive_ && !isPreSelectionLoupeActive_) {
        return;
    }
    const Point q = SG::clamp(p, bounds());
    if (colorPickerPoint_ == q) {
        return;
    }
    colorPickerPoint_ = q;
    if (bounds().isEmpty() || captured_.image.isNull()) {
        colorPickerPixel_.reset();
        colorPickerColor_.reset();
        invalidateUnion(colorPickerRegion_.current, {});
        colorPickerRegion_.current = {};
        return;
    }
    colorPickerPixel_ = pixelAt(q);
    colorPickerColor_ = sampleColor(*colorPickerPixel_);
    const auto layout = colorPickerLayout(q);
    const Rect next = SG::united(layout.magnifier, layout.panel);
    if (perf_.legacyFullRedraw) {
        update();
    } else {
        invalidateUnion(colorPickerRegion_.current, next);
    }
    colorPickerRegion_.current = next;
}

void SelectionCanvasView::forgetColorPicker() {
    colorPickerPoint_.reset();
    colorPickerPixel_.reset();
    colorPickerColor_.reset();
    colorPickerJustCopied_ = false;
    invalidateUnion(colorPickerRegion_.current, {});
    colorPickerRegion_.current = {};
}

void SelectionCanvasView::deactivatePreSelectionLoupe() {
    isPreSelectionLoupeActive_ = false;
    forgetColorPicker();
}

void SelectionCanvasView::toggleColorPicker() {
    if (isColorPickerActive_) {
        isColorPickerActive_ = false;
        forgetColorPicker();
        update();
        return;
    }
    isColorPickerActive_ = true;
    isPreSelectionLoupeActive_ = false;
    activeTool_.reset();
    forgetColorPicker();
    const QPointF local = mapFromGlobal(QCursor::pos());
    updateColorPicker(toCanvas(local));
    update();
}

void SelectionCanvasView::copyColorPickerValue(const tessary::PixelColor& color) {
    const QString text = QString::fromStdString(color.clipboardString());
    Clipboard::writeText(text);
    Log::info(QStringLiteral("取色器：") + text + QStringLiteral(" 已写剪贴板。"));
    colorPickerJustCopied_ = true;
    invalidateUnion(colorPickerRegion_.current, {});
    scheduleJustCopiedReset();
}

void SelectionCanvasView::scheduleJustCopiedReset() {
    // Each copy schedules its own reset; the first one to fire clears the flag.
    QPointer<SelectionCanvasView> self(this);
    QTimer::singleShot(1200, this, [self] {
        if (!self) {
            return;
        }
        self->colorPickerJustCopied_ = false;
        self->invalidateUnion(self->colorPickerRegion_.current, {});
    });
}

void SelectionCanvasView::copySelectionGuideColor(const tessary::PixelColor& color) {
    const QString text = QString::fromStdString(color.hexString());
    Clipboard::writeText(text);
    Log::info(QStringLiteral("选区引导：") + text + QStringLiteral(" 已写剪贴板。"));
}

// MARK: - Notice

void SelectionCanvasView::showNotice(const QString& text) {
    if (!selection_) {
        return;
    }
    if (!noticeBar_) {
        noticeBar_ = new NoticeBarView(this);
        noticeTimer_ = new QTimer(this);
        noticeTimer_->setSingleShot(true);
        noticeFade_ = new QVariantAnimation(this);
        noticeFade_->setDuration(250);
        noticeFade_->setStartValue(1.0);
        noticeFade_->setEndValue(0.0);
        connect(noticeFade_, &QVariantAnimation::valueChanged, this,
                [this](const QVariant& value) { noticeBar_->setOpacity(value.toDouble()); });
        connect(noticeFade_, &QVariantAnimation::finished, this, [this] { hideNotice(); });
        connect(noticeTimer_, &QTimer::timeout, noticeFade_, [this] { noticeFade_->start(); });
    }
    noticeFade_->stop();
    noticeBar_->setOpacity(1);
    noticeBar_->setText(text, width() - 16);
    noticeBar_->show();
    noticeBar_->raise();
    layOutBars();
    const double seconds = tessary::NoticeLayout::displaySeconds(
        static_cast<std::size_t>(NoticePanel::characterCount(text)), false);
    noticeTimer_->start(int(seconds * 1000));
    Log::info(QStringLiteral("提示：") + text);
}

void SelectionCanvasView::hideNotice() {
    if (!noticeBar_) {
        return;
    }
    noticeTimer_->stop();
    noticeFade_->stop();
    noticeBar_->hide();
    noticeBar_->setOpacity(1);
    layOutBars();
}

void SelectionCanvasView::setQRPayloads(const QStringList& payloads) {
    qrSelection_ = selection_;
    qrPayloads_ = payloads;
    if (toolbar_) {
        toolbar_->setQRAvailable(!payloads.isEmpty());
    }
}

void SelectionCanvasView::setTranslation(std::optional<tessary::TranslationOverlay> translation) {
    translation_ = std::move(translation);
    update();
}

void SelectionCanvasView::clearTranslation() {
    if (!translation_) {
        return;
    }
    translation_.reset();
    update();
}

// MARK: - Qt events

void SelectionCanvasView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    pressAt(toCanvas(event->position()));
}

void SelectionCanvasView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (event->buttons() & Qt::LeftButton) {
        dragTo(toCanvas(event->position()));
    } else {
        pointerMovedTo(toCanvas(event->position()));
    }
}

void SelectionCanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    releaseAt(toCanvas(event->position()));
}

void SelectionCanvasView::enterEvent(QEnterEvent* event) {
    pointerMovedTo(toCanvas(event->position()));
}

void SelectionCanvasView::leaveEvent(QEvent*) {
    pointerExited();
}

void SelectionCanvasView::keyPressEvent(QKeyEvent* event) {
    constexpr Qt::KeyboardModifiers relevant =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & relevant;
    if (textEditor_) {
        // The editor has the keyboard; nothing typed there may act on the canvas or the session.
        return;
    }
    SelectionCanvasDelegate* d = delegate();
    switch (event->key()) {
    case Qt::Key_Escape:
        if (d) {
            d->finish();
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (selection_ && d) {
            d->confirm(this);
        }
        return;
    case Qt::Key_C:
        if (modifiers == Qt::ControlModifier) {
            if ((isColorPickerActive_ || isPreSelectionLoupeActive_) && colorPickerColor_) {
                copyColorPickerValue(*colorPickerColor_);
            } else if (selectionGuideColor_) {
                copySelectionGuideColor(*selectionGuideColor_);
            }
            return;
        }
        break;
    case Qt::Key_Z:
        if (modifiers == Qt::ControlModifier) {
            undoLastAnnotation();
            return;
        }
        if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) {
            if (store_.redo()) {
                update();
            }
            updateBarState();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}
