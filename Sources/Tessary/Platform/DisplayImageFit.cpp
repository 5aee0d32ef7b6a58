#include "Platform/DisplayImageFit.h"

namespace {
constexpr int roundingSlack = 3;
}

QImage fitDisplayImage(const QImage& native, QSize requested) {
    if (native.isNull() || requested.isEmpty() || native.size() == requested) {
        return requested.isEmpty() ? QImage() : native;
    }
    const int shortW = native.width() - requested.width();
    const int shortH = native.height() - requested.height();
    if (shortW >= 0 && shortH >= 0 && shortW <= roundingSlack && shortH <= roundingSlack) {
        return native.copy(0, 0, requested.width(), requested.height());
    }
    return native.scaled(requested, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
