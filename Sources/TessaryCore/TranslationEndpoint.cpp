#include "TessaryCore/TranslationEndpoint.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cctype>
#include <string>

namespace tessary::TranslationEndpoint {

namespace {

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

bool isLoopbackIPv4(const std::array<unsigned char, 4>& address) {
    return address[0] == 127;
}

} // namespace

bool isLoopbackHost(std::string_view host) {
    std::string name = lowered(host);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
        name = name.substr(1, name.size() - 2);
    }
    if (name == "localhost" || name == "localhost.") {
        return true;
    }
    // Only canonical dotted quads: inet_pton refuses the octal and short forms some resolvers accept.
    std::array<unsigned char, 4> v4{};
    if (inet_pton(AF_INET, name.c_str(), v4.data()) == 1) {
        return isLoopbackIPv4(v4);
    }
    std::array<unsigned char, 16> v6{};
    if (inet_pton(AF_INET6, name.c_str(), v6.data()) == 1) {
        static constexpr std::array<unsigned char, 16> loopback6{0, 0, 0, 0, 0, 0, 0, 0,
                                                                 0, 0, 0, 0, 0, 0, 0, 1};
        static constexpr std::array<unsigned char, 12> mappedPrefix{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
        if (v6 == loopback6) {
            return true;
        }
        if (std::equal(mappedPrefix.begin(), mappedPrefix.end(), v6.begin())) {
            return isLoopbackIPv4({v6[12], v6[13], v6[14], v6[15]});
        }
    }
    return false;
}

Verdict classify(std::string_view scheme, std::string_view host) {
    if (host.empty()) {
        return Verdict::refused;
    }
    const std::string kind = lowered(scheme);
    const bool loopback = isLoopbackHost(host);
    if (kind == "https") {
        return loopback ? Verdict::loopback : Verdict::secure;
    }
    if (kind == "http" && loopback) {
        return Verdict::loopback;
    }
    return Verdict::refused;
}

} // namespace tessary::TranslationEndpoint
