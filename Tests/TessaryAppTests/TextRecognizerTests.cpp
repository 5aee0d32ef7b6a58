#include "RenderedText.h"

#include "Recognition/RecognitionWorker.h"
#include "Recognition/TesseractEngine.h"
#include "Recognition/TextRecognitionError.h"
#include "Recognition/TextRecognizer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

#include <iostream>

namespace {

const QString latinFont = QStringLiteral("DejaVu Sans");
const QString chineseFont = QStringLiteral("Noto Sans CJK SC");
const QString japaneseFont = QStringLiteral("Noto Sans CJK JP");

// One recogniser per test process, as the application keeps one.
QString recognize(const QImage& image) {
    static TextRecognizer recognizer;
    return QCoro::waitFor(recognizer.recognize(image));
}

const QStringList englishParagraph = {
    QStringLiteral("Tessary lives in the system tray and waits for its hot key."),
    QStringLiteral("Press Ctrl+Alt+A to freeze every display, then drag out a region."),
    QStringLiteral("The toolbar under the selection offers shapes, arrows and text,"),
    QStringLiteral("a mosaic brush, eight colours and three line weights."),
    QStringLiteral("Finish with Return to copy the image, or save it as a PNG file."),
    QStringLiteral("Recognised text goes to the clipboard in reading order (v2.4, 100%)."),
    QStringLiteral("Scrolling capture stitches long pages into one image."),
};

const QStringList chineseParagraph = {
    QStringLiteral("截图工具常驻在系统托盘中，按下快捷键即可冻结所有屏幕。"),
    QStringLiteral("拖动鼠标选择一个区域，然后在工具栏中选择需要的操作。"),
    QStringLiteral("识别出的文字会按照阅读顺序复制到剪贴板。"),
    QStringLiteral("长截图功能可以把滚动的页面拼接成一张完整的图片。"),
    QStringLiteral("翻译功能会把识别到的段落翻译后覆盖在原文上方。"),
};

const QStringList japaneseParagraph = {
    QStringLiteral("このアプリはシステムトレイに常駐し、ショートカットキーで起動します。"),
    QStringLiteral("範囲を選択すると、ツールバーから保存やコピーを選べます。"),
    QStringLiteral("認識した文字は読む順番でクリップボードにコピーされます。"),
    QStringLiteral("スクロールキャプチャは長いページを一枚の画像にまとめます。"),
    QStringLiteral("設定画面では保存先のフォルダーを変更できます。"),
};

struct ParagraphCase {
    const char* name;
    QStringList lines;
    QString family;
    int pixelSize;
    double minimumAccuracy;
};

// Screen text at 100 % zoom, in the sizes user interfaces use.
TEST(TextRecognizerTest, ReadsParagraphsAtScreenSizes) {
    const std::vector<ParagraphCase> cases = {
        {"English, DejaVu Sans 15 px", englishParagraph, latinFont, 15, 0.98},
        {"Simplified Chinese, Noto Sans CJK SC 16 px", chineseParagraph, chineseFont, 16, 0.95},
        {"Japanese, Noto Sans CJK JP 16 px", japaneseParagraph, japaneseFont, 16, 0.95},
    };
    for (const ParagraphCase& c : cases) {
        ASSERT_TRUE(RenderedText::available(c.family)) << c.family.toStdString();
        const QString text = recognize(RenderedText::paragraph(c.lines, c.family, c.pixelSize));
        const double accuracy = RenderedText::characterAccuracy(text, c.lines.join(QLatin1Char('\n')));
        std::cout << "[ accuracy ] " << c.name << ": " << accuracy * 100 << " %\n";
        EXPECT_GE(accuracy, c.minimumAccuracy) << c.name << "\n" << text.toStdString();
    }
}

struct MixedLineCase {
    QString text;
    QString family;
};

// Each line is read by one language's model; a line mixing scripts must still come out whole,
// whichever language the line before was in.
TEST(TextRecognizerTest, ReadsLinesThatMixScripts) {
    const std::vector<MixedLineCase> cases = {
        {QStringLiteral("Press 快捷键 to start a capture"), chineseFont},
        {QStringLiteral("按下 Ctrl+Alt+A 即可冻结所有屏幕"), chineseFont},
        {QStringLiteral("Version 2.4 更新说明"), chineseFont},
        {QStringLiteral("設定画面で Dark mode を選べます"), japaneseFont},
        {QStringLiteral("OCR 结果已复制到剪贴板"), chineseFont},
    };
    std::vector<RenderedText::Run> runs;
    QStringList lines;
    for (const MixedLineCase& c : cases) {
        const QImage single = RenderedText::render(QSize(460, 60), {{c.text, c.family, 16, {20, 36}}});
        EXPECT_GE(RenderedText::characterAccuracy(recognize(single), c.text), 0.95) << c.text.toStdString();
        runs.push_back({c.text, c.family, 16, {20, 36 + int(runs.size()) * 30}});
        lines << c.text;
    }
    // The same lines one after another on one page.
    const QString page = recognize(RenderedText::render(QSize(460, 190), runs));
    EXPECT_GE(RenderedText::characterAccuracy(page, lines.join(QLatin1Char('\n'))), 0.95)
        << page.toStdString();
}

TEST(TextRecognizerTest, ReadsTwoColumnsRowByRow) {
    const QStringList left = {QStringLiteral("Open the preferences"), QStringLiteral("Choose a hot key"),
                              QStringLiteral("Pick a save folder"), QStringLiteral("Sign in to translate")};
    const QStringList right = {QStringLiteral("General settings"), QStringLiteral("Capture settings"),
                               QStringLiteral("Output settings"), QStringLiteral("Account settings")};
    std::vector<RenderedText::Run> runs;
    QStringList expected;
    for (int row = 0; row < left.size(); ++row) {
        const int baseline = 40 + row * 28;
        runs.push_back({left[row], latinFont, 16, {20, baseline}});
        runs.push_back({right[row], latinFont, 16, {420, baseline}});
        expected << left[row] << right[row];
    }
    const QString text = recognize(RenderedText::render(QSize(700, 160), runs));
    // Each cell is a line of its own, the cells of a row side by side.
    EXPECT_GE(RenderedText::characterAccuracy(text, expected.join(QLatin1Char('\n'))), 0.95)
        << text.toStdString();
}

struct OneLineCase {
    const char* name;
    int rightWordRise; // pixels the right word sits higher than the left one
    bool leftFirst;
};

TEST(TextRecognizerTest, OrdersWordsOnOneVisualLineLeftToRight) {
    const std::vector<OneLineCase> cases = {
        {"same baseline", 0, true},
        {"right word a little higher", 3, true},
        {"right word a full line higher", 40, false},
    };
    for (const OneLineCase& c : cases) {
        const std::vector<RenderedText::Run> runs = {
            {QStringLiteral("Alpha"), latinFont, 18, {20, 80}},
            {QStringLiteral("Omega"), latinFont, 18, {560, 80 - c.rightWordRise}},
        };
        const QString text = recognize(RenderedText::render(QSize(700, 110), runs));
        const qsizetype alpha = text.indexOf(QStringLiteral("Alpha"));
        const qsizetype omega = text.indexOf(QStringLiteral("Omega"));
        ASSERT_GE(alpha, 0) << c.name << ": " << text.toStdString();
        ASSERT_GE(omega, 0) << c.name << ": " << text.toStdString();
        EXPECT_EQ(alpha < omega, c.leftFirst) << c.name << ": " << text.toStdString();
    }
}

struct BlankCase {
    const char* name;
    QImage image;
};

TEST(TextRecognizerTest, ImagesWithoutTextYieldEmptyText) {
    QImage white(640, 360, QImage::Format_RGB32);
    white.fill(Qt::white);
    QImage grey(300, 200, QImage::Format_Grayscale8);
    grey.fill(90);
    QImage transparent(200, 100, QImage::Format_ARGB32_Premultiplied);
    transparent.fill(Qt::transparent);
    const std::vector<BlankCase> cases = {
        {"white page", white},
        {"flat grey", grey},
        {"fully transparent", transparent},
        {"one pixel", QImage(1, 1, QImage::Format_RGB32)},
        {"null image", QImage()},
    };
    for (const BlankCase& c : cases) {
        EXPECT_EQ(recognize(c.image), QString()) << c.name;
    }
}

struct LookCase {
    const char* name;
    QString text;
    QString family;
    QColor paper;
    QColor ink;
    QImage::Format format;
};

// Screenshots come in every colour scheme and sometimes with an alpha channel.
TEST(TextRecognizerTest, ReadsTextWhateverItsColours) {
    const QString english = QStringLiteral("Copy the selection to the clipboard");
    const QString chinese = QStringLiteral("把选区里的文字复制到剪贴板");
    const std::vector<LookCase> cases = {
        {"black on white", english, latinFont, Qt::white, Qt::black, QImage::Format_RGB32},
        {"white on dark grey", english, latinFont, QColor(30, 30, 30), Qt::white, QImage::Format_RGB32},
        {"grey on blue", english, latinFont, QColor(20, 60, 140), QColor(230, 230, 230),
         QImage::Format_RGB32},
        {"black on transparent", english, latinFont, Qt::transparent, Qt::black,
         QImage::Format_ARGB32_Premultiplied},
        {"Chinese, light on dark", chinese, chineseFont, QColor(40, 44, 52), QColor(220, 220, 220),
         QImage::Format_RGB32},
    };
    for (const LookCase& c : cases) {
        const QImage image = RenderedText::render(QSize(420, 60), {{c.text, c.family, 16, {20, 36}}}, c.paper,
                                                  c.ink, c.format);
        EXPECT_GE(RenderedText::characterAccuracy(recognize(image), c.text), 0.95) << c.name;
    }
}

// A dark panel inside a light page (a sidebar, a code block): both parts are read.
TEST(TextRecognizerTest, ReadsLightAndDarkPartsOfOnePage) {
    const QString light = QStringLiteral("Settings are saved automatically");
    const QString dark = QStringLiteral("Press the hot key to start a capture");
    QImage image = RenderedText::render(QSize(520, 200), {{light, latinFont, 16, {20, 40}}});
    {
        QPainter painter(&image);
        painter.fillRect(QRect(0, 100, 520, 100), QColor(25, 25, 25));
        painter.setPen(Qt::white);
        painter.setFont(RenderedText::font(latinFont, 16));
        painter.drawText(20, 156, dark);
    }
    const QString text = recognize(image);
    EXPECT_GE(RenderedText::characterAccuracy(text, light + QLatin1Char('\n') + dark), 0.95)
        << text.toStdString();
}

TEST(TextRecognizerTest, LineBoxesAreNormalisedWithTheOriginAtTheBottomLeft) {
    TesseractEngine engine(TesseractEngine::defaultDataPath());
    // One word in the top-left quarter of a 800 × 400 image.
    const QImage image =
        RenderedText::render(QSize(800, 400), {{QStringLiteral("Corner"), latinFont, 20, {40, 80}}});
    const std::vector<tessary::RecognizedLine> lines = engine.recognizeLines(image, nullptr);
    ASSERT_EQ(lines.size(), 1u);
    const tessary::Rect box = lines[0].boundingBox;
    EXPECT_EQ(lines[0].text, "Corner");
    EXPECT_NEAR(box.minX(), 40.0 / 800, 0.01);
    EXPECT_LT(box.maxX(), 0.25);
    // Glyphs span about rows 65..80 of 400: y up puts them near the top, around 0.8..0.84.
    EXPECT_NEAR(box.maxY(), 1 - 64.0 / 400, 0.02);
    EXPECT_NEAR(box.minY(), 1 - 80.0 / 400, 0.02);
}

TEST(TextRecognizerTest, ConcurrentRequestsEachGetTheirOwnText) {
    RecognitionWorker worker(TesseractEngine::defaultDataPath());
    const QImage english = RenderedText::paragraph(englishParagraph.mid(0, 2), latinFont, 16);
    const QImage chinese = RenderedText::paragraph(chineseParagraph.mid(0, 2), chineseFont, 16);
    QFuture<QString> first = worker.submit(english);
    QFuture<QString> second = worker.submit(chinese);
    QFuture<QString> third = worker.submit(english);
    EXPECT_GE(RenderedText::characterAccuracy(first.result(), englishParagraph.mid(0, 2).join('\n')), 0.95);
    EXPECT_GE(RenderedText::characterAccuracy(second.result(), chineseParagraph.mid(0, 2).join('\n')), 0.95);
    EXPECT_EQ(third.result(), first.result());
}

TEST(TextRecognizerTest, ShuttingDownFailsPendingRequestsInsteadOfHanging) {
    QFuture<QString> running;
    QFuture<QString> queued;
    {
        RecognitionWorker worker(TesseractEngine::defaultDataPath());
        // Engine loaded first, so that the shutdown meets a recognition under way.
        worker.submit(RenderedText::paragraph({QStringLiteral("warm")}, latinFont, 16)).waitForFinished();
        const QImage page = RenderedText::paragraph(englishParagraph + chineseParagraph, chineseFont, 16);
        running = worker.submit(page);
        queued = worker.submit(page);
        QThread::msleep(100);
    }
    for (QFuture<QString>* future : {&running, &queued}) {
        ASSERT_TRUE(future->isFinished());
        try {
            future->waitForFinished();
            // A request served before the shutdown is fine too.
            EXPECT_EQ(future->resultCount(), 1);
        } catch (const TextRecognitionError& error) {
            EXPECT_EQ(error.kind(), TextRecognitionError::Kind::cancelled);
        }
    }
}

struct DataCase {
    const char* name;
    // Files to place in the data directory: name → bytes (empty map: an empty directory).
    std::vector<std::pair<QString, QByteArray>> files;
    bool directoryExists;
    TextRecognitionError::Kind kind;
    QStringList packages;
};

TEST(TextRecognizerTest, MissingOrDamagedLanguageDataIsAFailureNamingThePackages) {
    const QStringList allPackages = {QStringLiteral("tesseract-ocr-jpn"),
                                     QStringLiteral("tesseract-ocr-chi-sim"),
                                     QStringLiteral("tesseract-ocr-eng")};
    QFile real(QDir(TesseractEngine::defaultDataPath()).filePath(QStringLiteral("eng.traineddata")));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray truncated = real.read(200000);
    const std::vector<DataCase> cases = {
        {"empty directory", {}, true, TextRecognitionError::Kind::languageDataMissing, allPackages},
        {"only the script detector",
         {{QStringLiteral("osd.traineddata"), "x"}},
         true,
         TextRecognitionError::Kind::languageDataMissing,
         allPackages},
        {"no such directory", {}, false, TextRecognitionError::Kind::languageDataUnreadable, allPackages},
        {"empty file",
         {{QStringLiteral("eng.traineddata"), QByteArray()}},
         true,
         TextRecognitionError::Kind::languageDataUnreadable,
         {QStringLiteral("tesseract-ocr-eng")}},
        {"garbage",
         {{QStringLiteral("chi_sim.traineddata"), QByteArray(4096, '\x7f')}},
         true,
         TextRecognitionError::Kind::languageDataUnreadable,
         {QStringLiteral("tesseract-ocr-chi-sim")}},
        {"truncated",
         {{QStringLiteral("eng.traineddata"), truncated}},
         true,
         TextRecognitionError::Kind::languageDataUnreadable,
         {QStringLiteral("tesseract-ocr-eng")}},
    };
    const QImage page = RenderedText::paragraph(englishParagraph.mid(0, 1), latinFont, 16);
    for (const DataCase& c : cases) {
        QTemporaryDir dir;
        for (const auto& [name, bytes] : c.files) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        const QString path = c.directoryExists ? dir.path() : dir.filePath(QStringLiteral("missing"));
        RecognitionWorker worker(path);
        // Twice: a failed load must not leave a half-made engine behind.
        for (int attempt = 0; attempt < 2; ++attempt) {
            QFuture<QString> future = worker.submit(page);
            try {
                future.waitForFinished();
                ADD_FAILURE() << c.name << ": recognised without language data";
            } catch (const TextRecognitionError& error) {
                EXPECT_EQ(error.kind(), c.kind) << c.name;
                EXPECT_EQ(error.packages(), c.packages) << c.name;
                for (const QString& package : c.packages) {
                    EXPECT_TRUE(error.localizedDescription().contains(package)) << c.name;
                }
            }
        }
    }
}

} // namespace
