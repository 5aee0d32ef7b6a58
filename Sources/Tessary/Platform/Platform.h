#pragma once

#include <QString>

#include <memory>

class CapturePermission;
class DisplayCapture;
class FrontmostWindow;
class GlobalHotKeys;
class SystemShortcutTable;
class WindowList;

// The narrow seam between Tessary and the desktop it runs on. The composition root creates one
// backend at start-up and hands each owner the services it needs; tests build their own.
class Platform {
public:
    virtual ~Platform();

    // The backend the session asks for: X11 under Qt's xcb platform, Wayland under Qt's wayland
    // platform outside X11 sessions, the refusing null backend
    // where no backend serves the session, the fake one only when TESSARY_PLATFORM=fake asks for it.
    // Call after the application object exists.
    static std::unique_ptr<Platform> createDefault();

    // "x11", "wayland", "null" or "fake".
    virtual QString name() const = 0;

    virtual DisplayCapture& displayCapture() = 0;
    virtual WindowList& windowList() = 0;
    virtual FrontmostWindow& frontmostWindow() = 0;
    virtual CapturePermission& capturePermission() = 0;

    virtual GlobalHotKeys& globalHotKeys() = 0;
    virtual SystemShortcutTable& systemShortcuts() = 0;

protected:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
};
