#pragma once

#include <string_view>

namespace tessary {

// Why an update check ended without a manifest to compare.
enum class UpdateError { notConfigured, invalidManifest, invalidResponse, noRelease };

// The case name, used as the error's text in log lines.
std::string_view description(UpdateError error);

} // namespace tessary
