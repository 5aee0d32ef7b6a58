#include "TessaryCore/SecureUrl.h"

#include <optional>
#include <string>

namespace tessary::SecureUrl {

namespace {

struct Parts {
    std::string scheme;
    std::string host;
};

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHex(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isUnreserved(char c) {
    return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}
bool isSubDelimiter(char c) {
    return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos;
}

std::string lowercased(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// Characters allowed in `text` besides unreserved ones and percent escapes.
bool onlyUrlCharacters(std::string_view text, std::string_view extra) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) {
                return false;
            }
            i += 2;
        } else if (!isUnreserved(c) && !isSubDelimiter(c) && extra.find(c) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

// scheme "://" authority [path] ["?" query] ["#" fragment]; nullopt for anything malformed or with
// user information in the authority.
std::optional<Parts> split(std::string_view url) {
    const size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isAlpha(url[0])) {
        return std::nullopt;
    }
    const std::string_view scheme = url.substr(0, colon);
    for (const char c : scheme) {
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
    }
    std::string_view rest = url.substr(colon + 1);
    if (!rest.starts_with("//")) {
        return std::nullopt;
    }
    rest.remove_prefix(2);
    const size_t authorityEnd = rest.find_first_of("/?#");
    const std::string_view authority = rest.substr(0, authorityEnd);
    const std::string_view tail = authorityEnd == std::string_view::npos ? "" : rest.substr(authorityEnd);
    if (authority.find('@') != std::string_view::npos) {
        return std::nullopt;
    }

    std::string_view host;
    std::string_view portPart;
    if (authority.starts_with('[')) {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = authority.substr(1, close - 1);
        for (const char c : host) {
            if (!isHex(c) && c != ':' && c != '.') {
                return std::nullopt;
            }
        }
        portPart = authority.substr(close + 1);
        if (!portPart.empty() && !portPart.starts_with(':')) {
            return std::nullopt;
        }
    } else {
        const size_t portColon = authority.find(':');
        host = authority.substr(0, portColon);
        portPart = portColon == std::string_view::npos ? "" : authority.substr(portColon);
        if (!onlyUrlCharacters(host, "")) {
            return std::nullopt;
        }
    }
    if (!portPart.empty()) {
        const std::string_view digits = portPart.substr(1);
        if (digits.size() > 5) {
            return std::nullopt;
        }
        for (const char c : digits) {
            if (!isDigit(c)) {
                return std::nullopt;
            }
        }
    }

    // Path and query may hold ':' '@' '/' '?'; one '#' starts the fragment, which may hold the same.
    const size_t hash = tail.find('#');
    if (!onlyUrlCharacters(tail.substr(0, hash), ":@/?") ||
        (hash != std::string_view::npos && !onlyUrlCharacters(tail.substr(hash + 1), ":@/?"))) {
        return std::nullopt;
    }
    return Parts{lowercased(scheme), lowercased(host)};
}

} // namespace

bool isSecure(std::string_view url) {
    const auto parts = split(url);
    return parts && parts->scheme == "https" && !parts->host.empty();
}

bool isLoopbackHttp(std::string_view url) {
    const auto parts = split(url);
    return parts && parts->scheme == "http" &&
           (parts->host == "127.0.0.1" || parts->host == "localhost" || parts->host == "::1");
}

} // namespace tessary::SecureUrl
