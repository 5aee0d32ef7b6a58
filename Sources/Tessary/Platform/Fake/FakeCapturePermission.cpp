#include "Platform/Fake/FakeCapturePermission.h"

#include <QString>

FakeCapturePermission::FakeCapturePermission() {
    if (qEnvironmentVariable("TESSARY_FAKE_PERMISSION") == QLatin1String("denied")) {
        m_preflight = m_request = false;
    }
}

bool FakeCapturePermission::preflight() {
    return m_preflight;
}

bool FakeCapturePermission::request() {
    ++m_requests;
    if (m_request) {
        m_preflight = true;
    }
    return m_request;
}

void FakeCapturePermission::setGranted(bool preflightGranted, bool requestGranted) {
    m_preflight = preflightGranted;
    m_request = requestGranted;
}
