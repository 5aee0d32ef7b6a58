#pragma once

#include "Platform/Fake/FakeCapturePermission.h"
#include "Platform/Fake/FakeDisplayCapture.h"
#include "Platform/Fake/FakeFrontmostWindow.h"
#include "Platform/Fake/FakeGlobalHotKeys.h"
#include "Platform/Fake/FakeSystemShortcuts.h"
#include "Platform/Fake/FakeWindowList.h"
#include "Platform/Platform.h"

// Deterministic backend for tests, chosen only by TESSARY_PLATFORM=fake: the screens Qt reports
// with fixture or pattern images, a scripted window list, a permission that can refuse.
class FakePlatform : public Platform {
public:
    FakePlatform() = default;

    QString name() const override { return QStringLiteral("fake"); }

    DisplayCapture& displayCapture() override { return m_displayCapture; }
    WindowList& windowList() override { return m_windowList; }
    FrontmostWindow& frontmostWindow() override { return m_frontmostWindow; }
    CapturePermission& capturePermission() override { return m_capturePermission; }
    GlobalHotKeys& globalHotKeys() override { return m_globalHotKeys; }
    SystemShortcutTable& systemShortcuts() override { return m_systemShortcuts; }

    FakeDisplayCapture& fakeDisplayCapture() { return m_displayCapture; }
    FakeWindowList& fakeWindowList() { return m_windowList; }
    FakeFrontmostWindow& fakeFrontmostWindow() { return m_frontmostWindow; }
    FakeCapturePermission& fakeCapturePermission() { return m_capturePermission; }
    FakeGlobalHotKeys& fakeGlobalHotKeys() { return m_globalHotKeys; }
    FakeSystemShortcuts& fakeSystemShortcuts() { return m_systemShortcuts; }

private:
    FakeDisplayCapture m_displayCapture;
    FakeWindowList m_windowList;
    FakeFrontmostWindow m_frontmostWindow;
    FakeCapturePermission m_capturePermission;
    FakeGlobalHotKeys m_globalHotKeys;
    FakeSystemShortcuts m_systemShortcuts;
};
