#pragma once

#include "Overlay/Canvas/CanvasLayer.h"
#include "TessaryCore/TranslationOverlay.h"

#include <optional>

// The translated text laid over the selection, under the annotations.
class TranslationLayer : public CanvasLayer {
public:
    const std::optional<tessary::TranslationOverlay>& overlay() const { return overlay_; }
    void setOverlay(std::optional<tessary::TranslationOverlay> overlay) { overlay_ = std::move(overlay); }

    bool hasContent(Target) const override { return overlay_.has_value(); }
    // The patches and their typesetting arrive with the translation pipeline; nothing is drawn yet.
    void draw(QPainter&, const AnnotationRenderContext&, Target) const override {}

private:
    std::optional<tessary::TranslationOverlay> overlay_;
};
