#pragma once

#include <QImage>
#include <QSize>

// Brings a display's native image to the size a caller asked for. Sizes a few pixels short of the
// native one come from truncating fractional scales and are cropped at the right and bottom, so
// pixels stay sharp; any other size (a thumbnail) is a smooth scale of the whole display.
QImage fitDisplayImage(const QImage& native, QSize requested);
