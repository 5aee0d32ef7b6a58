// The translate button on a canvas, from the press to the typeset overlay drawn over the selection,
// with an engine that answers at once; and the longest time the main thread went without turning
// its event loop meanwhile.
#include "Overlay/Canvas/SelectionCanvasView.h"
#include "Overlay/Session/TranslationSession.h"
#include "Recognition/DocumentLayoutRecognizer.h"
#include "Recognition/TextRecognizer.h"
#include "TranslationBenchmarkSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <qcoro/qcorotask.h>

#include <algorithm>
#include <ctime>
#include <memory>

namespace {

using TranslationBenchmark::ImmediateEngine;

// A 1000 × 600 display of UI text in twelve paragraphs.
CapturedDisplay uiDisplay() {
    CapturedDisplay display;
    display.image = TranslationBenchmark::uiPage(16);
    display.frame = {0, 0, 1000, 600};
    display.geometry = QRect(0, 0, 1000, 600);
    return display;
}

// Time since the main thread last turned its event loop: on the wall clock, and on its own CPU
// clock. A wall stall with little CPU time is the thread waiting for a core (the machine's other
// work), not work of its own.
class StallProbe {
public:
    void restart() {
        wall_.restart();
        cpuAtTurn_ = threadCpuMs();
    }
    // At a turn of the loop (or the end of a stretch of work): records the stretch since the last.
    void turn() {
        longestWall_ = std::max(longestWall_, double(wall_.nsecsElapsed()) / 1e6);
        longestCpu_ = std::max(longestCpu_, threadCpuMs() - cpuAtTurn_);
        restart();
    }
    double longestWallMs() const { return longestWall_; }
    double longestCpuMs() const { return longestCpu_; }

private:
    static double threadCpuMs() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    }
    QElapsedTimer wall_;
    double cpuAtTurn_ = 0;
    double longestWall_ = 0;
    double longestCpu_ = 0;
};

// One press on `canvas`; records the main thread's longest stretches without a turn in `probe`.
void pressAndWait(SelectionCanvasView& canvas, TranslationSession& session, StallProbe& probe) {
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] { probe.turn(); });
    ticker.start();
    probe.restart();
    session.toggle(&canvas, canvas.captureOutput(ToolKind::translate));
    while (session.isRunning()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    // The run may end within the turn that showed the overlay.
    probe.turn();
    // The overlay reaches the screen with the next paint, which the main thread does too.
    canvas.repaint();
    probe.turn();
}

void run(benchmark::State& state, bool cold) {
    const CapturedDisplay display = uiDisplay();
    std::unique_ptr<TextRecognizer> recognizer;
    std::size_t blocks = 0;
    StallProbe probe;
    for (auto _ : state) {
        state.PauseTiming();
        if (cold || !recognizer) {
            recognizer = std::make_unique<TextRecognizer>();
        }
        if (!cold) {
            QCoro::waitFor(
                DocumentLayoutRecognizer::recognizeParagraphs(recognizer->worker(), display.image));
        }
        SelectionCanvasView canvas(display, {});
        canvas.resize(1000, 600);
        canvas.show();
        canvas.setSelection(tessary::Rect{0, 0, 1000, 600});
        canvas.showBars();
        // On screen and painted before the press, as the user sees it.
        canvas.repaint();
        QCoreApplication::processEvents();
        TranslationSession session(*recognizer, std::nullopt);
        session.setEngineFactory(
            [](tessary::TranslationEngineKind) { return std::make_shared<ImmediateEngine>(); });
        state.ResumeTiming();
        pressAndWait(canvas, session, probe);
        state.PauseTiming();
        blocks = canvas.translation() ? canvas.translation()->coveringBlocks().size() : 0;
        state.ResumeTiming();
    }
    state.counters["blocks"] = double(blocks);
    state.counters["longestStallMs"] = probe.longestWallMs();
    state.counters["longestStallCpuMs"] = probe.longestCpuMs();
}

void BM_TranslateClickToOverlayWarm(benchmark::State& state) {
    run(state, false);
}
BENCHMARK(BM_TranslateClickToOverlayWarm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// A new recogniser each time: the engine module and its language data load within the press.
void BM_TranslateClickToOverlayCold(benchmark::State& state) {
    run(state, true);
}
BENCHMARK(BM_TranslateClickToOverlayCold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace
