#pragma once

#include "TessaryCore/CloudDate.h"

#include <cstdint>
#include <optional>

namespace tessary {

// The account's daily allowance as the cloud service last reported it.
struct CloudQuota {
    std::int64_t used = 0;
    std::int64_t limit = 0;
    // Nothing when the service did not say.
    std::optional<bool> unlimited;
    CloudDate::Time resetAt{};

    bool isUnlimited() const { return unlimited.value_or(false); }
    friend bool operator==(const CloudQuota&, const CloudQuota&) = default;
};

} // namespace tessary
