// Drawing a pen or mosaic stroke over a 3840 x 2160 selection: each drag step repaints only the new
// segment of the stroke, never the frozen image under the whole selection (target: p95 under 4 ms).
#include "Foundation/CoordinateSpace.h"
#include "Foundation/Log.h"
#include "Overlay/Canvas/SelectionCanvasView.h"
#include "Overlay/Session/OverlayWindow.h"
#include "Overlay/Session/PerfProbe.h"
#include "Platform/Fake/FakeDisplayCapture.h"
#include "TessaryCore/PerfStatistics.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

CapturedDisplay patternDesktop(QSize points) {
    CapturedDisplay display;
    display.image = FakeDisplayCapture::patternImage(points);
    display.scale = 1;
    display.frame = {0, 0, double(points.width()), double(points.height())};
    display.geometry = QRect(QPoint(0, 0), points);
    return display;
}

void send(SelectionCanvasView* canvas, QEvent::Type type, tessary::Point p) {
    const QPointF local = CoordinateSpace::toWidget(p, canvas->height());
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, canvas->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &event);
}

// A wavy path across the display, 8 points per step; a stroke restarts after `strokeLength` steps.
tessary::Point pathPoint(long long step) {
    const double t = double(step % 400);
    return {200 + 8 * t, 1080 + 300 * std::sin(t / 20)};
}
constexpr long long strokeLength = 400;

// Step times and the probe's draw times and dirty areas as counters; resets the probe.
void reportSteps(benchmark::State& state, std::vector<double> times, double area) {
    std::sort(times.begin(), times.end());
    state.counters["p50_ms"] = tessary::PerfStatistics::percentile(times, 0.5);
    state.counters["p95_ms"] = tessary::PerfStatistics::percentile(times, 0.95);
    std::vector<double> draws = PerfProbe::state().durations;
    std::sort(draws.begin(), draws.end());
    state.counters["draw_p95_ms"] = tessary::PerfStatistics::percentile(draws, 0.95) * 1000;
    std::vector<double> dirty = PerfProbe::state().dirtyAreas;
    std::sort(dirty.begin(), dirty.end());
    state.counters["dirty_p50_pct"] = tessary::PerfStatistics::percentile(dirty, 0.5) / area * 100;
    state.counters["dirty_p95_pct"] = tessary::PerfStatistics::percentile(dirty, 0.95) / area * 100;
    PerfProbe::reset();
}

// Args: tool (0: pen, 1: mosaic).
void BM_AnnotationStrokeDrag4K(benchmark::State& state) {
    Log::setFilePath(QString());
    const ToolKind tool = state.range(0) == 0 ? ToolKind::pen : ToolKind::mosaic;
    OverlayWindow window(patternDesktop({3840, 2160}), {}, OverlayPerfOptions{});
    SelectionCanvasView* canvas = window.canvas();
    window.show();
    canvas->setSelection(tessary::Rect{0, 0, 3840, 2160});
    canvas->showBars();
    canvas->handleToolbarSelection(tool);
    QCoreApplication::processEvents();
    const double area = 3840.0 * 2160.0;

    long long step = 0;
    send(canvas, QEvent::MouseButtonPress, pathPoint(step));
    QCoreApplication::processEvents();
    PerfProbe::start(1LL << 40, false, area, 60, std::nullopt);
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        ++step;
        if (step % strokeLength == 0) {
            state.PauseTiming();
            send(canvas, QEvent::MouseButtonRelease, pathPoint(step - 1));
            canvas->store().undo(); // keeps the stored strokes from piling up under the next one
            send(canvas, QEvent::MouseButtonPress, pathPoint(step));
            QCoreApplication::processEvents();
            state.ResumeTiming();
            continue;
        }
        timer.start();
        send(canvas, QEvent::MouseMove, pathPoint(step));
        QCoreApplication::processEvents();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    send(canvas, QEvent::MouseButtonRelease, pathPoint(step));
    reportSteps(state, std::move(times), area);
    window.hide();
}
BENCHMARK(BM_AnnotationStrokeDrag4K)->Arg(0)->Arg(1)->ArgName("mosaic")->Unit(benchmark::kMillisecond);

// Dragging out a selection over 4K: each step repaints the old and new border bands, handles and
// size label, which span the display.
void BM_SelectionDrag4K(benchmark::State& state) {
    Log::setFilePath(QString());
    OverlayWindow window(patternDesktop({3840, 2160}), {}, OverlayPerfOptions{});
    SelectionCanvasView* canvas = window.canvas();
    window.show();
    QCoreApplication::processEvents();
    const double area = 3840.0 * 2160.0;
    const auto corner = [](long long step) {
        const double t = double(step % 200);
        return tessary::Point{1000 + 12 * t, 1800 - 6 * t};
    };
    long long step = 0;
    send(canvas, QEvent::MouseButtonPress, {200, 2000});
    send(canvas, QEvent::MouseMove, corner(step));
    QCoreApplication::processEvents();
    PerfProbe::start(1LL << 40, false, area, 60, std::nullopt);
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        send(canvas, QEvent::MouseMove, corner(++step));
        QCoreApplication::processEvents();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    send(canvas, QEvent::MouseButtonRelease, corner(step));
    reportSteps(state, std::move(times), area);
    window.hide();
}
BENCHMARK(BM_SelectionDrag4K)->Unit(benchmark::kMillisecond);

} // namespace
