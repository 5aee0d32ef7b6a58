#pragma once

#include "TessaryCore/Geometry.h"

#include <QFont>
#include <QSizeF>
#include <QString>

class QPainter;

// Single-line texts of the canvas's labels and panels, placed in canvas points (y up).
namespace OverlayText {

QSizeF measure(const QString& text, const QFont& font);

// Text whose line box has its lower-left corner at `origin`; elided to `maxWidth` when one is given.
void drawAt(QPainter& painter, const QString& text, const QFont& font, tessary::Point origin,
            double canvasHeight, double maxWidth = -1);

} // namespace OverlayText
