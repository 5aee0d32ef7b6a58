#pragma once

#include "TessaryCore/Geometry.h"

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QScreen>

// One display frozen at capture time.
struct CapturedDisplay {
    // The display's contents in pixels, top row first, without the pointer. Its size is
    // trunc(scale x width) by trunc(scale x height) of the display in points.
    QImage image;
    // The display as Qt sees it; gone if it was unplugged since.
    QPointer<QScreen> screen;
    // The display's frame in global points (origin at the primary display's lower-left, y up),
    // taken at capture time.
    tessary::Rect frame;
    // Pixels per point of `image`.
    double scale = 1;
    // The same frame in Qt's global logical coordinates (y down), where the overlay window goes.
    QRect geometry;
};
