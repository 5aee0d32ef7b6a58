#include "Recognition/RecognitionWorker.h"
#include "Recognition/TextRecognizer.h"
#include "Recognition/DocumentLayoutRecognizer.h"
#include "Translation/ScreenshotTranslator.h"
#include "Translation/TranslationEngine.h"
#include "Translation/Typesetter.h"

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPainter>

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

// Answers every text at once.
class ImmediateEngine : public TranslationEngine {
public:
    tessary::TranslationEngineKind kind() const override { return tessary::TranslationEngineKind::deepseek; }
    QCoro::Task<QStringList> translate(QStringList texts, QString, TranslationCancellation) override {
        QStringList answers;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            answers.push_back(QStringLiteral("译文第 %1 段").arg(i + 1));
        }
        co_return answers;
    }
};

// 1000 × 600 pixels of UI text in about twelve paragraphs.
QImage uiPage() {
    QImage image(1000, 600, QImage::Format_RGB32);
    image.fill(QColor(0xF2, 0xF3, 0xF5));
    QPainter painter(&image);
    painter.setPen(QColor(0x20, 0x22, 0x25));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
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
    return image;
}

// Recognition (engine warm), detection, an engine that answers at once, and typesetting: from the
// click to a typeset overlay.
void BM_TranslateWarm(benchmark::State& state) {
    const QImage image = uiPage();
    const tessary::Rect selection{0, 0, 1000, 600};
    QCoro::waitFor(DocumentLayoutRecognizer::recognizeParagraphs(recognitionWorker(), image));
    ScreenshotTranslator translator(recognitionWorker(), std::make_shared<ImmediateEngine>(),
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
