#include "Translation/TranslationLayerPainter.h"
#include "Translation/Typesetter.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// Twenty translated paragraphs of a 1000 × 600-point selection: one- to four-line blocks, short
// labels and long sentences, in Chinese.
tessary::TranslationOverlay twentyBlocks() {
    const char* translations[] = {
        "显示设置",
        "选择窗口在你连接的每块屏幕上的外观。注销并重新登录后更改生效。",
        "存储空间即将用完",
        "发布于 2024年5月6日",
        "在所有显示器上使用相同的缩放比例，除非你另行选择。",
    };
    tessary::TranslationOverlay overlay;
    overlay.targetLanguage = "zh-Hans";
    for (int i = 0; i < 20; ++i) {
        const int lines = 1 + i % 4;
        const double lineHeight = 14 + (i % 3) * 4;
        const double width = 120 + (i * 37) % 360;
        overlay.blocks.push_back(
            {tessary::Uuid::random(), "Source text of the paragraph", translations[i % 5],
             tessary::Rect{20.0 + (i % 2) * 480, 580 - 29.0 * i, width, lineHeight * lines}, lines,
             tessary::TextBlockAlignment::leading, std::string("en")});
    }
    return overlay;
}

QImage page() {
    QImage image(1000, 600, QImage::Format_RGB32);
    image.fill(QColor(0xF2, 0xF3, 0xF5));
    QPainter painter(&image);
    painter.setPen(Qt::black);
    for (int y = 20; y < 600; y += 29) {
        painter.drawText(QPoint(24, y), QStringLiteral("Source text of the paragraph, in English"));
    }
    return image;
}

void BM_TypesetTwentyBlocks(benchmark::State& state) {
    const tessary::TranslationOverlay overlay = twentyBlocks();
    const QImage image = page();
    const tessary::Rect area{0, 0, 1000, 600};
    for (auto _ : state) {
        TypesetTranslation typeset = Typesetter::typeset(overlay, image, area);
        benchmark::DoNotOptimize(typeset);
    }
}
BENCHMARK(BM_TypesetTwentyBlocks)->Unit(benchmark::kMillisecond);

// Drawing the typeset blocks into the 2× image of the selection, as copying the result does.
void BM_PaintTwentyBlocks(benchmark::State& state) {
    const QImage image = page().scaled(2000, 1200);
    const tessary::Rect area{0, 0, 1000, 600};
    const TypesetTranslation typeset = Typesetter::typeset(twentyBlocks(), image, area);
    for (auto _ : state) {
        QImage rendered = TranslationLayerPainter::rendered(image, typeset, area, 2);
        benchmark::DoNotOptimize(rendered);
    }
}
BENCHMARK(BM_PaintTwentyBlocks)->Unit(benchmark::kMillisecond);

} // namespace
