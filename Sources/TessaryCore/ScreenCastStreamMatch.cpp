#include "TessaryCore/ScreenCastStreamMatch.h"

#include <algorithm>

namespace tessary {

std::vector<std::optional<std::size_t>>
matchScreenCastStreams(const std::vector<PixelRect>& screens,
                       const std::vector<ScreenCastStreamInfo>& streams) {
    std::vector<std::optional<std::size_t>> result(screens.size());
    std::vector<bool> taken(streams.size(), false);
    const auto take = [&](std::size_t screen, std::size_t stream) {
        result[screen] = stream;
        taken[stream] = true;
    };
    for (std::size_t s = 0; s < screens.size(); ++s) {
        for (std::size_t i = 0; i < streams.size(); ++i) {
            if (!taken[i] && streams[i].logical && *streams[i].logical == screens[s]) {
                take(s, i);
                break;
            }
        }
    }
    const auto sameSize = [](const PixelRect& a, const PixelRect& b) {
        return a.width == b.width && a.height == b.height;
    };
    for (std::size_t s = 0; s < screens.size(); ++s) {
        if (result[s]) {
            continue;
        }
        std::optional<std::size_t> candidate;
        int count = 0;
        for (std::size_t i = 0; i < streams.size(); ++i) {
            if (!taken[i] && streams[i].logical && sameSize(*streams[i].logical, screens[s])) {
                candidate = i;
                ++count;
            }
        }
        const auto rivals = std::count_if(screens.begin(), screens.end(), [&](const PixelRect& other) {
            const std::size_t o = std::size_t(&other - screens.data());
            return !result[o] && sameSize(other, screens[s]);
        });
        if (count == 1 && rivals == 1) {
            take(s, *candidate);
        }
    }
    const auto openScreens = std::count(result.begin(), result.end(), std::nullopt);
    const auto openStreams = std::count(taken.begin(), taken.end(), false);
    if (openScreens == 1 && openStreams == 1) {
        const auto screen =
            std::size_t(std::find(result.begin(), result.end(), std::nullopt) - result.begin());
        const auto stream = std::size_t(std::find(taken.begin(), taken.end(), false) - taken.begin());
        // A stream that names another place shows another output, unless it is the only one of
        // either (some back ends report the origin as 0,0 and the size in pixels).
        if (!streams[stream].logical || (screens.size() == 1 && streams.size() == 1)) {
            take(screen, stream);
        }
    }
    return result;
}

} // namespace tessary
