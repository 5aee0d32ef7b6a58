#pragma once

// Names the application for QSettings (INI file under the XDG config dir) and the
// desktop. Call once, right after the application object exists.
namespace AppIdentity {
void install();
}
