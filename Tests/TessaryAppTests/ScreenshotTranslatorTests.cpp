#include "Recognition/RecognitionWorker.h"
#include "Recognition/TextRecognizer.h"
#include "TessaryCore/TranslationFailure.h"
#include "RenderedText.h"

#include "Foundation/L10n.h"
#include "Recognition/TextRecognitionError.h"
#include "Recognition/TextRecognizer.h"
#include "Translation/ScreenshotTranslator.h"
#include "Translation/TranslationEngine.h"
#include "Translation/TranslationLayerPainter.h"
#include "Translation/TranslationProgressPanel.h"
#include "Translation/TranslationTextLayer.h"
#include "Translation/Typesetter.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>
#include <qcoro/qcorotimer.h>

#include <iostream>

namespace {

// One recognition worker per test process, as the application keeps one.
TextRecognizer& textRecognizer() {
    static TextRecognizer recognizer;
    return recognizer;
}

RecognitionWorker& recognitionWorker() {
    return textRecognizer().worker();
}

using tessary::Rect;
using tessary::RgbColor;

const QString uiFont = QStringLiteral("DejaVu Sans");
const QString chineseFont = QStringLiteral("Noto Sans CJK SC");
const QColor page(0xF2, 0xF3, 0xF5);
const QColor card(0x1F, 0x3A, 0x5F);

// Answers by a word the source contains, "" for anything else; remembers what it was sent.
class PreparedEngine : public TranslationEngine {
public:
    explicit PreparedEngine(std::vector<std::pair<QString, QString>> answers, bool dropOne = false)
        : m_answers(std::move(answers)), m_dropOne(dropOne) {}

    tessary::TranslationEngineKind kind() const override { return tessary::TranslationEngineKind::deepseek; }
    QCoro::Task<QStringList> translate(QStringList texts, QString targetLanguage, TranslationCancellation) override {
        requests.push_back(std::vector<QString>(texts.begin(), texts.end()));
        target = targetLanguage;
        co_await QCoro::sleepFor(std::chrono::milliseconds(10));
        QStringList result;
        for (const QString& text : texts) {
            QString answer;
            for (const auto& [word, translation] : m_answers) {
                if (text.contains(word)) {
                    answer = translation;
                    break;
                }
            }
            result.push_back(answer);
        }
        if (m_dropOne && !result.empty()) {
            result.pop_back();
        }
        co_return result;
    }

    std::vector<std::vector<QString>> requests;
    QString target;

private:
    std::vector<std::pair<QString, QString>> m_answers;
    bool m_dropOne;
};

const std::vector<std::pair<QString, QString>> chineseAnswers = {
    {QStringLiteral("Display"), QStringLiteral("显示设置")},
    {QStringLiteral("windows"),
     QStringLiteral(
         "选择窗口在你连接的每块屏幕上的外观。注销并重新登录后更改生效，除非系统要求你重新启动。")},
    {QStringLiteral("Released"), QStringLiteral("发布于 2024年5月6日")},
    {QStringLiteral("Storage"), QStringLiteral("存储空间即将用完")},
};

// A settings page, 900 × 520 pixels: a centred heading, a paragraph, a dated line, a line of
// figures and a Chinese caption on a light page, and a warning in a dark card.
QImage settingsPage() {
    QImage image(900, 520, QImage::Format_RGB32);
    image.fill(page);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor(0x20, 0x22, 0x25));
    const auto text = [&](const QString& family, int size, int x, int baseline, const QString& words) {
        painter.setFont(RenderedText::font(family, size));
        if (x < 0) {
            x = (900 - QFontMetrics(painter.font()).horizontalAdvance(words)) / 2;
        }
        painter.drawText(QPoint(x, baseline), words);
    };
    text(uiFont, 26, -1, 60, QStringLiteral("Display Settings"));
    text(uiFont, 16, 40, 120, QStringLiteral("Choose how windows look on every screen you connect."));
    text(uiFont, 16, 40, 144, QStringLiteral("Changes take effect after you sign out and back in"));
    text(uiFont, 16, 40, 168, QStringLiteral("again, unless the system asks you to restart."));
    text(uiFont, 16, 40, 230, QStringLiteral("Released on May 6, 2024"));
    text(uiFont, 16, 40, 290, QStringLiteral("2024-05-06  12:30"));
    text(chineseFont, 18, 40, 350, QStringLiteral("保存图片到桌面文件夹"));
    painter.fillRect(QRect(30, 400, 840, 80), card);
    painter.setPen(Qt::white);
    text(uiFont, 18, 60, 448, QStringLiteral("Storage is almost full"));
    painter.end();
    return image;
}

