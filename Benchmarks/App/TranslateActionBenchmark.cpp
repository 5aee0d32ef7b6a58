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

// One press on `canvas`; returns the longest stall of the main thread in milliseconds.
double pressAndWait(SelectionCanvasView& canvas, TranslationSession& session) {
    QElapsedTimer sinceTurn;
    double longest = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, double(sinceTurn.nsecsElapsed()) / 1e6);
        sinceTurn.restart();
    });
    ticker.start();
    sinceTurn.start();
    session.toggle(&canvas, canvas.captureOutput(ToolKind::translate));
    while (session.isRunning()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    // The overlay reaches the screen with the next paint.
    canvas.repaint();
    return longest;
}

void run(benchmark::State& state, bool cold) {
    const CapturedDisplay display = uiDisplay();
    std::unique_ptr<TextRecognizer> recognizer;
    std::size_t blocks = 0;
    double stall = 0;
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
        canvas.setSelection(tessary::Rect{0, 0, 1000, 600});
        canvas.showBars();
        TranslationSession session(*recognizer, std::nullopt);
        session.setEngineFactory(
            [](tessary::TranslationEngineKind) { return std::make_shared<ImmediateEngine>(); });
        state.ResumeTiming();
        stall = std::max(stall, pressAndWait(canvas, session));
        state.PauseTiming();
        blocks = canvas.translation() ? canvas.translation()->coveringBlocks().size() : 0;
        state.ResumeTiming();
    }
    state.counters["blocks"] = double(blocks);
    state.counters["longestStallMs"] = stall;
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
