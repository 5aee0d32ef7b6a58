#include "Recognition/TesseractEngine.h"
#include "Recognition/TextRecognizer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <qcoro/qcorotask.h>

#include <thread>

namespace {

struct Run {
    QString family;
    int pixelSize;
    QPoint baseline;
    QString text;
};

QImage render(const std::vector<Run>& runs) {
    QImage page(1000, 600, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setPen(QColor(20, 20, 20));
    for (const Run& run : runs) {
        QFont font(run.family);
        font.setPixelSize(run.pixelSize);
        painter.setFont(font);
        painter.drawText(run.baseline, run.text);
    }
    return page;
}

const QString latin = QStringLiteral("DejaVu Sans");
const QString chinese = QStringLiteral("Noto Sans CJK SC");
const QString japanese = QStringLiteral("Noto Sans CJK JP");

// One paragraph from `baseline` on, 1.6 line heights apart; `baseline` ends below it.
void addParagraph(std::vector<Run>& runs, const QString& family, int pixelSize, int left, int& baseline,
                  const QStringList& lines) {
    for (const QString& line : lines) {
        runs.push_back({family, pixelSize, {left, baseline}, line});
        baseline += pixelSize * 8 / 5;
    }
    baseline += 20;
}

// The worst case: 1000 × 600 filled with full-width lines of UI-sized text, English, Simplified
// Chinese and Japanese paragraphs.
const QImage& denseSelection() {
    static const QImage image = [] {
        std::vector<Run> runs;
        int baseline = 40;
        addParagraph(
            runs, latin, 15, 30, baseline,
            {QStringLiteral("Release notes for version 2.4 of the screenshot tool, published on 6 May 2024."),
             QStringLiteral("Press Ctrl+Alt+A to freeze every display, then drag out the region you need."),
             QStringLiteral(
                 "The toolbar under the selection offers shapes, arrows, text and a mosaic brush."),
             QStringLiteral("Finish with Return to copy the image, or save it as a PNG file in your folder."),
             QStringLiteral("Recognised text goes to the clipboard in reading order, ready to paste."),
             QStringLiteral("Scrolling capture stitches long pages into one image without visible seams.")});
        addParagraph(runs, chinese, 16, 30, baseline,
                     {QStringLiteral("截图工具常驻在系统托盘中，按下快捷键即可冻结所有屏幕并选择区域。"),
                      QStringLiteral("拖动鼠标选择一个区域，然后在工具栏中选择需要的操作，例如复制或保存。"),
                      QStringLiteral("识别出的文字会按照阅读顺序复制到剪贴板，可以直接粘贴到其他应用中。"),
                      QStringLiteral("长截图功能可以把滚动的页面拼接成一张完整的图片，适合保存长文章。"),
                      QStringLiteral("翻译功能会把识别到的段落翻译后覆盖在原文上方，方便对照阅读。")});
        addParagraph(runs, japanese, 16, 30, baseline,
                     {QStringLiteral("このアプリはシステムトレイに常駐し、ショートカットキーで起動します。"),
                      QStringLiteral("範囲を選択すると、ツールバーから保存やコピーなどの操作を選べます。"),
                      QStringLiteral("認識した文字は読む順番でクリップボードにコピーされます。"),
                      QStringLiteral("設定画面では保存先のフォルダーやショートカットキーを変更できます。")});
        return render(runs);
    }();
    return image;
}

// A window as users select it: a title, a sidebar of short entries and a pane of shorter
// paragraphs in the three languages, with the white space a user interface has.
const QImage& windowSelection() {
    static const QImage image = [] {
        std::vector<Run> runs;
        runs.push_back({latin, 18, {30, 40}, QStringLiteral("Team notes · Release 2.4")});
        int baseline = 90;
        for (const QString& entry :
             {QStringLiteral("Inbox"), QStringLiteral("Drafts"), QStringLiteral("Release notes"),
              QStringLiteral("Screenshots"), QStringLiteral("翻译记录"), QStringLiteral("共享文件夹"),
              QStringLiteral("設定"), QStringLiteral("Archive")}) {
            runs.push_back({entry.front().unicode() < 0x3000 ? latin : chinese, 15, {30, baseline}, entry});
            baseline += 36;
        }
        baseline = 90;
        addParagraph(runs, latin, 15, 300, baseline,
                     {QStringLiteral("The capture hot key now works on every display, including"),
                      QStringLiteral("rotated ones. Pinned images keep their place after a restart.")});
        addParagraph(runs, chinese, 16, 300, baseline,
                     {QStringLiteral("长截图现在会自动对齐，拼接处不再出现重复的内容。"),
                      QStringLiteral("识别出的文字按阅读顺序复制到剪贴板。")});
        addParagraph(runs, japanese, 16, 300, baseline,
                     {QStringLiteral("翻訳結果は元の文章の上に表示されます。"),
                      QStringLiteral("保存先のフォルダーは設定画面で変更できます。")});
        addParagraph(runs, latin, 15, 300, baseline,
                     {QStringLiteral("Known issue: the notice may appear on the wrong screen"),
                      QStringLiteral("when two displays use different scales.")});
        return render(runs);
    }();
    return image;
}

double warmSeconds = 0;

TextRecognizer& recognizer() {
    static TextRecognizer shared;
    return shared;
}

// The recogniser as the OCR action uses it, with the engine already loaded.
void recognizeWarm(benchmark::State& state, const QImage& image) {
    state.counters["characters"] = double(QCoro::waitFor(recognizer().recognize(image)).size());
    QElapsedTimer timer;
    timer.start();
    for (auto _ : state) {
        benchmark::DoNotOptimize(QCoro::waitFor(recognizer().recognize(image)));
    }
    warmSeconds = double(timer.nsecsElapsed()) / 1e9 / double(state.iterations());
}

void BM_TextRecognizerWarmWindow(benchmark::State& state) {
    recognizeWarm(state, windowSelection());
}
BENCHMARK(BM_TextRecognizerWarmWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

// Last, so that the command-line comparison below refers to this page.
void BM_TextRecognizerWarmDense(benchmark::State& state) {
    recognizeWarm(state, denseSelection());
}
BENCHMARK(BM_TextRecognizerWarmDense)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

// The engine reading the dense page's lines on one thread: the work the second thread shares.
void BM_EngineDenseOneThread(benchmark::State& state) {
    TesseractEngine::confineOpenMpToThisThread();
    TesseractEngine engine(TesseractEngine::defaultDataPath(), 1);
    const QImage& image = denseSelection();
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.recognizeLines(image, nullptr));
    }
}
BENCHMARK(BM_EngineDenseOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

// The same on a fresh thread, which leaves OpenMP's teams on: what the recogniser avoids.
void BM_EngineWithOpenMpTeams(benchmark::State& state) {
    std::thread([&] {
        TesseractEngine engine(TesseractEngine::defaultDataPath(), 1);
        const QImage& image = denseSelection();
        for (auto _ : state) {
            benchmark::DoNotOptimize(engine.recognizeLines(image, nullptr));
        }
    }).join();
}
BENCHMARK(BM_EngineWithOpenMpTeams)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// `tesseract` on the dense page with the same languages, as a user would run it: load, recognise, print.
void commandLine(benchmark::State& state, bool singleThreaded) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("selection.png"));
    denseSelection().save(path);
    QElapsedTimer timer;
    timer.start();
    for (auto _ : state) {
        QProcess process;
        if (singleThreaded) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
            process.setProcessEnvironment(environment);
        }
        process.start(QStringLiteral("tesseract"), {path, QStringLiteral("stdout"), QStringLiteral("-l"),
                                                    QStringLiteral("jpn+chi_sim+eng")});
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            state.SkipWithError("tesseract command line failed");
            return;
        }
        benchmark::DoNotOptimize(process.readAllStandardOutput());
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9 / double(state.iterations());
    if (warmSeconds > 0) {
        state.counters["times_the_recognizer"] = seconds / warmSeconds;
    }
}

void BM_TesseractCommandLine(benchmark::State& state) {
    commandLine(state, false);
}
BENCHMARK(BM_TesseractCommandLine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_TesseractCommandLineOneThread(benchmark::State& state) {
    commandLine(state, true);
}
BENCHMARK(BM_TesseractCommandLineOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
