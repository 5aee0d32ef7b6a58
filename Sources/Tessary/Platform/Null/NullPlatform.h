#pragma once

#include "Platform/Platform.h"

#include <memory>

// The backend for sessions Tessary cannot serve: every service refuses, and capture reports why,
// so that nothing pretends to have captured the screen.
class NullPlatform : public Platform {
public:
    // `reason` is the user-facing sentence a refused capture shows.
    explicit NullPlatform(QString reason);
    ~NullPlatform() override;

    QString name() const override { return QStringLiteral("null"); }

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
