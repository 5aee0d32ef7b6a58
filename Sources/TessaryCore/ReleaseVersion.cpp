#include "TessaryCore/ReleaseVersion.h"

#include <charconv>

namespace tessary {

namespace {

std::optional<std::int64_t> parseDigits(std::string_view digits) {
    // A leading zero would give two spellings of one release ("01.2.3" and "1.2.3").
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) {
        return std::nullopt;
    }
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<ReleaseVersion> ReleaseVersion::parse(std::string_view text, std::int64_t build) {
    if (build <= 0) {
        return std::nullopt;
    }
    ReleaseVersion version;
    version.build = build;
    size_t index = 0;
    size_t start = 0;
    while (true) {
        const size_t dot = text.find('.', start);
        const std::string_view piece = text.substr(start, dot == std::string_view::npos ? dot : dot - start);
        if (index >= 3) {
            return std::nullopt;
        }
        const auto number = parseDigits(piece);
        if (!number) {
            return std::nullopt;
        }
        version.components[index++] = *number;
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    if (index != 3) {
        return std::nullopt;
    }
    return version;
}

std::optional<std::int64_t> ReleaseVersion::parseDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    // Parsed with the sign so that the most negative value does not overflow.
    std::string signedText = negative ? "-" : "";
    signedText.append(text);
    std::int64_t value = 0;
    const auto [end, error] =
        std::from_chars(signedText.data(), signedText.data() + signedText.size(), value);
    if (error != std::errc() || end != signedText.data() + signedText.size()) {
        return std::nullopt;
    }
    return value;
}

std::string ReleaseVersion::text() const {
    return std::to_string(components[0]) + "." + std::to_string(components[1]) + "." +
           std::to_string(components[2]);
}

std::string ReleaseVersion::threeNumbers(std::string_view text) {
    std::string out;
    size_t start = 0;
    for (int index = 0; index < 3; ++index) {
        std::string_view piece;
        if (start <= text.size()) {
            const size_t dot = text.find('.', start);
            piece = text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
            start = dot == std::string_view::npos ? text.size() + 1 : dot + 1;
        }
        size_t digits = 0;
        while (digits < piece.size() && piece[digits] >= '0' && piece[digits] <= '9') {
            ++digits;
        }
        if (index == 0 && digits == 0) {
            return std::string(text);
        }
        out +=
            (index > 0 ? "." : "") + (digits > 0 ? std::string(piece.substr(0, digits)) : std::string("0"));
    }
    return out;
}

} // namespace tessary
