#pragma once

#include <string_view>

// Which base URLs a translation client may talk to, and whether a secret must go along.
namespace tessary::TranslationEndpoint {

enum class Verdict {
    secure,   // https to a remote host: a secret is required and travels encrypted
    loopback, // this machine, http or https: a local server may need no secret
    refused,  // anything else; in particular plain http off this machine would expose the secret
};

// `host` as a URL parser gives it: IPv6 literals without brackets, any case.
bool isLoopbackHost(std::string_view host);

// `scheme` in any case; an empty host is refused.
Verdict classify(std::string_view scheme, std::string_view host);

} // namespace tessary::TranslationEndpoint
