#include "Overlay/Canvas/TranslationLayer.h"

#include "Foundation/CoordinateSpace.h"
#include "Translation/TranslationLayerPainter.h"
#include "Translation/TranslationTextLayer.h"
#include "Translation/Typesetter.h"

#include <QPainter>
#include <QWidget>

TranslationLayer::~TranslationLayer() {
    removeTextLayer();
}

TranslationTextLayer* TranslationLayer::textLayer() const {
    return textLayer_;
}

void TranslationLayer::setOverlay(std::optional<tessary::TranslationOverlay> overlay,
                                  const QImage& displayImage, const tessary::Rect& bounds, QWidget* canvas,
                                  bool selectableText, std::optional<TypesetTranslation> typeset) {
    removeTextLayer();
    canvasHeight_ = bounds.height;
    overlay_ = std::move(overlay);
    if (!overlay_) {
        typeset_ = {};
    } else if (typeset) {
        typeset_ = std::move(*typeset);
    } else {
        typeset_ = Typesetter::typeset(*overlay_, displayImage, bounds);
    }
    if (!selectableText || typeset_.isEmpty() || !canvas) {
        return;
    }
    textLayer_ = new TranslationTextLayer(canvas);
    textLayer_->setGeometry(canvas->rect());
    textLayer_->setSelectionEnabled(selectionEnabled_);
    textLayer_->setTranslation(typeset_, bounds.height);
    applyClip();
    // Under the bars, which stay pressable over the text.
    textLayer_->lower();
    textLayer_->show();
}

void TranslationLayer::clear() {
    removeTextLayer();
    overlay_.reset();
    typeset_ = {};
}

void TranslationLayer::setSelectionEnabled(bool enabled) {
    selectionEnabled_ = enabled;
    if (textLayer_) {
        textLayer_->setSelectionEnabled(enabled);
    }
}

void TranslationLayer::setClip(const std::optional<tessary::Rect>& selection) {
    clip_ = selection;
    applyClip();
}

void TranslationLayer::applyClip() {
    if (!textLayer_) {
        return;
    }
    const tessary::Rect area = clip_ ? clip_->standardized() : tessary::Rect{};
    textLayer_->setClip(CoordinateSpace::toWidget(area, canvasHeight_).toAlignedRect());
}

void TranslationLayer::removeTextLayer() {
    // Later: a press on the layer that reached the canvas may be what clears the translation.
    if (textLayer_) {
        textLayer_->hide();
        textLayer_->deleteLater();
    }
    textLayer_ = nullptr;
}

void TranslationLayer::draw(QPainter& painter, const AnnotationRenderContext& context, Target target) const {
    if (typeset_.isEmpty()) {
        return;
    }
    // The painter maps model points (y up); the painter of translations takes the canvas top-down,
    // so flip back within the canvas bounds and let the model transform do the rest.
    const tessary::Rect& area = context.bounds;
    painter.save();
    painter.setTransform(QTransform(1, 0, 0, -1, area.minX(), area.maxY()) * painter.transform());
    const bool drawText = target == Target::image || !textLayer_;
    TranslationLayerPainter::paint(painter, typeset_, area, 1, area, drawText);
    painter.restore();
}
