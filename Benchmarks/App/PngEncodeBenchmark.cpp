// PNG encoding of a 4K capture, the bulk of a copy or save (target: the whole action under
// 150 ms). Qt's own PNG writer is the reference; reports time and bytes written.
#include "Output/PngEncoder.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

// A realistic desktop: the left half a photo-like picture (smooth colour with grain), the
// right half flat panels with lines of text.
QImage desktopLikeImage(int width, int height, QImage::Format format) {
    QImage image(width, height, format);
    QRandomGenerator random(11);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width / 2; ++x) {
            const quint32 grain = random.generate();
            const int r = (x * 255 / width + static_cast<int>(grain & 31)) & 255;
            const int g = (y * 255 / height + static_cast<int>((grain >> 8) & 31)) & 255;
            const int b = ((x + y) * 127 / height + static_cast<int>((grain >> 16) & 31)) & 255;
            row[x] = qRgb(r, g, b);
        }
    }
    QPainter painter(&image);
    const QRect panel(width / 2, 0, width - width / 2, height);
    painter.fillRect(panel, QColor(246, 246, 248));
    painter.setPen(QColor(30, 30, 30));
    QFont font = painter.font();
    font.setPixelSize(15);
    painter.setFont(font);
    for (int y = 20; y < height; y += 22) {
        if ((y / 22) % 12 == 0) {
            painter.fillRect(panel.left(), y - 16, panel.width(), 40, QColor(60, 110, 200));
        }
        painter.drawText(
            panel.left() + 12, y,
            QStringLiteral("The quick brown fox %1 jumps over the lazy dog; int main() { return %2; }")
                .arg(y)
                .arg(y * 7));
    }
    return image;
}

void BM_PngEncode4K(benchmark::State& state) {
    const QImage image = desktopLikeImage(3840, 2160, static_cast<QImage::Format>(state.range(0)));
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray png = PngEncoder::encode(image);
        bytes = png.size();
        benchmark::DoNotOptimize(png.constData());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_QtPngWriter4K(benchmark::State& state) {
    const QImage image = desktopLikeImage(3840, 2160, static_cast<QImage::Format>(state.range(0)));
    qsizetype bytes = 0;
    for (auto _ : state) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        // Quality 80 is zlib level 1, the level we use.
        writer.setQuality(80);
        writer.write(image);
        bytes = png.size();
        benchmark::DoNotOptimize(png.constData());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

} // namespace

BENCHMARK(BM_PngEncode4K)
    ->Arg(QImage::Format_RGB32)
    ->Arg(QImage::Format_ARGB32_Premultiplied)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_QtPngWriter4K)->Arg(QImage::Format_RGB32)->Unit(benchmark::kMillisecond)->UseRealTime();
