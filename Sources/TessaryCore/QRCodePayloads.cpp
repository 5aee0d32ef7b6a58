#include "TessaryCore/QRCodePayloads.h"

#include <cmath>
#include <unordered_set>
#include <utility>

namespace tessary::QRCodePayloads {

std::vector<std::string> payloads(std::vector<QRCodeObservation> observations) {
    // The row tolerance is not transitive, so this is no strict weak ordering and std::sort or
    // std::stable_sort would be undefined on a staircase of codes. A plain insertion sort is stable
    // and safe with any comparison; a selection holds few codes.
    const auto before = [](const QRCodeObservation& a, const QRCodeObservation& b) {
        const double ay = a.boundingBox.midY();
        const double by = b.boundingBox.midY();
        if (std::abs(ay - by) > rowTolerance) {
            return ay > by;
        }
        return a.boundingBox.minX() < b.boundingBox.minX();
    };
    for (std::size_t i = 1; i < observations.size(); ++i) {
        for (std::size_t j = i; j > 0 && before(observations[j], observations[j - 1]); --j) {
            std::swap(observations[j], observations[j - 1]);
        }
    }
    std::vector<std::string> result;
    std::unordered_set<std::string> taken;
    for (auto& observation : observations) {
        if (!observation.isQRCode || !observation.payload || observation.payload->empty()) {
            continue;
        }
        if (taken.insert(*observation.payload).second) {
            result.push_back(std::move(*observation.payload));
        }
    }
    return result;
}

Rect normalizedBox(double minX, double minY, double maxX, double maxY, double width, double height) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    return {minX / width, (height - maxY) / height, (maxX - minX) / width, (maxY - minY) / height};
}

} // namespace tessary::QRCodePayloads
