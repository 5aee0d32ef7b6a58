#pragma once

#include "Platform/Platform.h"

#include <memory>

class X11Connection;
class X11CapturePermission;
class X11DisplayCapture;
class X11FrontmostWindow;
class X11GlobalHotKeys;
class X11SystemShortcuts;
class X11WindowList;

// The X11 backend, on Qt's own xcb connection.
class X11Platform : public Platform {
public:
    // Null when Qt has no X connection.
    static std::unique_ptr<X11Platform> create();
    ~X11Platform() override;

    QString name() const override { return QStringLiteral("x11"); }

    DisplayCapture& displayCapture() override;
    WindowList& windowList() override;
    FrontmostWindow& frontmostWindow() override;
    CapturePermission& capturePermission() override;
    // Created on first use (X11PlatformHotKeys.cpp).
    GlobalHotKeys& globalHotKeys() override;
    SystemShortcutTable& systemShortcuts() override;

private:
    explicit X11Platform(std::shared_ptr<X11Connection> connection);

    std::shared_ptr<X11Connection> m_connection;
    std::unique_ptr<X11DisplayCapture> m_displayCapture;
    std::unique_ptr<X11WindowList> m_windowList;
    std::unique_ptr<X11FrontmostWindow> m_frontmostWindow;
    std::unique_ptr<X11CapturePermission> m_capturePermission;
    std::shared_ptr<X11GlobalHotKeys> m_globalHotKeys;
    std::shared_ptr<X11SystemShortcuts> m_systemShortcuts;
};
