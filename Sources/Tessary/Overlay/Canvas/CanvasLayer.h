#pragma once

#include "Overlay/Annotations/AnnotationRenderContext.h"

class QPainter;

// One layer of what is drawn over the frozen pixels inside the selection (translation, annotations).
// The canvas paints its layers in order on screen, and composes them in the same order onto the
// image a finishing action receives.
class CanvasLayer {
public:
    enum class Target { screen, image };

    virtual ~CanvasLayer() = default;

    // Whether drawing for `target` would add anything.
    virtual bool hasContent(Target target) const = 0;
    // Draws in model space (points, y up; see RenderTransform), already clipped to the selection.
    virtual void draw(QPainter& painter, const AnnotationRenderContext& context, Target target) const = 0;
};
