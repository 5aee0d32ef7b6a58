// QR detection of a settled selection, as the worker thread runs it: 1200 x 800 pixels of a
// busy screen with and without codes. Target: under 40 ms.
#include "Overlay/QR/QRCodeRecognizer.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <benchmark/benchmark.h>

namespace {

QImage code(const std::string& text, int side) {
    const ZXing::BitMatrix matrix =
        ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(8).encode(text, side, side);
    QImage image(matrix.width(), matrix.height(), QImage::Format_RGB32);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x) {
            image.setPixel(x, y, matrix.get(x, y) ? 0xff000000 : 0xffffffff);
        }
    }
    return image;
}

// Window-like clutter: a solid panel, lines of text, a photo-like gradient.
QImage busyScreen(bool withCodes) {
    QImage image(1200, 800, QImage::Format_RGB32);
    image.fill(QColor(236, 238, 242));
    QPainter painter(&image);
    painter.fillRect(QRect(40, 500, 300, 220), QColor(221, 141, 61));
    QLinearGradient gradient(760, 420, 1160, 720);
    gradient.setColorAt(0, QColor(30, 90, 160));
    gradient.setColorAt(1, QColor(220, 140, 60));
    painter.fillRect(QRect(760, 420, 400, 300), gradient);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    for (int row = 0; row < 40; ++row) {
        painter.setPen(row % 5 == 0 ? QColor(20, 20, 20) : QColor(90, 90, 100));
        painter.drawText(
            24, 28 + row * 19,
            QStringLiteral("Line %1 of a document window with ordinary text, numbers 0123456789").arg(row));
    }
    painter.fillRect(QRect(0, 0, 1200, 4), QColor(60, 60, 60));
    if (withCodes) {
        painter.drawImage(QPoint(780, 60), code("https://example.org/a/long/path?with=query&and=more", 220));
        painter.drawImage(QPoint(520, 470),
                          code("WIFI:S:Office;T:WPA;P:correct horse battery staple;;", 180));
    }
    return image;
}

void BM_QRDetectionTwoCodes(benchmark::State& state) {
    const QImage image = busyScreen(true);
    std::size_t found = 0;
    for (auto _ : state) {
        found = std::size_t(QRCodeRecognizer::payloads(QRCodeRecognizer::observations(image)).size());
        benchmark::DoNotOptimize(found);
    }
    state.counters["codes"] = double(found);
}
BENCHMARK(BM_QRDetectionTwoCodes)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_QRDetectionNoCode(benchmark::State& state) {
    const QImage image = busyScreen(false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(QRCodeRecognizer::payloads(QRCodeRecognizer::observations(image)));
    }
}
BENCHMARK(BM_QRDetectionNoCode)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace
