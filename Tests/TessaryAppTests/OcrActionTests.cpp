#include "RenderedText.h"

#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "Recognition/OcrAction.h"
#include "Recognition/TextRecognizer.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

namespace {

struct CountCase {
    const char* name;
    QString text;
    int expected;
};

TEST(OcrActionTest, CountsUserPerceivedCharacters) {
    const std::vector<CountCase> cases = {
        {"empty", QString(), 0},
        {"ASCII with a line feed", QStringLiteral("ab\ncd"), 5},
        {"CRLF is one character", QStringLiteral("a\r\nb"), 3},
        {"Han", QStringLiteral("截图工具"), 4},
        {"e with a combining acute", QStringLiteral("e\u0301t\u00e9"), 3},
        {"astral Han", QStringLiteral("\U00020000\U00020001"), 2},
        {"flag and skin-toned thumb", QStringLiteral("\U0001F1EF\U0001F1F5\U0001F44D\U0001F3FD"), 2},
    };
    for (const CountCase& c : cases) {
        EXPECT_EQ(OcrAction::characterCount(c.text), c.expected) << c.name;
    }
}

TEST(OcrActionTest, ContentLogMarksEveryLineFeed) {
    EXPECT_EQ(OcrAction::logForm(QStringLiteral("one\ntwo")), QStringLiteral("one \u23CE two"));
    EXPECT_EQ(OcrAction::logForm(QStringLiteral("\n\nx\n")), QStringLiteral(" \u23CE  \u23CE x \u23CE "));
    EXPECT_EQ(OcrAction::logForm(QStringLiteral("no breaks")), QStringLiteral("no breaks"));
}

// Runs the action with the log sent to a scratch file; returns the notice and the log's lines.
struct Outcome {
    QString notice;
    int noticeCalls = 0;
    QStringList log;
};

Outcome runAction(const QImage& image, const QString& dataPath = {}) {
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("ocr.log"));
    const QString previousLog = Log::filePath();
    Log::setFilePath(logPath);
    Outcome outcome;
    TextRecognizer recognizer(dataPath);
    QCoro::waitFor(OcrAction::run(recognizer, image, [&outcome](const QString& notice) {
        outcome.notice = notice;
        ++outcome.noticeCalls;
    }));
    Log::setFilePath(previousLog);
    QFile file(logPath);
    if (file.open(QIODevice::ReadOnly)) {
        outcome.log = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    return outcome;
}

bool logHas(const Outcome& outcome, const QString& level, const QString& text) {
    for (const QString& line : outcome.log) {
        if (line.endsWith(QLatin1Char(' ') + level + QLatin1Char(' ') + text)) {
            return true;
        }
    }
    return false;
}

TEST(OcrActionTest, CopiesRecognisedTextAndReportsItsLength) {
    const QStringList lines = {QStringLiteral("Recognised text goes to the clipboard."),
                               QStringLiteral("It keeps the reading order.")};
    const QImage image = RenderedText::paragraph(lines, QStringLiteral("DejaVu Sans"), 16);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    const Outcome outcome = runAction(image);

    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_GE(RenderedText::characterAccuracy(copied, lines.join(QLatin1Char('\n'))), 0.95)
        << copied.toStdString();
    const int count = OcrAction::characterCount(copied);
    EXPECT_EQ(outcome.noticeCalls, 1);
    EXPECT_EQ(outcome.notice, L10n::format(QStringLiteral("ocr.copied"), {QString::number(count)}));
    EXPECT_TRUE(
        logHas(outcome, QStringLiteral("info"),
               QStringLiteral("提取文字：开始识别 %1x%2 像素。").arg(image.width()).arg(image.height())));
    EXPECT_TRUE(logHas(outcome, QStringLiteral("info"),
                       QStringLiteral("提取文字：识别到 %1 个字符，已写剪贴板。").arg(count)));
    EXPECT_TRUE(logHas(outcome, QStringLiteral("info"),
                       QStringLiteral("提取文字·内容：") +
                           QString(copied).replace('\n', QStringLiteral(" \u23CE "))));
}

TEST(OcrActionTest, NoTextLeavesTheClipboardAlone) {
    QImage blank(500, 300, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QGuiApplication::clipboard()->setText(QStringLiteral("kept from before"));
    const Outcome outcome = runAction(blank);

    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept from before"));
    EXPECT_EQ(outcome.noticeCalls, 1);
    EXPECT_EQ(outcome.notice, L10n::text(QStringLiteral("ocr.empty")));
    EXPECT_TRUE(
        logHas(outcome, QStringLiteral("info"), QStringLiteral("提取文字：识别到 0 个字符，未写剪贴板。")));
    EXPECT_TRUE(logHas(outcome, QStringLiteral("info"), QStringLiteral("提取文字·内容：")));
}

TEST(OcrActionTest, AFailureReachesTheUserWithItsDescription) {
    QTemporaryDir emptyData;
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    const Outcome outcome =
        runAction(RenderedText::paragraph({QStringLiteral("Some text")}, QStringLiteral("DejaVu Sans"), 16),
                  emptyData.path());

    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    EXPECT_EQ(outcome.noticeCalls, 1);
    const QString failedPrefix = L10n::format(QStringLiteral("ocr.failed"), {QString()});
    ASSERT_TRUE(outcome.notice.startsWith(failedPrefix)) << outcome.notice.toStdString();
    const QString description = outcome.notice.mid(failedPrefix.size());
    EXPECT_TRUE(description.contains(QStringLiteral("tesseract-ocr-eng"))) << description.toStdString();
    EXPECT_TRUE(logHas(outcome, QStringLiteral("error"), QStringLiteral("提取文字失败：") + description));
    // The localised tables of every language carry the action's keys.
    for (const L10n::Language language : L10n::allLanguages()) {
        for (const char* key : {"ocr.empty", "ocr.copied", "ocr.failed", "ocr.error.languageDataMissing"}) {
            EXPECT_NE(L10n::text(language, QString::fromLatin1(key)), QString::fromLatin1(key)) << key;
        }
    }
}

} // namespace
