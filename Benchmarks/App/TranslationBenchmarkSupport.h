// What the translation benchmarks share: an engine that answers at once and a page of UI text.
#pragma once

#include "Translation/TranslationEngine.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>

#include <utility>

namespace TranslationBenchmark {

// Answers every text at once with `pattern` (%1: the text's number).
class ImmediateEngine : public TranslationEngine {
public:
    explicit ImmediateEngine(QString pattern = QStringLiteral("设置项第 %1 段的译文"))
        : pattern_(std::move(pattern)) {}
    tessary::TranslationEngineKind kind() const override { return tessary::TranslationEngineKind::deepseek; }
    QCoro::Task<QStringList> translate(QStringList texts, QString, TranslationCancellation) override {
        QStringList answers;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            answers.push_back(pattern_.arg(i + 1));
        }
        co_return answers;
    }

private:
    QString pattern_;
};

// 1000 × 600 pixels of UI text in twelve paragraphs, in DejaVu Sans of `pixelSize`.
inline QImage uiPage(int pixelSize) {
    QImage image(1000, 600, QImage::Format_RGB32);
    image.fill(QColor(0xF2, 0xF3, 0xF5));
    QPainter painter(&image);
    painter.setPen(QColor(0x20, 0x22, 0x25));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
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

} // namespace TranslationBenchmark
