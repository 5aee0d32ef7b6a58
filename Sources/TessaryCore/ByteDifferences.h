#pragma once

#include <cstddef>
#include <cstdint>

namespace tessary::ByteDifferences {

// Σ |a[i] − b[i]| over `count` bytes. Uses SIMD when the build targets it and the plain loop otherwise;
// both give the same sum for every input.
std::uint64_t sum(const std::uint8_t* a, const std::uint8_t* b, std::size_t count);

// The plain byte loop, kept callable to check and measure the SIMD path against.
std::uint64_t plainSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t count);

// Whether `sum` runs the SIMD path in this build.
bool usesSimd();

} // namespace tessary::ByteDifferences
