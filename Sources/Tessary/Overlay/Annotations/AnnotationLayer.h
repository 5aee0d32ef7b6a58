#pragma once

#include "Overlay/Canvas/CanvasLayer.h"
#include "TessaryCore/Annotation.h"
#include "TessaryCore/AnnotationStore.h"
#include "TessaryCore/AnnotationStyle.h"
#include "TessaryCore/DrawingTool.h"

#include <optional>
#include <string>

// The user's annotations with their undo history, the one being drawn, and the style the next one
// takes. Every change returns the canvas area (points, y up) it repaints.
class AnnotationLayer : public CanvasLayer {
public:
    static constexpr std::size_t historyDepth = 200;

    tessary::AnnotationStore& store() { return store_; }
    const tessary::AnnotationStore& store() const { return store_; }
    const std::optional<tessary::Annotation>& draft() const { return draft_; }
    const tessary::AnnotationStyle& style() const { return style_; }
    void setStyle(const tessary::AnnotationStyle& style) { style_ = style; }
    const std::string& sticker() const { return sticker_; }
    void setSticker(const std::string& sticker) { sticker_ = sticker; }

    // `selection` is where text and stickers may reach.
    tessary::Rect placeSticker(tessary::Point at, const tessary::Rect& selection);
    // The draft of `tool` spanning `anchor` to `to`; a stroke only grows by steps of some length.
    tessary::Rect extendDraft(tessary::DrawingTool tool, tessary::Point anchor, tessary::Point to,
                              const tessary::Rect& selection);
    // Stores the draft (the store may drop it).
    tessary::Rect finishDraft(const tessary::Rect& selection);
    void discardDraft() { draft_.reset(); }
    // Area an annotation covers, grown for the pen, arrow head and antialiasing.
    tessary::Rect area(const tessary::Annotation& annotation, const tessary::Rect& selection) const;

    // On screen the draft is drawn too; the image holds only what was stored.
    bool hasContent(Target target) const override;
    void draw(QPainter& painter, const AnnotationRenderContext& context, Target target) const override;

private:
    tessary::AnnotationStore store_{historyDepth};
    std::optional<tessary::Annotation> draft_;
    tessary::AnnotationStyle style_ = tessary::AnnotationStyle::defaultStyle();
    std::string sticker_ = "👍";
};
