#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tessary {

// A 128-bit identifier. Fresh ones are version 4 (random) and come from the kernel's random source.
class Uuid {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    // The all-zero identifier; never produced by random().
    Uuid() = default;
    explicit Uuid(const Bytes& bytes) : bytes_(bytes) {}

    static Uuid random();

    const Bytes& bytes() const { return bytes_; }
    // Canonical text form: 8-4-4-4-12 upper-case hexadecimal digits.
    std::string string() const;

    friend bool operator==(const Uuid&, const Uuid&) = default;

private:
    Bytes bytes_{};
};

} // namespace tessary

template <> struct std::hash<tessary::Uuid> {
    std::size_t operator()(const tessary::Uuid& uuid) const noexcept;
};
