#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "Overlay/Bars/NoticeBarView.h"
#include "Overlay/QR/QrCopyAction.h"
#include "Overlay/Session/NoticePanel.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(QrCopyActionTest, NothingHappensWithoutPayloadsOrSelection) {
    const struct {
        const char* name;
        QStringList payloads;
        std::optional<tessary::Rect> selection;
    } cases[] = {
        {"no payloads", {}, tessary::Rect{10, 10, 100, 100}},
        {"no selection", {QStringLiteral("x")}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        int finished = 0;
        EXPECT_FALSE(QrCopyAction::perform(c.payloads, c.selection, [&] { ++finished; }));
        EXPECT_EQ(finished, 0);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    }
}

TEST(QrCopyActionTest, CopiesJoinedPayloadsAsPlainTextAfterTheSessionEnds) {
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("qr.log"));
    const QString previous = Log::filePath();
    Log::setFilePath(logPath);

    const QStringList payloads{QStringLiteral("<a href=\"https://evil.example\">click</a>"),
                               QStringLiteral("line one\nline two"), QStringLiteral("100%1 %2")};
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QString clipboardAtFinish;
    const bool done = QrCopyAction::perform(payloads, tessary::Rect{100, 200, 300, 150}, [&] {
        clipboardAtFinish = QGuiApplication::clipboard()->text();
    });
    Log::setFilePath(previous);

    ASSERT_TRUE(done);
    EXPECT_EQ(clipboardAtFinish, QStringLiteral("before"));
    const QString joined =
        QStringLiteral("<a href=\"https://evil.example\">click</a>\n\nline one\nline two\n\n100%1 %2");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), joined);
    const QClipboard* clipboard = QGuiApplication::clipboard();
    EXPECT_FALSE(clipboard->mimeData()->hasHtml());

    // The notice carries the payloads verbatim on one line; placeholders inside them stay as typed.
    const QString oneLine =
        QStringLiteral("<a href=\"https://evil.example\">click</a> ·  · line one · line two ·  · 100%1 %2");
    ASSERT_NE(NoticePanel::visible(), nullptr);
    const QString notice = NoticePanel::visible()->bar()->text();
    EXPECT_TRUE(notice.contains(oneLine)) << notice.toStdString();
    EXPECT_EQ(notice, L10n::text(QStringLiteral("qr.copied")).replace(QStringLiteral("%1"), oneLine));
    NoticePanel::visible()->dismiss();

    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(log.readAll()).contains(QStringLiteral("提示：") + notice));
}
