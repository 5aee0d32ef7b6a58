#pragma once

#include "Translation/TypesetTranslation.h"

#include "TessaryCore/Geometry.h"

#include <QImage>

class QPainter;

// Draws typeset translations: each block's cover patch in its sampled background colour, then
// its translation in its fitted font and sampled text colour, vertically centred in the patch.
namespace TranslationLayerPainter {

// Paints onto `painter`, whose coordinates are taken to show the canvas area `area` (points, y up)
// at `scale` device units per point with rows top-down: a canvas point (x, y) lands on
// ((x − area.minX) × scale, (area.maxY − y) × scale). Everything is clipped to `clip` (canvas
// points, usually the selection). Without `drawText` only the patches are painted (a text layer
// shows the words instead).
void paint(QPainter& painter, const TypesetTranslation& translation, const tessary::Rect& area, double scale,
           const tessary::Rect& clip, bool drawText = true);

// The selection's crop (at `scale` pixels per point) with the translation drawn over it, patches
// and text, as the copied, saved and pinned image shows it.
QImage rendered(const QImage& crop, const TypesetTranslation& translation, const tessary::Rect& selection,
                double scale);

} // namespace TranslationLayerPainter
