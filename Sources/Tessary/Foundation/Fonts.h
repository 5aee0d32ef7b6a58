#pragma once

#include <QFont>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Font lookup for the overlay that never comes back empty: each request walks a fixed
// chain of candidates and logs when it had to settle for a later one.
namespace Fonts {

enum class Weight { regular, medium, semibold };

using Candidate = std::function<std::optional<QFont>()>;

// Proportional UI font; sizes are in points (device-independent pixels).
QFont system(double size, Weight weight);
// Fixed-pitch font.
QFont monospaced(double size, Weight weight);

// First candidate that yields a font; logs the fallback index when it is not the first.
// With no usable candidate the font system is unusable: the reason is logged and `fatal`
// runs (the default stops the process).
QFont resolve(const QString& description, const std::vector<Candidate>& candidates,
              const std::function<void()>& fatal = {});

QString weightName(Weight weight);

} // namespace Fonts
