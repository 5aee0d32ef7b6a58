#pragma once

#include "Platform/CapturePermission.h"

// On Wayland the desktop decides per request, through its Screenshot or ScreenCast portal: access
// counts as granted while either exists, and a refusal shows up when a capture asks.
class WaylandCapturePermission : public CapturePermission {
public:
    bool preflight() override;
    bool request() override { return preflight(); }
    std::optional<QString> unavailableReason() override;
};
