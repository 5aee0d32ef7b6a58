// The translate button on a canvas, from the press to the typeset overlay drawn over the selection,
// with an engine that answers at once; and the longest time the main thread went without turning
// its event loop meanwhile.
#include "Overlay/Canvas/SelectionCanvasView.h"
#include "Overlay/Session/TranslationSession.h"
#include "Recognition/DocumentLayoutRecognizer.h"
#include "Recognition/TextRecognizer.h"
#include "Translation/TranslationEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QPainter>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <qcoro/qcorotask.h>

#include <algorithm>
#include <memory>

namespace {

class ImmediateEngine : public TranslationEngine {
public:
    tessary::TranslationEngineKind kind() const override { return tessary::TranslationEngineKind::deepseek; }
    QCoro::Task<QStringList> translate(QStringList texts, QString, TranslationCancellation) override {
        QStringList answers;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            answers.push_back(QStringLiteral("设置项第 %1 段的译文").arg(i + 1));
        }
        co_return answers;
    }
};

// A 1000 × 600 display of UI text in twelve paragraphs.
CapturedDisplay uiDisplay() {
    QImage image(1000, 600, QImage::Format_RGB32);
    image.fill(QColor(0xF2, 0xF3, 0xF5));
    QPainter painter(&image);
    painter.setPen(QColor(0x20, 0x22, 0x25));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    painter.setFont(font);
    const char* lines[] = {"General settings for every display",
                           "Choose how windows look on every screen you connect.",
                           "Automatic updates are checked once a day",
                           "Save screenshots to the folder you pick below",
                           "Ask where to save each time a picture is taken",
                           "Show the magnifier while the selection is made",
                           "Play a sound when a capture is copied",
                           "Translate into the language of the system",
                           "Keep pinned images above other windows",
                           "Start the program when you sign in",
                           "Use the same hot key on every keyboard layout",
                           "Reset all settings to their defaults"};
    int y = 40;
    for (const char* line : lines) {
        painter.drawText(QPoint(40, y), QString::fromUtf8(line));
        y += 46;
    }
    painter.end();
    CapturedDisplay display;
    display.image = image;
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
