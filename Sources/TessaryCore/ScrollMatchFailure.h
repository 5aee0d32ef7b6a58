#pragma once

namespace tessary {

// Why two frames could not be matched.
enum class ScrollMatchFailure {
    // The frames or signatures differ in size.
    sizeMismatch,
    // Too few rows are left between the sticky edges to search.
    activeRegionTooSmall,
    // No position matched closely enough.
    noConfidentOverlap,
    // A position matched, but a distinct one matched almost as well (repetitive content).
    ambiguousOverlap,
};

} // namespace tessary
