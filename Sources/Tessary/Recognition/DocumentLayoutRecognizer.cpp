#include "Recognition/DocumentLayoutRecognizer.h"

#include "Foundation/Fonts.h"
#include "Foundation/Log.h"
#include "Recognition/RecognitionWorker.h"
#include "Recognition/TextRecognitionError.h"

#include <QElapsedTimer>
#include <QPainter>

#include <qcoro/qcorofuture.h>

namespace DocumentLayoutRecognizer {

namespace {

QCoro::Task<std::vector<Paragraph>> recognize(RecognitionWorker& worker, QImage image, bool yielding) {
    const std::vector<tessary::DocumentContainer> documents =
        co_await worker.submitLayout(std::move(image), yielding);
    tessary::DocumentParagraphs::Collection collection = tessary::DocumentParagraphs::collect(documents);
    if (collection.truncatedBranches > 0) {
        Log::error(QStringLiteral("版面识别：") + QString::number(collection.truncatedBranches) +
                   QStringLiteral(" 条分支嵌套超过 ") +
                   QString::number(tessary::DocumentParagraphs::levelsRead) +
                   QStringLiteral(" 层，没再往下收（再深就要把栈撑爆）。"));
    }
    if (collection.duplicatesRemoved > 0) {
        Log::info(QStringLiteral("版面识别：去掉 ") + QString::number(collection.duplicatesRemoved) +
                  QStringLiteral(" 段重复（容器树里有环）。"));
    }
    co_return std::move(collection.paragraphs);
}

QString seconds(const QElapsedTimer& timer) {
    return QString::asprintf("%.2f", double(timer.nsecsElapsed()) / 1e9) + QLatin1Char('s');
}

} // namespace

QCoro::Task<std::vector<Paragraph>> recognizeParagraphs(RecognitionWorker& worker, QImage image) {
    co_return co_await recognize(worker, std::move(image), false);
}

QCoro::Task<> prewarm(RecognitionWorker& worker) {
    QElapsedTimer timer;
    timer.start();
    const QImage image = warmUpImage();
    if (image.isNull()) {
        co_return;
    }
    try {
        co_await recognize(worker, image, true);
        Log::info(QStringLiteral("版面识别预热完成，耗时 ") + seconds(timer));
    } catch (const TextRecognitionError& error) {
        Log::error(QStringLiteral("版面识别预热失败（不影响使用）：") + error.localizedDescription());
    }
}

void prewarmOnce(RecognitionWorker& worker) {
    static bool started = false;
    if (started) {
        return;
    }
    started = true;
    QCoro::connect(prewarm(worker), QCoreApplication::instance(), [] {});
}

QImage warmUpImage() {
    QImage image(120, 40, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font = Fonts::system(20, Fonts::Weight::regular);
    // Sized in pixels: the image has no screen to take points from.
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(Qt::black);
    // The baseline 12 pixels above the bottom edge.
    painter.drawText(QPointF(8, 40 - 12), QStringLiteral("Warm up"));
    return image;
}

} // namespace DocumentLayoutRecognizer
