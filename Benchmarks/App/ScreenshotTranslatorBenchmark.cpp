#include "Recognition/DocumentLayoutRecognizer.h"
#include "Recognition/RecognitionWorker.h"
#include "Recognition/TextRecognizer.h"
#include "Translation/ScreenshotTranslator.h"
#include "Translation/Typesetter.h"
#include "TranslationBenchmarkSupport.h"

#include <QElapsedTimer>
#include <QImage>

#include <benchmark/benchmark.h>
#include <qcoro/qcorotask.h>

namespace {

// One recognition worker per test process, as the application keeps one.
TextRecognizer& textRecognizer() {
    static TextRecognizer recognizer;
    return recognizer;
}

RecognitionWorker& recognitionWorker() {
    return textRecognizer().worker();
}

// Recognition (engine warm), detection, an engine that answers at once, and typesetting: from the
// click to a typeset overlay.
void BM_TranslateWarm(benchmark::State& state) {
    const QImage image = TranslationBenchmark::uiPage(15);
    const tessary::Rect selection{0, 0, 1000, 600};
    QCoro::waitFor(DocumentLayoutRecognizer::recognizeParagraphs(recognitionWorker(), image));
    ScreenshotTranslator translator(
        recognitionWorker(),
        std::make_shared<TranslationBenchmark::ImmediateEngine>(QStringLiteral("译文第 %1 段")),
        tessary::TranslationEngineKind::deepseek, QStringLiteral("zh-Hans"));
    std::size_t blocks = 0;
    for (auto _ : state) {
        const auto overlay = QCoro::waitFor(translator.translate(image, selection, 1));
        const TypesetTranslation typeset = Typesetter::typeset(*overlay, image, selection);
        blocks = typeset.layouts.size();
        benchmark::DoNotOptimize(typeset);
    }
    state.counters["blocks"] = double(blocks);
}
BENCHMARK(BM_TranslateWarm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
