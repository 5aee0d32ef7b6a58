#pragma once

#include <functional>

class QImage;
class QObject;
class QString;

// The system clipboard. Images go out as image/png first (encoded by PngEncoder) plus Qt's
// own image data for clients that ask for other formats. Ownership stays with this process,
// which is resident, so the contents survive the overlay closing.
namespace Clipboard {
// Encodes on the calling thread; false (clipboard untouched) when encoding fails.
bool write(const QImage& image);
// Encodes on a worker thread and sets the clipboard on the main thread; `done` runs there
// unless `context` is gone by then.
void writeAsync(const QImage& image, QObject* context, std::function<void(bool)> done);
bool writeText(const QString& text);
} // namespace Clipboard