// Draws what a selection canvas draws under its translation text layer.
class CanvasStandIn : public QWidget {
public:
    CanvasStandIn(const QImage& crop, const Rect& selection, const TypesetTranslation& typeset)
        : m_crop(crop), m_selection(selection), m_typeset(typeset) {
        resize(int(selection.maxX() + 40), int(selection.maxY() + 40));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::darkGray);
        const Rect bounds{0, 0, double(width()), double(height())};
        painter.drawImage(
            QRectF(m_selection.minX(), height() - m_selection.maxY(), m_selection.width, m_selection.height),
            m_crop);
        TranslationLayerPainter::paint(painter, m_typeset, bounds, 1, m_selection, false);
    }

private:
    QImage m_crop;
    Rect m_selection;
    TypesetTranslation m_typeset;
};

using TranslationResult = std::optional<tessary::TranslationOverlay>;

// The task's result or its exception (waitFor alone never returns from a task that throws).
QCoro::Task<std::pair<TranslationResult, std::exception_ptr>> settled(QCoro::Task<TranslationResult> task) {
    try {
        TranslationResult result = co_await std::move(task);
        co_return std::make_pair(std::move(result), std::exception_ptr());
    } catch (...) {
        co_return std::make_pair(TranslationResult(), std::current_exception());
    }
}

double distance(const RgbColor& a, const QColor& b) {
    return std::sqrt(std::pow(a.red - b.redF(), 2) + std::pow(a.green - b.greenF(), 2) +
                     std::pow(a.blue - b.blueF(), 2));
}

double luminance(const RgbColor& c) {
    return 0.299 * c.red + 0.587 * c.green + 0.114 * c.blue;
}

} // namespace

