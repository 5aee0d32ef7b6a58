#pragma once

#include <string>
#include <string_view>

// The operating system's name as os-release(5) gives it.
namespace tessary::OsRelease {

// PRETTY_NAME, else NAME and VERSION_ID joined by a space (either alone when the other is
// missing); empty when none is there. Values may be quoted and backslash-escaped, as in a shell.
std::string description(std::string_view fileText);

} // namespace tessary::OsRelease
