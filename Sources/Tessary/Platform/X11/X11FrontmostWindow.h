#pragma once

#include "Platform/FrontmostWindow.h"

#include <memory>

class X11Connection;

// _NET_ACTIVE_WINDOW: read it, and ask the window manager to activate a window again.
class X11FrontmostWindow : public FrontmostWindow {
public:
    explicit X11FrontmostWindow(std::shared_ptr<X11Connection> connection);

    Handle current() override;
    void activate(Handle window) override;

private:
    std::shared_ptr<X11Connection> m_x;
};
