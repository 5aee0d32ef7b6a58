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
// Takes the clipboard at once and encodes on a worker thread; a paste asked for before the encode
// is done waits for it. `done` runs on the main thread once the PNG exists (false: encoding failed,
// and the offer is withdrawn) unless `context` is gone by then.
void writeAsync(const QImage& image, QObject* context, std::function<void(bool)> done);
bool writeText(const QString& text);
} // namespace Clipboard
