#pragma once

#include <string>

namespace tessary {

// What a manifest must name to be meant for this build: the operating system and the machine
// architecture as `uname -m` spells it ("x86_64", "aarch64").
struct ReleaseTarget {
    std::string platform = "linux";
    std::string architecture;
};

} // namespace tessary
