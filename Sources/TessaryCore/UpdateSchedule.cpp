#include "TessaryCore/UpdateSchedule.h"

namespace tessary {

namespace {

bool longAgo(const std::optional<UpdateSchedule::Clock::time_point>& when,
             UpdateSchedule::Clock::time_point now, std::chrono::seconds interval) {
    return !when || *when > now || now - *when >= interval;
}

} // namespace

bool UpdateSchedule::isDue(Clock::time_point now) const {
    return ready && configured && hasNetwork && longAgo(lastChecked, now, successInterval) &&
           longAgo(lastAttempt, now, attemptInterval);
}

} // namespace tessary
