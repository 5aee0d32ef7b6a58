// Cost of freezing the displays: run under an X server (Xvfb at the sizes of interest) with
// QT_QPA_PLATFORM=xcb TESSARY_PLATFORM=x11. Reports per-call times of the grab path and its parts.
#include "Foundation/Log.h"
#include "Overlay/Session/OnScreenWindowList.h"
#include "Overlay/Session/ScreenCapturer.h"
#include "Platform/DisplayCapture.h"
#include "Platform/Platform.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

Platform& platform() {
    static const std::unique_ptr<Platform> created = Platform::createDefault();
    return *created;
}

// Every capture logs a line; keep them out of the user's log file.
void quietLog() {
    Log::setFilePath(QString());
}

QList<DisplayGrabRequest> fullSizeRequests() {
    QList<DisplayGrabRequest> requests;
    for (const CapturableDisplay& display : platform().displayCapture().displays()) {
        requests.append({display, display.nativeGeometry.size()});
    }
    return requests;
}

void BM_GrabAllDisplays(benchmark::State& state) {
    DisplayCapture& capture = platform().displayCapture();
    const QList<DisplayGrabRequest> requests = fullSizeRequests();
    for (auto _ : state) {
        benchmark::DoNotOptimize(capture.grab(requests));
    }
    state.SetLabel(platform().name().toStdString());
}

void BM_CaptureAllDisplaysCached(benchmark::State& state) {
    quietLog();
    ScreenCapturer capturer(platform().displayCapture(), platform().capturePermission());
    capturer.prewarm();
    for (auto _ : state) {
        benchmark::DoNotOptimize(capturer.captureAllDisplays());
    }
}

void BM_DisplayList(benchmark::State& state) {
    DisplayCapture& capture = platform().displayCapture();
    for (auto _ : state) {
        benchmark::DoNotOptimize(capture.displays());
    }
}

void BM_WindowSnapshot(benchmark::State& state) {
    quietLog();
    for (auto _ : state) {
        benchmark::DoNotOptimize(OnScreenWindowList::snapshot(platform().windowList()));
    }
}

// Qt's own screen grab, for comparison.
void BM_QtGrabWindow(benchmark::State& state) {
    for (auto _ : state) {
        for (QScreen* screen : QGuiApplication::screens()) {
            benchmark::DoNotOptimize(screen->grabWindow(0));
        }
    }
}

} // namespace

BENCHMARK(BM_GrabAllDisplays)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureAllDisplaysCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowSnapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtGrabWindow)->Unit(benchmark::kMillisecond);
