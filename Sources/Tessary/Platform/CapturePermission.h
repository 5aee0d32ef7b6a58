#pragma once

#include <QString>

#include <optional>

// Whether this process may read the screen's contents.
class CapturePermission {
public:
    virtual ~CapturePermission() = default;

    // Tests access without asking the user.
    virtual bool preflight() = 0;
    // Asks for access where the system can prompt; returns whether it is granted now.
    virtual bool request() = 0;
    // Why no capture can work in this session whatever the user allows (no backend serves it),
    // as a sentence for the user; nothing where permission alone decides.
    virtual std::optional<QString> unavailableReason() { return std::nullopt; }
};
