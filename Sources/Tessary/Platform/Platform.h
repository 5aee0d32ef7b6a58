#pragma once

#include <QString>

#include <memory>

class CapturePermission;
class DisplayCapture;
class FrontmostWindow;
class GlobalHotKeys;
class SystemShortcutTable;
class WindowList;

// The narrow seam between Tessary and the desktop it runs on. One backend is chosen at run time:
// TESSARY_PLATFORM=x11|fake, by default x11 under Qt's xcb platform and fake everywhere else.
class Platform {
public:
    virtual ~Platform();

    // The process-wide backend, created on first use (after the application object exists).
    static Platform& instance();
    // Replaces the process-wide backend; tests install a configured fake. Null restores the default.
    static void setInstanceForTesting(std::unique_ptr<Platform> platform);
    // The backend the environment asks for.
    static std::unique_ptr<Platform> createDefault();

    // "x11" or "fake".
    virtual QString name() const = 0;

    virtual DisplayCapture& displayCapture() = 0;
    virtual WindowList& windowList() = 0;
    virtual FrontmostWindow& frontmostWindow() = 0;
    virtual CapturePermission& capturePermission() = 0;

    virtual GlobalHotKeys& globalHotKeys() = 0;
    virtual SystemShortcutTable& systemShortcuts() = 0;
    // The secret store and the login item join here later.

protected:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
};
