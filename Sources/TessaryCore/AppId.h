#pragma once

#include <string_view>

// The application's reverse-DNS id, chosen once in the top CMakeLists.txt (TESSARY_APP_ID).
// It names the desktop entry, the AppStream component, the icons, the instance socket, the
// autostart entry and the key store's service: the desktop matches them to each other by it,
// so it never changes. Plain C++ so that the libc-only launcher can use it too.
namespace tessary {
inline constexpr std::string_view applicationId = TESSARY_APP_ID;
}
