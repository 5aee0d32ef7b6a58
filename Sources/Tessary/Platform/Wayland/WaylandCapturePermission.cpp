#include "Platform/Wayland/WaylandCapturePermission.h"

#include "Foundation/L10n.h"
#include "Platform/Wayland/PortalRequest.h"

namespace {
// The portal is started on demand by the bus the first time; that is the slow case.
constexpr int kProbeTimeoutMs = 3000;
} // namespace

bool WaylandCapturePermission::preflight() {
    return PortalRequest::offers(QStringLiteral("org.freedesktop.portal.Screenshot"), kProbeTimeoutMs) ||
           PortalRequest::offers(QStringLiteral("org.freedesktop.portal.ScreenCast"), kProbeTimeoutMs);
}

std::optional<QString> WaylandCapturePermission::unavailableReason() {
    if (preflight()) {
        return std::nullopt;
    }
    return L10n::text(QStringLiteral("capture.error.portalMissing"));
}
