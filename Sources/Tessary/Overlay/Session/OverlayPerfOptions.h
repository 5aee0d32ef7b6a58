#pragma once

// Drawing switches of one overlay, from the launch options.
struct OverlayPerfOptions {
    // The canvas paints the frozen image and the dimming itself on every redraw.
    bool legacyFullRedraw = false;
    // Frames the drawing-performance probe measures; ≤ 0 means off.
    long long probeFrames = 0;
};
