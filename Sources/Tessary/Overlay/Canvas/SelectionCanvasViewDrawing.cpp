// Painting of SelectionCanvasView: the selection with its layers, labels, readout and colour picker.
#include "Overlay/Canvas/SelectionCanvasView.h"

#include "Overlay/Annotations/AnnotationRenderer.h"
#include "Overlay/Session/OverlayBackdropView.h"
#include "Overlay/Session/PerfProbe.h"
#include "Overlay/Canvas/RenderTransform.h"
#include "Overlay/Canvas/SelectionLabelPainter.h"
#include "Foundation/Theme.h"

#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

using tessary::Rect;

const QPixmap& SelectionCanvasView::legacyBackdrop() {
    if (legacyBackdrop_.isNull()) {
        legacyBackdrop_ = QPixmap::fromImage(captured_.image);
        legacyBackdrop_.setDevicePixelRatio(captured_.scale > 0 ? captured_.scale : 1);
    }
    return legacyBackdrop_;
}

void SelectionCanvasView::paintEvent(QPaintEvent* event) {
    QElapsedTimer timer;
    timer.start();
    const QRect dirty = event->rect();
    QPainter painter(this);
    std::optional<double> legacySeconds;
    const std::optional<Rect>& selection = interaction_.selection();
    if (perf_.legacyFullRedraw) {
        QElapsedTimer legacyTimer;
        legacyTimer.start();
        const std::optional<Rect> cutout = selection ? selection : hints_.hoveredWindowRect();
        const QRectF widgetCutout =
            cutout && !cutout->isEmpty() ? toWidget(cutout->standardized()) : QRectF();
        for (const QRect& rect : event->region()) {
            OverlayBackdropView::paintFrozen(painter, legacyBackdrop(), widgetCutout, rect, this->rect());
        }
        legacySeconds = double(legacyTimer.nsecsElapsed()) / 1e9;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const bool pickerShown = interaction_.showsPicker();
    if (!selection) {
        hints_.paint(painter, event->region(), pickerShown, devicePixelRatioF());
    } else {
        drawSelection(painter, *selection);
    }
    if (pickerShown) {
        picker_.paint(painter, event->region(), captured_.image, devicePixelRatioF(), isColorPickerActive());
    }
    painter.end();

    if (PerfProbe::isRecording()) {
        // On the layered path the frame began when the backdrop started painting the same region.
        const qint64 nanos = frameStarted_ ? frameTimer_.nsecsElapsed() : timer.nsecsElapsed();
        PerfProbe::record(double(nanos) / 1e9, double(dirty.width()) * dirty.height(), legacySeconds);
    }
    frameStarted_ = false;
}

void SelectionCanvasView::drawSelection(QPainter& painter, const Rect& selection) {
    drawLayers(painter, selection);
    const QRectF s = toWidget(selection.standardized());
    painter.setPen(QPen(Theme::selectionBorder(), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(s);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Theme::handleFill());
    for (tessary::SelectionHandle handle : tessary::allSelectionHandles) {
        painter.drawRect(toWidget(tessary::SelectionGeometry::handleRect(selection, handle)));
    }
    SelectionLabelPainter::drawSizeLabel(painter, selection, captured_.scale, bounds());
}

void SelectionCanvasView::drawLayers(QPainter& painter, const Rect& selection) {
    constexpr CanvasLayer::Target screen = CanvasLayer::Target::screen;
    if (std::none_of(layers_.begin(), layers_.end(),
                     [](const CanvasLayer* layer) { return layer->hasContent(screen); })) {
        return;
    }
    painter.save();
    painter.setClipRect(toWidget(selection.standardized()), Qt::IntersectClip);
    painter.setTransform(RenderTransform::modelToTarget(bounds(), 1, height()), true);
    const AnnotationRenderContext context = renderContext();
    for (const CanvasLayer* layer : layers_) {
        if (layer->hasContent(screen)) {
            layer->draw(painter, context, screen);
        }
    }
    painter.restore();
}

AnnotationRenderContext SelectionCanvasView::renderContext() {
    AnnotationRenderContext context;
    context.bounds = bounds();
    context.mosaicImage = [this](tessary::AnnotationWeight weight) { return mosaicCache_.image(weight); };
    return context;
}

QImage SelectionCanvasView::renderedImage() {
    const std::optional<Rect>& selection = interaction_.selection();
    if (!selection) {
        return {};
    }
    QImage crop = croppedImage();
    if (crop.isNull()) {
        return {};
    }
    // Text still being typed is dropped, not exported.
    cancelTextEditing();
    constexpr CanvasLayer::Target image = CanvasLayer::Target::image;
    if (std::none_of(layers_.begin(), layers_.end(),
                     [](const CanvasLayer* layer) { return layer->hasContent(image); })) {
        return crop;
    }
    const AnnotationRenderContext context = renderContext();
    return AnnotationRenderer::renderOnto(crop, *selection, captured_.scale, {}, context,
                                          [this, &context](QPainter& painter) {
                                              for (const CanvasLayer* layer : layers_) {
                                                  if (layer->hasContent(image)) {
                                                      layer->draw(painter, context, image);
                                                  }
                                              }
                                          });
}
