#include "Platform/Wayland/WaylandPlatform.h"

#include "Foundation/Log.h"
#include "Platform/FrontmostWindow.h"
#include "Platform/SystemShortcutTable.h"
#include "Platform/Wayland/WaylandCapturePermission.h"
#include "Platform/Wayland/WaylandDisplayCapture.h"
#include "Platform/Wayland/WaylandGlobalHotKeys.h"
#include "Platform/WindowList.h"

namespace {

// Wayland shows no client the other clients' windows: no snapping candidates.
class WaylandWindowList : public WindowList {
public:
    std::optional<std::vector<tessary::WindowDescription>> onScreenWindows() override {
        if (!m_reported) {
            m_reported = true;
            Log::info(QStringLiteral("窗口列表：Wayland 不向应用提供其他窗口，不做窗口吸附。"));
        }
        return std::vector<tessary::WindowDescription>{};
    }

private:
    bool m_reported = false;
};

// A client cannot give another client the focus.
class WaylandFrontmostWindow : public FrontmostWindow {
public:
    Handle current() override { return 0; }
    void activate(Handle) override {}
};

class WaylandSystemShortcuts : public SystemShortcutTable {
public:
    std::optional<std::unordered_set<tessary::HotKeyCombination>> enabledCombinations() override {
        return std::nullopt;
    }
};

} // namespace

struct WaylandPlatform::Services {
    WaylandDisplayCapture displayCapture{qEnvironmentVariable("TESSARY_WAYLAND_SCREENCAST") !=
                                         QLatin1String("0")};
    WaylandWindowList windowList;
    WaylandFrontmostWindow frontmostWindow;
    WaylandCapturePermission capturePermission;
    WaylandGlobalHotKeys globalHotKeys;
    WaylandSystemShortcuts systemShortcuts;
};

WaylandPlatform::WaylandPlatform() : m_services(std::make_unique<Services>()) {
    // Once allowed, the stream runs from launch: a capture then only copies the newest frames.
    m_services->displayCapture.startStreamIfAllowed();
}
WaylandPlatform::~WaylandPlatform() = default;

DisplayCapture& WaylandPlatform::displayCapture() {
    return m_services->displayCapture;
}
WindowList& WaylandPlatform::windowList() {
    return m_services->windowList;
}
FrontmostWindow& WaylandPlatform::frontmostWindow() {
    return m_services->frontmostWindow;
}
CapturePermission& WaylandPlatform::capturePermission() {
    return m_services->capturePermission;
}
GlobalHotKeys& WaylandPlatform::globalHotKeys() {
    return m_services->globalHotKeys;
}
SystemShortcutTable& WaylandPlatform::systemShortcuts() {
    return m_services->systemShortcuts;
}
