#pragma once

#include "Platform/CapturePermission.h"

// Granted unless told otherwise; TESSARY_FAKE_PERMISSION=denied starts it refusing both the
// preflight and the request.
class FakeCapturePermission : public CapturePermission {
public:
    FakeCapturePermission();

    bool preflight() override;
    bool request() override;

    void setGranted(bool preflightGranted, bool requestGranted);
    int requestCount() const { return m_requests; }

private:
    bool m_preflight = true;
    bool m_request = true;
    int m_requests = 0;
};
