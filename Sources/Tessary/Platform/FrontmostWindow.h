#pragma once

#include <QtGlobal>

// The window that had the user's focus before a capture, so it can get it back afterwards.
class FrontmostWindow {
public:
    // Opaque window identity; 0 means none.
    using Handle = quint64;

    virtual ~FrontmostWindow() = default;

    virtual Handle current() = 0;
    // Gives the focus back to `window`; does nothing for 0 or a window that is gone.
    virtual void activate(Handle window) = 0;
};
