#pragma once

class QThreadPool;

// The thread that encodes and writes finished captures. Kept apart from Qt's global pool: the
// raster engine splits large fills on the main thread across that pool and waits for them, so a
// long PNG encode there would stall the next repaint.
namespace OutputWorker {
QThreadPool* pool();
}
