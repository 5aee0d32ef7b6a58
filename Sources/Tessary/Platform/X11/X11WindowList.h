#pragma once

#include "Platform/WindowList.h"

#include <QList>

#include <memory>

class X11Connection;

// The window manager's stacking list (EWMH), front-most first. Frames include the manager's
// decorations and exclude client-side shadows; layer comes from the window type and state.
class X11WindowList : public WindowList {
public:
    explicit X11WindowList(std::shared_ptr<X11Connection> connection);

    std::optional<std::vector<tessary::WindowDescription>> onScreenWindows() override;

    // Layers in the window server's numbering: candidates live in 0...8.
    static constexpr std::int64_t desktopLayer = -1;
    static constexpr std::int64_t normalLayer = 0;
    static constexpr std::int64_t floatingLayer = 3;
    static constexpr std::int64_t dockLayer = 20;
    static constexpr std::int64_t notificationLayer = 23;
    static constexpr std::int64_t tooltipLayer = 25;
    static constexpr std::int64_t menuLayer = 101;
    static constexpr std::int64_t dragLayer = 500;

private:
    std::int64_t layerOf(const QList<quint32>& types, const QList<quint32>& states);

    std::shared_ptr<X11Connection> m_x;
};
