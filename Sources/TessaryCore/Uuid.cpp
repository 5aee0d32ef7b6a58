#include "TessaryCore/Uuid.h"

#include <cerrno>
#include <random>
#include <string_view>
#include <sys/random.h>

namespace tessary {

namespace {

void fillRandom(std::uint8_t* data, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::getrandom(data + filled, size - filled, 0);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got < 0 && errno != EINTR) {
            break;
        }
    }
    if (filled == size) {
        return;
    }
    // Kernels without getrandom: the library's device-backed source.
    thread_local std::random_device device;
    for (; filled < size; ++filled) {
        data[filled] = static_cast<std::uint8_t>(device());
    }
}

} // namespace

Uuid Uuid::random() {
    Bytes bytes{};
    fillRandom(bytes.data(), bytes.size());
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    return Uuid(bytes);
}

std::string Uuid::string() const {
    static constexpr std::string_view digits = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text.push_back('-');
        }
        text.push_back(digits[bytes_[i] >> 4]);
        text.push_back(digits[bytes_[i] & 0x0F]);
    }
    return text;
}

} // namespace tessary

std::size_t std::hash<tessary::Uuid>::operator()(const tessary::Uuid& uuid) const noexcept {
    // The bytes are random already; fold them FNV-style so non-random ids spread as well.
    std::size_t hash = 1469598103934665603ULL;
    for (const auto byte : uuid.bytes()) {
        hash = (hash ^ byte) * 1099511628211ULL;
    }
    return hash;
}
