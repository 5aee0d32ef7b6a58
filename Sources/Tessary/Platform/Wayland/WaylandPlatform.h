#pragma once

#include "Platform/Platform.h"

#include <memory>

// The backend for Wayland sessions: capture through the desktop's Screenshot portal; no window
// list, no focus hand-back and no key grabs, which Wayland gives no client.
class WaylandPlatform : public Platform {
public:
    WaylandPlatform();
    ~WaylandPlatform() override;

    QString name() const override { return QStringLiteral("wayland"); }

    DisplayCapture& displayCapture() override;
    WindowList& windowList() override;
    FrontmostWindow& frontmostWindow() override;
    CapturePermission& capturePermission() override;
    GlobalHotKeys& globalHotKeys() override;
    SystemShortcutTable& systemShortcuts() override;

private:
    struct Services;
    std::unique_ptr<Services> m_services;
};
