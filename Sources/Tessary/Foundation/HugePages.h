#pragma once

#include <QImage>

// Display-sized buffers written once, right after they are allocated. On a virtual machine
// faulting fresh memory in 4 KiB pages costs about 12 µs a page, so a 4K image (8,100 pages)
// takes 100 ms before a pixel is drawn; 2 MiB pages cut that to a few milliseconds.
namespace HugePages {
// Asks for 2 MiB pages over the whole 2 MiB blocks inside the range; a hint, failure is harmless.
void advise(void* begin, qsizetype size);

// An uninitialised image whose pixels live in memory advised as above; null when out of memory.
QImage image(QSize size, QImage::Format format);

// `source` as premultiplied ARGB32 (what annotations are drawn onto) in such an image. 32-bit RGB
// comes out opaque even when its unused byte is zero, as an X server leaves it.
QImage premultipliedCopy(const QImage& source);
} // namespace HugePages
