#include "Recognition/OcrAction.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "Output/Clipboard.h"
#include "Recognition/TextRecognitionError.h"
#include "Recognition/TextRecognizer.h"

#include <QTextBoundaryFinder>

namespace OcrAction {

int characterCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

QString logForm(QString text) {
    return text.replace(QLatin1Char('\n'), QStringLiteral(" \u23CE "));
}

QCoro::Task<> run(TextRecognizer& recognizer, QImage image,
                  std::function<void(const QString& notice)> showNotice) {
    Log::info(QStringLiteral("提取文字：开始识别 ") + QString::number(image.width()) + QLatin1Char('x') +
              QString::number(image.height()) + QStringLiteral(" 像素。"));
    QString notice;
    try {
        const QString text = co_await recognizer.recognize(std::move(image));
        const int count = characterCount(text);
        const bool written = !text.isEmpty() && Clipboard::writeText(text);
        Log::info(QStringLiteral("提取文字：识别到 ") + QString::number(count) + QStringLiteral(" 个字符，") +
                  (written ? QStringLiteral("已写剪贴板") : QStringLiteral("未写剪贴板")) +
                  QStringLiteral("。"));
        Log::info(QStringLiteral("提取文字·内容：") + logForm(text));
        notice = text.isEmpty() ? L10n::text(QStringLiteral("ocr.empty"))
                                : L10n::format(QStringLiteral("ocr.copied"), {QString::number(count)});
    } catch (const TextRecognitionError& error) {
        const QString description = error.localizedDescription();
        Log::error(QStringLiteral("提取文字失败：") + description);
        notice = L10n::format(QStringLiteral("ocr.failed"), {description});
    }
    if (showNotice) {
        showNotice(notice);
    }
}

} // namespace OcrAction
