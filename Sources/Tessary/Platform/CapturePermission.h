#pragma once

// Whether this process may read the screen's contents.
class CapturePermission {
public:
    virtual ~CapturePermission() = default;

    // Tests access without asking the user.
    virtual bool preflight() = 0;
    // Asks for access where the system can prompt; returns whether it is granted now.
    virtual bool request() = 0;
};
