// One frame of a scrolling capture: the region grab, then grey conversion, matching and the strip cut.
// Under Xvfb (QT_QPA_PLATFORM=xcb TESSARY_PLATFORM=x11) the grab is the real shared-memory read of the
// root; the frames consumed are cut from a rendered page scrolled 17 % of a frame per grab, since the
// screen itself does not scroll.
#include "../../Tests/Support/ScrollDocument.h"
#include "Foundation/Log.h"
#include "Platform/DisplayCapture.h"
#include "Platform/Platform.h"
#include "Scrolling/ScrollingCaptureController.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

Platform& platform() {
    static const std::unique_ptr<Platform> created = Platform::createDefault();
    return *created;
}

void BM_ScrollConsumeFrame(benchmark::State& state) {
    Log::setFilePath(QString());
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const int step = height * 17 / 100;
    const int frames = 40;
    const QImage page = ScrollDocument::content(width, height + step * frames);
    QList<QImage> window;
    for (int i = 0; i < frames; ++i) {
        window.append(page.copy(0, i * step, width, height));
    }
    DisplayCapture& capture = platform().displayCapture();
    QRect region(0, 0, width, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        region &= QRect(QPoint(0, 0), screen->size() * screen->devicePixelRatio());
    }
    std::unique_ptr<ScrollingCaptureController> controller;
    int next = frames;
    for (auto _ : state) {
        if (next == frames) {
            state.PauseTiming();
            controller = std::make_unique<ScrollingCaptureController>(capture, nullptr, 1.0, tessary::Rect{},
                                                                      std::nullopt, std::nullopt);
            next = 0;
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(capture.grabRegion(region));
        controller->consume(window[next++]);
    }
    state.SetLabel(platform().name().toStdString() + " grab " + std::to_string(region.width()) +
                   "x" + std::to_string(region.height()));
}

} // namespace

BENCHMARK(BM_ScrollConsumeFrame)->Args({1200, 800})->Args({2400, 1600})->Unit(benchmark::kMillisecond);

namespace {

// Ending a 20,000-row capture 1200 pixels wide: from stop() until the long image is back on the main
// thread (drawn on a worker; the PNG encode that follows is not included).
void BM_ScrollStopRenders20000Rows(benchmark::State& state) {
    Log::setFilePath(QString());
    constexpr int width = 1200;
    constexpr int view = 800;
    constexpr int step = 250;
    const QImage page = ScrollDocument::content(width, 20000);
    DisplayCapture& capture = platform().displayCapture();
    std::int64_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ScrollingCaptureController controller(capture, nullptr, 1.0, tessary::Rect{},
                                              QStringLiteral("/nonexistent"), std::nullopt);
        bool finished = false;
        controller.onFinish = [&rows, &finished](const QList<QImage>& images) {
            rows = images.isEmpty() ? 0 : images.first().height();
            finished = true;
        };
        controller.start();
        for (int offset = 0; offset + view <= page.height(); offset += step) {
            controller.consume(page.copy(0, offset, width, view));
        }
        state.ResumeTiming();
        controller.stop();
        while (!finished) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    state.counters["rows"] = double(rows);
}

} // namespace

BENCHMARK(BM_ScrollStopRenders20000Rows)->Unit(benchmark::kMillisecond)->Iterations(3);
