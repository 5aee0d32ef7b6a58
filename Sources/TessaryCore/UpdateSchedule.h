#pragma once

#include <chrono>
#include <optional>

namespace tessary {

// When an automatic update check may run.
struct UpdateSchedule {
    using Clock = std::chrono::system_clock;

    static constexpr std::chrono::seconds readinessDelay{10};
    static constexpr std::chrono::seconds timerInterval{3600};
    static constexpr std::chrono::seconds successInterval{86400};
    static constexpr std::chrono::seconds attemptInterval{3600};

    bool ready = false;
    bool configured = false;
    bool hasNetwork = false;
    std::optional<Clock::time_point> lastChecked;
    std::optional<Clock::time_point> lastAttempt;

    // Ready, configured and online, a day after the last success and an hour after the last attempt
    // (never counts as long ago). A date ahead of `now` (the clock was set back) counts as long ago
    // too, so a wrong clock once cannot hold checks off for as long as it was wrong.
    bool isDue(Clock::time_point now) const;
};

} // namespace tessary
