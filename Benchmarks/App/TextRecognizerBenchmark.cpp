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

namespace {

struct Paragraph {
    QString family;
    int pixelSize;
    QStringList lines;
};

// A 1000 × 600 selection of UI-sized text: English, Simplified Chinese and Japanese paragraphs.
const QImage& mixedSelection() {
    static const QImage image = [] {
        const std::vector<Paragraph> paragraphs = {
            {QStringLiteral("DejaVu Sans"),
             15,
             {QStringLiteral(
                  "Release notes for version 2.4 of the screenshot tool, published on 6 May 2024."),
              QStringLiteral("Press Ctrl+Alt+A to freeze every display, then drag out the region you need."),
              QStringLiteral(
                  "The toolbar under the selection offers shapes, arrows, text and a mosaic brush."),
              QStringLiteral(
                  "Finish with Return to copy the image, or save it as a PNG file in your folder."),
              QStringLiteral("Recognised text goes to the clipboard in reading order, ready to paste."),
              QStringLiteral("Scrolling capture stitches long pages into one image without visible seams.")}},
            {QStringLiteral("Noto Sans CJK SC"),
             16,
             {QStringLiteral("截图工具常驻在系统托盘中，按下快捷键即可冻结所有屏幕并选择区域。"),
              QStringLiteral("拖动鼠标选择一个区域，然后在工具栏中选择需要的操作，例如复制或保存。"),
              QStringLiteral("识别出的文字会按照阅读顺序复制到剪贴板，可以直接粘贴到其他应用中。"),
              QStringLiteral("长截图功能可以把滚动的页面拼接成一张完整的图片，适合保存长文章。"),
              QStringLiteral("翻译功能会把识别到的段落翻译后覆盖在原文上方，方便对照阅读。")}},
            {QStringLiteral("Noto Sans CJK JP"),
             16,
             {QStringLiteral("このアプリはシステムトレイに常駐し、ショートカットキーで起動します。"),
              QStringLiteral("範囲を選択すると、ツールバーから保存やコピーなどの操作を選べます。"),
              QStringLiteral("認識した文字は読む順番でクリップボードにコピーされます。"),
              QStringLiteral("設定画面では保存先のフォルダーやショートカットキーを変更できます。")}},
        };
        QImage page(1000, 600, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.setPen(QColor(20, 20, 20));
        int baseline = 40;
        for (const Paragraph& paragraph : paragraphs) {
            QFont font(paragraph.family);
            font.setPixelSize(paragraph.pixelSize);
            painter.setFont(font);
            for (const QString& line : paragraph.lines) {
                painter.drawText(30, baseline, line);
                baseline += paragraph.pixelSize * 8 / 5;
            }
            baseline += 24;
        }
        return page;
    }();
    return image;
}

double warmSeconds = 0;

// The recogniser as the OCR action uses it, with the engine already loaded.
void BM_TextRecognizerWarm(benchmark::State& state) {
    const QImage& image = mixedSelection();
    state.counters["characters"] = double(QCoro::waitFor(TextRecognizer::recognize(image)).size());
    QElapsedTimer timer;
    timer.start();
    for (auto _ : state) {
        benchmark::DoNotOptimize(QCoro::waitFor(TextRecognizer::recognize(image)));
    }
    warmSeconds = double(timer.nsecsElapsed()) / 1e9 / double(state.iterations());
}
BENCHMARK(BM_TextRecognizerWarm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

// The same engine driven from a thread that leaves OpenMP's teams on: what the recogniser avoids.
void BM_EngineWithOpenMpTeams(benchmark::State& state) {
    TesseractEngine engine(TesseractEngine::defaultDataPath());
    const QImage& image = mixedSelection();
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.recognizeLines(image, nullptr));
    }
}
BENCHMARK(BM_EngineWithOpenMpTeams)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// `tesseract` on the same image with the same languages, as a user would run it: load, recognise, print.
void commandLine(benchmark::State& state, bool singleThreaded) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("selection.png"));
    mixedSelection().save(path);
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
