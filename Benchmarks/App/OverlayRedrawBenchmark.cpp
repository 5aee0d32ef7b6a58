// Overlay drawing costs at 3840 x 2160 pixels. A pointer move with the layered backdrop repaints
// only the readout, magnifier and crosshair areas (target: p95 under 2 ms); the legacy path paints
// the frozen image and dimming on every move (at least 10x slower). Also the whole session start
// (capture, windows, first layout) on the screens the platform reports; run with
// QT_QPA_PLATFORM=offscreen:configfile=<screens.json> or under Xvfb with TESSARY_PLATFORM=x11.
#include "Foundation/CoordinateSpace.h"
#include "Foundation/Log.h"
#include "Overlay/Canvas/SelectionCanvasView.h"
#include "Overlay/Session/OverlayBackdropView.h"
#include "Overlay/Session/OverlayCoordinator.h"
#include "Overlay/Session/OverlayWindow.h"
#include "Overlay/Session/PerfProbe.h"
#include "Overlay/Session/ScreenCapturer.h"
#include "Platform/Fake/FakeDisplayCapture.h"
#include "Platform/Platform.h"
#include "Recognition/TextRecognizer.h"
#include "TessaryCore/PerfStatistics.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

CapturedDisplay desktop(QSize points, double scale) {
    CapturedDisplay display;
    const QSize pixels(int(points.width() * scale), int(points.height() * scale));
    display.image = FakeDisplayCapture::patternImage(pixels);
    display.scale = scale;
    display.frame = {0, 0, double(points.width()), double(points.height())};
    display.geometry = QRect(QPoint(0, 0), points);
    return display;
}

void moveTo(SelectionCanvasView* canvas, tessary::Point p) {
    const QPointF local = CoordinateSpace::toWidget(p, canvas->height());
    QMouseEvent event(QEvent::MouseMove, local, canvas->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &event);
}

// One pointer move and the repaint it causes. Args: legacy (0/1), loupe (0: pointer readout, 1: magnifier).
void BM_OverlayPointerMove4K(benchmark::State& state) {
    const bool legacy = state.range(0) != 0;
    const bool loupe = state.range(1) != 0;
    OverlayWindow window(desktop({3840, 2160}, 1), {}, {legacy, 0});
    SelectionCanvasView* canvas = window.canvas();
    if (loupe) {
        canvas->showPreSelectionLoupe(std::nullopt);
    }
    window.show();
    QCoreApplication::processEvents();
    long long frame = 0;
    const tessary::Size size{double(canvas->width()), double(canvas->height())};
    // The first full paint of the window is not part of a pointer move.
    for (int i = 0; i < 5; ++i) {
        moveTo(canvas, tessary::PerfStatistics::probePoint(frame++, size));
        QCoreApplication::processEvents();
    }
    // Pointer moves are timed in the steady state, once the backdrop's dimmed copy has arrived.
    while (!legacy && !window.backdrop()->hasDimmedCopy()) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    // The probe times each repaint from the backdrop's start to the canvas's end, as in a real run.
    PerfProbe::start(1LL << 40, legacy, size.width * size.height, 60, std::nullopt);
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        moveTo(canvas, tessary::PerfStatistics::probePoint(frame++, size));
        QCoreApplication::processEvents();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    state.counters["p50_ms"] = tessary::PerfStatistics::percentile(times, 0.5);
    state.counters["p95_ms"] = tessary::PerfStatistics::percentile(times, 0.95);
    std::vector<double> draws = PerfProbe::state().durations;
    std::sort(draws.begin(), draws.end());
    state.counters["draw_p50_ms"] = tessary::PerfStatistics::percentile(draws, 0.5) * 1000;
    state.counters["draw_p95_ms"] = tessary::PerfStatistics::percentile(draws, 0.95) * 1000;
    PerfProbe::reset();
    window.hide();
}
void silenceLog() {
    Log::setFilePath(QString());
}

BENCHMARK(BM_OverlayPointerMove4K)
    ->Setup([](const benchmark::State&) { silenceLog(); })
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"legacy", "loupe"})
    ->Unit(benchmark::kMillisecond);

// The final image of a full-display selection: the crop alone, and with one annotation drawn over it.
void BM_RenderedImageFullDisplay4K(benchmark::State& state) {
    SelectionCanvasView canvas(desktop({1920, 1080}, 2), {});
    canvas.setSelection(tessary::Rect{0, 0, 1920, 1080});
    if (state.range(0) != 0) {
        canvas.applyDemoAnnotations();
    }
    for (auto _ : state) {
        QImage image = canvas.renderedImage();
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_RenderedImageFullDisplay4K)->Arg(0)->Arg(1)->ArgName("annotated")->Unit(benchmark::kMillisecond);

// From the capture request to every overlay shown (the log's "截图请求到覆盖层显示"), then teardown.
void BM_CaptureRequestToOverlays(benchmark::State& state) {
    Log::setFilePath(QString());
    const std::unique_ptr<Platform> platform = Platform::createDefault();
    ScreenCapturer capturer(platform->displayCapture(), platform->capturePermission());
    TextRecognizer recognizer;
    OverlayCoordinator coordinator({},
                                   {capturer, platform->displayCapture(), platform->windowList(),
                                    platform->frontmostWindow(), platform->capturePermission(), recognizer});
    for (auto _ : state) {
        coordinator.begin();
        state.PauseTiming();
        coordinator.finish();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CaptureRequestToOverlays)->Unit(benchmark::kMillisecond);

} // namespace
