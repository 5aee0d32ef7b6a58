#include "Recognition/RecognitionWorker.h"
#include "Recognition/TextRecognizer.h"
#include "RenderedText.h"

#include "Recognition/DocumentLayoutRecognizer.h"
#include "Recognition/LanguageDetector.h"

#include "Foundation/Log.h"

#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

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

using Paragraph = DocumentLayoutRecognizer::Paragraph;
using tessary::TextBlockAlignment;

const QString uiFont = QStringLiteral("DejaVu Sans");

struct Line {
    QString text;
    int pixelSize;
    TextBlockAlignment alignment;
};

// A settings page of 900 pixels: each group of lines is a paragraph set flush left, centred or
// flush right inside 40-pixel margins, groups 2.5 line heights apart.
QImage settingsPage(const std::vector<std::vector<Line>>& groups) {
    std::vector<RenderedText::Run> runs;
    int y = 30;
    for (const auto& group : groups) {
        for (const Line& line : group) {
            const QFontMetrics metrics(RenderedText::font(uiFont, line.pixelSize));
            const int width = metrics.horizontalAdvance(line.text);
            const int x = line.alignment == TextBlockAlignment::leading  ? 40
                          : line.alignment == TextBlockAlignment::center ? (900 - width) / 2
                                                                         : 860 - width;
            y += line.pixelSize * 3 / 2;
            runs.push_back({line.text, uiFont, line.pixelSize, QPoint(x, y)});
        }
        y += group.front().pixelSize * 5 / 2;
    }
    return RenderedText::render(QSize(900, y + 20), runs);
}

// Words of `expected` found in `actual`, as a share.
double wordRecall(const QString& expected, const QString& actual) {
    const QStringList words = expected.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int found = 0;
    for (const QString& word : words) {
        found += actual.contains(word) ? 1 : 0;
    }
    return double(found) / double(words.size());
}

} // namespace

TEST(DocumentLayoutRecognizerTest, ReadsParagraphsLinesAndAlignmentOfRenderedUiText) {
    if (!RenderedText::available(uiFont)) {
        GTEST_SKIP() << "font missing: " << uiFont.toStdString();
    }
    const auto L = TextBlockAlignment::leading;
    const auto C = TextBlockAlignment::center;
    const auto T = TextBlockAlignment::trailing;
    const std::vector<std::vector<Line>> groups = {
        {{QStringLiteral("Display Settings"), 26, C}},
        {{QStringLiteral("Choose how windows look on every screen you connect."), 16, L},
         {QStringLiteral("Changes take effect after you sign out and back in"), 16, L},
         {QStringLiteral("again, unless the system asks you to restart."), 16, L}},
        {{QStringLiteral("Last updated on Monday"), 16, T}},
    };
    const QImage page = settingsPage(groups);
    const std::vector<Paragraph> paragraphs =
        QCoro::waitFor(DocumentLayoutRecognizer::recognizeParagraphs(recognitionWorker(), page));
    for (const Paragraph& p : paragraphs) {
        std::cout << "[" << tessary::rawValue(p.alignment) << " " << p.lineCount << " lines " << p.rect.x
                  << "," << p.rect.y << " " << p.rect.width << "x" << p.rect.height << "] " << p.text << "\n";
    }
    ASSERT_EQ(paragraphs.size(), groups.size());
    for (std::size_t i = 0; i < groups.size(); ++i) {
        QStringList lines;
        for (const Line& line : groups[i]) {
            lines << line.text;
        }
        const QString expected = lines.join(QLatin1Char(' '));
        const QString text = QString::fromStdString(paragraphs[i].text);
        EXPECT_GE(wordRecall(expected, text), 0.9) << text.toStdString();
        EXPECT_FALSE(text.contains(QLatin1Char('\n')));
        EXPECT_EQ(paragraphs[i].lineCount, int(groups[i].size())) << text.toStdString();
    }
    // The paragraph of several lines is read as flush left; the box spans its lines.
    EXPECT_EQ(paragraphs[1].alignment, L);
    EXPECT_NEAR(paragraphs[1].rect.x, 40, 4);
    EXPECT_GT(paragraphs[1].rect.height, 3 * 16);
    // Boxes are image pixels with rows top-down, in reading order.
    EXPECT_LT(paragraphs[0].rect.y, paragraphs[1].rect.y);
    EXPECT_LT(paragraphs[1].rect.y, paragraphs[2].rect.y);
    EXPECT_NEAR(paragraphs[2].rect.x + paragraphs[2].rect.width, 860, 4);
}

TEST(DocumentLayoutRecognizerTest, WarmUpReadsItsImageAndSaysSoOnce) {
    const QImage image = DocumentLayoutRecognizer::warmUpImage();
    EXPECT_EQ(image.size(), QSize(120, 40));
    const std::vector<Paragraph> paragraphs =
        QCoro::waitFor(DocumentLayoutRecognizer::recognizeParagraphs(recognitionWorker(), image));
    ASSERT_EQ(paragraphs.size(), 1u);
    EXPECT_EQ(paragraphs[0].text, "Warm up");

    QTemporaryDir dir;
    const QString previous = Log::filePath();
    Log::setFilePath(dir.filePath(QStringLiteral("warm.log")));
    DocumentLayoutRecognizer::prewarmOnce(recognitionWorker());
    DocumentLayoutRecognizer::prewarmOnce(recognitionWorker());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            QFile file(Log::filePath());
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("版面识别预热");
        },
        20000));
    QTest::qWait(300);
    Log::setFilePath(previous);
    QFile file(dir.filePath(QStringLiteral("warm.log")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(file.readAll());
    EXPECT_EQ(log.count(QStringLiteral("版面识别预热完成，耗时 ")), 1) << log.toStdString();
}

TEST(LanguageDetectorTest, NamesTheDominantLanguage) {
    struct Case {
        const char* text;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"Save image", "en"},
        {"Choose how windows look on every screen you connect.", "en"},
        {"保存图片", "zh-Hans"},
        {"儲存圖片", "zh-Hant"},
        {"東京都", "ja"},
        {"スクロールキャプチャは長いページを一枚の画像にまとめます。", "ja"},
        {"Les modifications prennent effet après la reconnexion.", "fr"},
        {"  a  ", std::nullopt}, // one character
        {"2024-05-06", std::nullopt},
        {"", std::nullopt},
        {"\xff\xfe\xfd", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LanguageDetector::dominantLanguage(c.text), c.expected) << c.text;
    }
}
