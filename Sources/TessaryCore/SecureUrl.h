#pragma once

#include <string_view>

namespace tessary::SecureUrl {

// Absolute "https://host..." with a non-empty host and no user name or password. The text must be
// a well-formed URL made of ASCII URL characters only, so what is checked is what gets opened.
bool isSecure(std::string_view url);
// "http://" to 127.0.0.1, localhost or ::1 (any letter case), otherwise as strict as `isSecure`.
bool isLoopbackHttp(std::string_view url);

} // namespace tessary::SecureUrl
