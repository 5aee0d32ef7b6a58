#pragma once

#include "TessaryCore/HotKeyCombination.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// Readers of the desktops' own shortcut tables, turning their entries into hot-key combinations so
// that a capture shortcut the desktop already uses is refused before registering. Entries whose key
// has no virtual key code, or that need a modifier the model lacks, cannot collide and are dropped.
namespace HotKeyDesktopShortcuts {

// The trigger a desktop's global shortcuts portal reads ("CTRL+ALT+a", "LOGO+SHIFT+Print"):
// modifiers, then the key's keysym name; nothing for a key without one.
std::optional<std::string> portalTrigger(const HotKeyCombination& combination);

// A GTK accelerator such as "<Control><Alt>t" or "<Super>Page_Up"; "" and "disabled" give nothing.
std::optional<HotKeyCombination> fromGtkAccelerator(std::string_view accelerator);

// A Qt portable key sequence of one chord such as "Meta+Shift+S", "Ctrl++" or "Num+5" (keypad).
std::optional<HotKeyCombination> fromQtShortcut(std::string_view shortcut);

// The strings of a printed GVariant: "['<Super>a', '<Alt>F4']", "@as []", "'Print'". Any other value
// (numbers, booleans, malformed text) gives an empty list.
std::vector<std::string> gvariantStrings(std::string_view value);

struct GsettingsEntry {
    std::string schema;
    std::string key;
    std::string value;
};
// The lines of `gsettings list-recursively`: "<schema> <key> <value>".
std::vector<GsettingsEntry> parseGsettingsListing(std::string_view text);

// Every combination bound by the accelerator-list keys of a listing. Keys that are not shortcuts
// (numbers, paths, names) parse to nothing and drop out.
std::vector<HotKeyCombination> combinationsInGsettingsListing(std::string_view text);

// The active shortcuts of every action in a kglobalshortcutsrc file ("action=active,default,text";
// several active shortcuts are tab-separated; "none" is no shortcut).
std::vector<HotKeyCombination> combinationsInKdeGlobalShortcuts(std::string_view text);

} // namespace HotKeyDesktopShortcuts

} // namespace tessary
