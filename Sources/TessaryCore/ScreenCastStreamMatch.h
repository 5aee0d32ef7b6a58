#pragma once

#include "TessaryCore/CompositeImageLayout.h"

#include <optional>
#include <vector>

namespace tessary {

// What a desktop's screen-cast portal says about one monitor stream: its place and size in the
// compositor's logical space, where it says so.
struct ScreenCastStreamInfo {
    std::optional<PixelRect> logical;
};

// Which stream shows which screen (logical geometry, Qt's y-down space). A stream belongs to the
// screen with exactly its logical rectangle; else to the one screen of its size; a stream without a
// place left over for the one screen left over, or the only stream for the only screen, is that
// screen's. The result has one entry per screen:
// the stream's index, or nothing when no stream shows that screen.
std::vector<std::optional<std::size_t>>
matchScreenCastStreams(const std::vector<PixelRect>& screens,
                       const std::vector<ScreenCastStreamInfo>& streams);

} // namespace tessary
