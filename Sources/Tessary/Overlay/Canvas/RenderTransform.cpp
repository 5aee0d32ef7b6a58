#include "Overlay/Canvas/RenderTransform.h"

namespace RenderTransform {

QTransform modelToTarget(const tessary::Rect& source, double scale, double targetHeight) {
    return {scale, 0, 0, -scale, -source.minX() * scale, targetHeight + source.minY() * scale};
}

} // namespace RenderTransform