TEST(ScreenshotTranslatorTest, TranslatesUiTextInPlaceAndDrawsItOverTheSource) {
    if (!RenderedText::available(uiFont) || !RenderedText::available(chineseFont)) {
        GTEST_SKIP() << "fonts missing";
    }
    const QImage crop = settingsPage();
    const double scale = 2;
    const Rect selection{100, 200, crop.width() / scale, crop.height() / scale};
    auto engine = std::make_shared<PreparedEngine>(chineseAnswers);
    ScreenshotTranslator translator(recognitionWorker(), engine, tessary::TranslationEngineKind::deepseek,
                                    QStringLiteral("zh-Hans"));
    std::vector<ScreenshotTranslator::Stage> stages;
    const std::optional<tessary::TranslationOverlay> overlay = QCoro::waitFor(translator.translate(
        crop, selection, scale, [&](const ScreenshotTranslator::Progress& p) { stages.push_back(p.stage); }));
    ASSERT_TRUE(overlay.has_value());
    for (const auto& block : overlay->blocks) {
        std::cout << "[" << block.rect.x << "," << block.rect.y << " " << block.rect.width << "x"
                  << block.rect.height << " " << block.lineCount << "] " << block.sourceText << " -> "
                  << block.translatedText << "\n";
    }
    EXPECT_EQ(stages, (std::vector{ScreenshotTranslator::Stage::recognizing,
                                   ScreenshotTranslator::Stage::translating}));
    EXPECT_EQ(overlay->engine, tessary::TranslationEngineKind::deepseek);
    EXPECT_EQ(overlay->targetLanguage, "zh-Hans");

    // One request with the four English paragraphs: no figures, nothing already Chinese, and the
    // date already in Chinese notation.
    ASSERT_EQ(engine->requests.size(), 1u);
    EXPECT_EQ(engine->target, QStringLiteral("zh-Hans"));
    const std::vector<QString>& sent = engine->requests[0];
    ASSERT_EQ(sent.size(), 4u);
    for (const QString& text : sent) {
        EXPECT_FALSE(text.contains(QStringLiteral("12:30"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("保存"))) << text.toStdString();
    }
    EXPECT_TRUE(sent[2].startsWith(QStringLiteral("Released on")) &&
                sent[2].contains(QStringLiteral("2024年5月6日")))
        << sent[2].toStdString();

    // Every block lies inside the selection, in points; four of them cover their source.
    const std::vector<tessary::TranslationBlock> covering = overlay->coveringBlocks();
    ASSERT_EQ(covering.size(), 4u);
    for (const auto& block : overlay->blocks) {
        EXPECT_GE(block.rect.minX(), selection.minX());
        EXPECT_LE(block.rect.maxX(), selection.maxX());
        EXPECT_GE(block.rect.minY(), selection.minY());
        EXPECT_LE(block.rect.maxY(), selection.maxY());
    }
    EXPECT_EQ(covering[1].lineCount, 3);

    // Typeset over the crop: every translation fits its patch at 6 points or more; the patches take
    // the colour around them and the text contrasts with it.
    const TypesetTranslation typeset = Typesetter::typeset(*overlay, crop, selection);
    ASSERT_EQ(typeset.layouts.size(), 4u);
    for (const tessary::TranslationBlockLayout& layout : typeset.layouts) {
        const QString text = QString::fromStdString(layout.block.translatedText);
        EXPECT_GE(layout.fontSize, 6);
        EXPECT_LE(
            std::ceil(Typesetter::measure(text, Typesetter::font(layout.fontSize, typeset.targetLanguage),
                                          layout.coverRect.width - 2)),
            layout.coverRect.height)
            << text.toStdString();
        const bool inCard = layout.block.sourceText.find("Storage") != std::string::npos;
        EXPECT_LT(distance(layout.backgroundColor, inCard ? card : page), 0.02) << layout.block.sourceText;
        EXPECT_GT(std::abs(luminance(layout.textColor) - luminance(layout.backgroundColor)), 0.5);
    }
    // The one-line heading keeps a size close to its source's.
    EXPECT_GT(typeset.layouts[0].fontSize * scale, 20);

    const QImage rendered = TranslationLayerPainter::rendered(crop, typeset, selection, scale);
    ASSERT_EQ(rendered.size(), crop.size());
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/translation-overlay.png");
    rendered.save(path);
    std::cout << "rendered: " << path.toStdString() << "\n";
    // Outside the patches the image is untouched; inside, the source text is gone.
    int changedOutside = 0;
    for (int y = 0; y < crop.height(); ++y) {
        for (int x = 0; x < crop.width(); ++x) {
            const tessary::Point p{selection.minX() + (x + 0.5) / scale,
                                   selection.maxY() - (y + 0.5) / scale};
            const bool covered = std::any_of(typeset.layouts.begin(), typeset.layouts.end(),
                                             [&](const auto& l) { return l.coverRect.contains(p); });
            if (!covered && rendered.pixel(x, y) != crop.pixel(x, y)) {
                ++changedOutside;
            }
        }
    }
    EXPECT_EQ(changedOutside, 0);

    // The typeset translations read back as what the engine answered.
    for (const tessary::TranslationBlockLayout& layout : typeset.layouts) {
        const Rect& cover = layout.coverRect;
        const QRect pixels(int((cover.minX() - selection.minX()) * scale), int((selection.maxY() - cover.maxY()) * scale),
                           int(cover.width * scale), int(cover.height * scale));
        const QString read = QCoro::waitFor(textRecognizer().recognize(rendered.copy(pixels.adjusted(-6, -6, 6, 6))))
                                 .remove(QLatin1Char(' '))
                                 .remove(QLatin1Char('\n'));
        const QString expected = QString::fromStdString(layout.block.translatedText).remove(QLatin1Char(' '));
        const double accuracy = RenderedText::characterAccuracy(read, expected);
        std::cout << "read back " << accuracy << ": " << read.toStdString() << "\n";
        EXPECT_GE(accuracy, 0.8) << read.toStdString();
    }

    // On the canvas (points, one pixel each here): the frozen image, the patches, and the words as
    // selectable text views over them.
    CanvasStandIn canvas(crop, selection, typeset);
    TranslationTextLayer layer(&canvas);
    layer.setTranslation(typeset, canvas.height());
    canvas.show();
    const QString canvasPath =
        QCoreApplication::applicationDirPath() + QStringLiteral("/translation-canvas.png");
    canvas.grab().save(canvasPath);
    std::cout << "canvas: " << canvasPath.toStdString() << "\n";
    EXPECT_EQ(layer.textViews().size(), typeset.layouts.size());
}

TEST(ScreenshotTranslatorTest, CountMismatchAndCancellation) {
    const QImage crop = settingsPage();
    const Rect selection{0, 0, double(crop.width()), double(crop.height())};
    {
        auto engine = std::make_shared<PreparedEngine>(chineseAnswers, true);
        ScreenshotTranslator translator(recognitionWorker(), engine, tessary::TranslationEngineKind::deepseek,
                                        QStringLiteral("zh-Hans"));
        const auto [result, failure] = QCoro::waitFor(settled(translator.translate(crop, selection, 1)));
        EXPECT_FALSE(result.has_value()) << "an answer short of one text was taken";
        ASSERT_TRUE(failure);
        try {
            std::rethrow_exception(failure);
        } catch (const tessary::TranslationFailure& mismatch) {
            EXPECT_EQ(mismatch.kind(), tessary::TranslationFailure::Kind::countMismatch);
            EXPECT_STREQ(mismatch.what(), "countMismatch(4, 3)");
        }
    }
    {
        // Cancelled while recognising: the engine is never asked and nothing is delivered.
        auto engine = std::make_shared<PreparedEngine>(chineseAnswers);
        auto translator = std::make_unique<ScreenshotTranslator>(recognitionWorker(), engine, tessary::TranslationEngineKind::velmora, QStringLiteral("zh-Hans"));
        QCoro::Task<std::optional<tessary::TranslationOverlay>> task =
            translator->translate(crop, selection, 1);
        translator.reset();
        EXPECT_FALSE(QCoro::waitFor(std::move(task)).has_value());
        EXPECT_TRUE(engine->requests.empty());
    }
}

TEST(TranslationTextLayerTest, SelectableTextOverTheCanvasCopiesWithCtrlC) {
    QWidget canvas;
    canvas.resize(600, 400);
    TranslationTextLayer layer(&canvas);
    TypesetTranslation typeset;
    typeset.targetLanguage = QStringLiteral("zh-Hans");
    tessary::TranslationBlock block{tessary::Uuid::random(),
                                    "Save image",
                                    "保存图片",
                                    Rect{100, 300, 200, 30},
                                    1,
                                    tessary::TextBlockAlignment::center,
                                    std::string("en")};
    typeset.layouts.push_back({block,
                               Rect{96, 296, 208, 38},
                               {1, 1, 1},
                               {0.1, 0.1, 0.1},
                               20,
                               tessary::TextBlockAlignment::center,
                               28});
    layer.setTranslation(typeset, 400);
    canvas.show();
    ASSERT_EQ(layer.textViews().size(), 1u);
    QTextEdit* view = layer.textViews()[0];
    // y up at the canvas edge: the top of the text lies 400 − (296 + 5 + 28) points from the top.
    EXPECT_EQ(view->geometry(), QRect(97, 71, 206, 28));
    EXPECT_EQ(view->toPlainText(), QStringLiteral("保存图片"));
    EXPECT_TRUE(view->isReadOnly());

    view->setFocus();
    view->selectAll();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("保存图片"));

    // With a drawing tool active, clicks reach the canvas and nothing stays selected.
    layer.setSelectionEnabled(false);
    EXPECT_TRUE(layer.testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(view->textCursor().hasSelection());
    EXPECT_EQ(view->textInteractionFlags(), Qt::NoTextInteraction);
    layer.clear();
    EXPECT_TRUE(layer.textViews().empty());
}

TEST(TranslationProgressPanelTest, WaitsAboveTheSelectionThenExplainsTheFirstRun) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // A selection in the middle of the primary screen, global points y up.
    const Rect selection{double(screen.width()) / 2 - 200, double(screen.height()) / 2 - 100, 400, 200};
    TranslationProgressPanel panel(selection);
    panel.present();
    EXPECT_EQ(panel.text(), L10n::text(QStringLiteral("translate.progress")));
    EXPECT_FALSE(panel.isActiveWindow());
    // Centred 12 points above the selection (Qt's y grows downwards).
    EXPECT_EQ(panel.geometry().bottom() + 1, screen.height() / 2 - 100 - 12);
    EXPECT_NEAR(panel.geometry().center().x(), screen.width() / 2, 1);
    QTest::qWait(2700);
    EXPECT_EQ(panel.text(), L10n::text(QStringLiteral("translate.progress.firstRun")));
    EXPECT_GE(panel.width(), 260);
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/translation-progress.png");
    panel.grab().save(path);
    std::cout << "panel: " << path.toStdString() << "\n";
}
