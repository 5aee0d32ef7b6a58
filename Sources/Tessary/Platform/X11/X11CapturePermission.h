#pragma once

#include "Platform/CapturePermission.h"

// Any X client may read the root window: access is always granted.
class X11CapturePermission : public CapturePermission {
public:
    bool preflight() override { return true; }
    bool request() override { return true; }
};
