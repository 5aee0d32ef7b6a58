#pragma once

#include "Overlay/Canvas/CanvasLayer.h"
#include "TessaryCore/Geometry.h"
#include "TessaryCore/TranslationOverlay.h"
#include "Translation/TypesetTranslation.h"

#include <QImage>
#include <QPointer>

#include <optional>

class QWidget;
class TranslationTextLayer;

// The translated text laid over the selection, under the annotations: a cover patch per translated
// paragraph with its translation fitted inside. With selectable text on, the words on screen are
// read-only text views over the canvas and only the patches are painted here; the image always
// carries both.
class TranslationLayer : public CanvasLayer {
public:
    TranslationLayer() = default;
    ~TranslationLayer() override;
    TranslationLayer(const TranslationLayer&) = delete;
    TranslationLayer& operator=(const TranslationLayer&) = delete;

    const std::optional<tessary::TranslationOverlay>& overlay() const { return overlay_; }
    const TypesetTranslation& typeset() const { return typeset_; }
    // The selectable words over the canvas; null when the text is painted.
    TranslationTextLayer* textLayer() const;

    // Typesets `overlay` against the frozen `displayImage`, which shows the canvas area `bounds`
    // (points, y up), unless `typeset` already holds that; with `selectableText` the words go into
    // a text layer over `canvas`.
    void setOverlay(std::optional<tessary::TranslationOverlay> overlay, const QImage& displayImage,
                    const tessary::Rect& bounds, QWidget* canvas, bool selectableText,
                    std::optional<TypesetTranslation> typeset = std::nullopt);
    void clear();

    // What shows of the translation on screen is clipped to the selection (points, y up); the
    // blocks stay over the source text they translate.
    void setClip(const std::optional<tessary::Rect>& selection);

    // Text can be selected only while no drawing tool is armed.
    void setSelectionEnabled(bool enabled);

    bool hasContent(Target) const override { return !typeset_.isEmpty(); }
    void draw(QPainter& painter, const AnnotationRenderContext& context, Target target) const override;

private:
    void removeTextLayer();
    void applyClip();

    std::optional<tessary::TranslationOverlay> overlay_;
    TypesetTranslation typeset_;
    QPointer<TranslationTextLayer> textLayer_;
    bool selectionEnabled_ = true;
    std::optional<tessary::Rect> clip_;
    double canvasHeight_ = 0;
};
