#include "Platform/Null/NullPlatform.h"

#include "Platform/CapturePermission.h"
#include "Platform/DisplayCapture.h"
#include "Platform/FrontmostWindow.h"
#include "Platform/GlobalHotKeys.h"
#include "Platform/PlatformError.h"
#include "Platform/SystemShortcutTable.h"
#include "Platform/WindowList.h"

namespace {

class NullDisplayCapture : public DisplayCapture {
public:
    explicit NullDisplayCapture(QString reason) : m_reason(std::move(reason)) {}
    QList<CapturableDisplay> displays() override { throw PlatformError(m_reason); }
    QList<QImage> grab(const QList<DisplayGrabRequest>&) override { throw PlatformError(m_reason); }
    QImage grabRegion(const QRect&) override { throw PlatformError(m_reason); }

private:
    QString m_reason;
};

class NullWindowList : public WindowList {
public:
    std::optional<std::vector<tessary::WindowDescription>> onScreenWindows() override { return std::nullopt; }
};

class NullFrontmostWindow : public FrontmostWindow {
public:
    Handle current() override { return 0; }
    void activate(Handle) override {}
};

class NullCapturePermission : public CapturePermission {
public:
    explicit NullCapturePermission(QString reason) : m_reason(std::move(reason)) {}
    bool preflight() override { return false; }
    bool request() override { return false; }
    std::optional<QString> unavailableReason() override { return m_reason; }

private:
    QString m_reason;
};

class NullGlobalHotKeys : public GlobalHotKeys {
public:
    bool registerHotKey(quint32, const tessary::HotKeyCombination&) override { return false; }
    void unregisterHotKey(quint32) override {}
};

class NullSystemShortcuts : public SystemShortcutTable {
public:
    std::optional<std::unordered_set<tessary::HotKeyCombination>> enabledCombinations() override {
        return std::nullopt;
    }
};

} // namespace

struct NullPlatform::Services {
    explicit Services(const QString& reason) : displayCapture(reason), capturePermission(reason) {}
    NullDisplayCapture displayCapture;
    NullWindowList windowList;
    NullFrontmostWindow frontmostWindow;
    NullCapturePermission capturePermission;
    NullGlobalHotKeys globalHotKeys;
    NullSystemShortcuts systemShortcuts;
};

NullPlatform::NullPlatform(QString reason) : m_services(std::make_unique<Services>(reason)) {}
NullPlatform::~NullPlatform() = default;

DisplayCapture& NullPlatform::displayCapture() {
    return m_services->displayCapture;
}
WindowList& NullPlatform::windowList() {
    return m_services->windowList;
}
FrontmostWindow& NullPlatform::frontmostWindow() {
    return m_services->frontmostWindow;
}
CapturePermission& NullPlatform::capturePermission() {
    return m_services->capturePermission;
}
GlobalHotKeys& NullPlatform::globalHotKeys() {
    return m_services->globalHotKeys;
}
SystemShortcutTable& NullPlatform::systemShortcuts() {
    return m_services->systemShortcuts;
}
