#include "FakePlatformScope.h"
#include "LoopbackChatServer.h"
#include "OverlayTestSupport.h"
#include "RenderedText.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/L10n.h"
#include "Overlay/Bars/NoticeBarView.h"
#include "Overlay/Bars/ToolButton.h"
#include "Overlay/Bars/ToolbarView.h"
#include "Overlay/Session/TranslationSession.h"
#include "Recognition/TextRecognizer.h"
#include "Translation/DeepSeekTranslationEngine.h"
#include "Translation/TranslationProgressPanel.h"
#include "Translation/TranslationTextLayer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace OverlayTest;
using tessary::Rect;

namespace {

TextRecognizer& textRecognizer() {
    static TextRecognizer recognizer;
    return recognizer;
}

// Two rows of a settings page, far enough apart to be two paragraphs, on a 600 × 200 display.
CapturedDisplay settingsDisplay() {
    CapturedDisplay display;
    display.image = RenderedText::render(
        {600, 200}, {{QStringLiteral("Save images as PNG"), QStringLiteral("DejaVu Sans"), 20, {40, 60}},
                     {QStringLiteral("Open the settings"), QStringLiteral("DejaVu Sans"), 20, {40, 140}}});
    display.frame = {0, 0, 600, 200};
    display.geometry = QRect(0, 0, 600, 200);
    return display;
}

// The reply of a chat-completions server translating `texts` in order.
LoopbackChatServer::Response answer(const QStringList& texts) {
    QJsonArray items;
    for (int i = 0; i < texts.size(); ++i) {
        items.append(QJsonObject{{"id", i}, {"text", texts[i]}});
    }
    return LoopbackChatServer::chat(
        QString::fromUtf8(QJsonDocument(QJsonObject{{"items", items}}).toJson(QJsonDocument::Compact)));
}

// A canvas over the settings page with the whole page selected and its toolbar up, and a
// session whose DeepSeek engine talks to `server` (a local server needs no key).
struct Fixture {
    explicit Fixture(LoopbackChatServer& server)
        : canvas(settingsDisplay(), {}), session(textRecognizer(), std::nullopt) {
        canvas.setSelection(Rect{10, 10, 580, 180});
        canvas.showBars();
        const QString base = server.baseURL();
        session.setEngineFactory([base](tessary::TranslationEngineKind) {
            DeepSeekTranslationEngine::Options options;
            options.model = QStringLiteral("deepseek-flash");
            options.baseURL = base;
            options.readKey = []() -> QCoro::Task<std::optional<QString>> { co_return std::nullopt; };
            return std::make_shared<DeepSeekTranslationEngine>(options);
        });
    }
    void press() { session.toggle(&canvas, canvas.captureOutput(ToolKind::translate)); }
    ToolButton* button() const { return canvas.toolbar()->button(ToolKind::translate); }
    bool logged(const QString& line) const { return scope.logLines().contains(line); }
    bool loggedStart(const QString& start) const {
        const QStringList lines = scope.logLines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return line.startsWith(start); });
    }

    FakePlatformScope scope;
    SelectionCanvasView canvas;
    TranslationSession session;
};

} // namespace

TEST(TranslationSession, TranslatesInPlaceThenTogglesBackToTheSource) {
    LoopbackChatServer server;
    server.script({answer({QStringLiteral("将图片存为 PNG"), QStringLiteral("打开设置")})});
    Fixture f(server);
    const QImage source = f.canvas.renderedImage();

    f.press();
    // While it runs: the button cannot be pressed again and the panel says why.
    EXPECT_FALSE(f.button()->isActionable());
    ASSERT_NE(f.session.progressPanel(), nullptr);
    EXPECT_TRUE(f.session.progressPanel()->isVisible());
    EXPECT_EQ(f.session.progressPanel()->text(), L10n::text(QStringLiteral("translate.progress")));

    ASSERT_TRUE(spinUntil([&] { return !f.session.isRunning(); }, 30000));
    ASSERT_TRUE(f.canvas.translation().has_value()) << f.scope.logLines().join('\n').toStdString();
    EXPECT_EQ(f.canvas.translation()->coveringBlocks().size(), 2u);
    EXPECT_TRUE(f.button()->isActionable());
    EXPECT_TRUE(f.button()->isSelected());
    EXPECT_EQ(f.session.progressPanel(), nullptr);
    EXPECT_TRUE(f.loggedStart(QStringLiteral("翻译：完成，共 ")));
    // Both rows went out in one request; the copied picture carries the translation.
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(server.requests()[0].body.contains("Save images as PNG"));
    EXPECT_TRUE(server.requests()[0].body.contains("Open the settings"));
    EXPECT_NE(f.canvas.renderedImage(), source);

    // Pressed again: the source comes back without asking the server.
    f.press();
    EXPECT_FALSE(f.canvas.translation().has_value());
    EXPECT_FALSE(f.button()->isSelected());
    EXPECT_EQ(f.canvas.renderedImage(), source);
    EXPECT_TRUE(f.logged(QStringLiteral("翻译：用户收起译文，恢复原图。")));
    EXPECT_EQ(server.requests().size(), 1);
}

TEST(TranslationSession, FailuresShowTheirReasonAndCancelledRunsNeverDeliver) {
    LoopbackChatServer server;
    // One answer for two texts, then a full answer that a cancelled run must never receive.
    server.script({answer({QStringLiteral("打开设置")}),
                   answer({QStringLiteral("将图片存为 PNG"), QStringLiteral("打开设置")})});
    Fixture f(server);

    f.press();
    ASSERT_TRUE(spinUntil([&] { return !f.session.isRunning(); }, 30000));
    EXPECT_FALSE(f.canvas.translation().has_value());
    EXPECT_TRUE(f.loggedStart(QStringLiteral("翻译失败：")));
    ASSERT_NE(f.canvas.noticeBar(), nullptr);
    EXPECT_TRUE(f.canvas.noticeBar()->isVisibleTo(&f.canvas));
    EXPECT_TRUE(f.button()->isActionable());

    // Cancelled while the page is being read (as closing the overlays does): the button and panel
    // come back at once, the request is never sent and nothing arrives later.
    f.press();
    f.session.cancel();
    EXPECT_FALSE(f.session.isRunning());
    EXPECT_TRUE(f.button()->isActionable());
    EXPECT_EQ(f.session.progressPanel(), nullptr);
    EXPECT_TRUE(f.logged(QStringLiteral("翻译：已取消（用户关掉覆盖层或又点了一次）。")));
    spin(3000);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_FALSE(f.canvas.translation().has_value());
}

TEST(TranslationSession, SelectableWordsShowOnlyInsideTheSelectionAfterItChanges) {
    LoopbackChatServer server;
    server.script({answer({QStringLiteral("将图片存为 PNG"), QStringLiteral("打开设置")})});
    Fixture f(server);
    f.canvas.resize(600, 200);
    f.press();
    ASSERT_TRUE(spinUntil([&] { return !f.session.isRunning(); }, 30000));
    const TranslationTextLayer* layer = f.canvas.translationLayer().textLayer();
    ASSERT_NE(layer, nullptr) << "selectable text is on by default";
    ASSERT_EQ(layer->textViews().size(), 2u);
    const QRect upper = layer->textViews()[0]->geometry();
    const QRect lower = layer->textViews()[1]->geometry();
    ASSERT_LT(upper.bottom(), lower.top());

    // What shows of the words, and takes presses, is the layer's mask: it must stay inside the
    // selection, and show all of what the selection holds. (The toolbar, below the selection, is
    // hidden so that it does not stand in the way of the presses.)
    const auto check = [&](const QRect& inside, const QRect& outside) {
        f.canvas.toolbar()->hide();
        const QRect selected =
            CoordinateSpace::toWidget(*f.canvas.selection(), f.canvas.height()).toAlignedRect();
        EXPECT_TRUE(layer->mask().subtracted(QRegion(selected)).isEmpty());
        EXPECT_TRUE(layer->mask().contains(inside));
        EXPECT_FALSE(layer->mask().intersects(outside));
        EXPECT_TRUE(layer->isAncestorOf(f.canvas.childAt(inside.center())));
        EXPECT_FALSE(layer->isAncestorOf(f.canvas.childAt(outside.center())));
    };

    // The user drags the bottom edge up between the rows: the lower row leaves the selection.
    const double between = 200 - (upper.bottom() + lower.top()) / 2.0;
    dragFromTo(&f.canvas, {300, 10}, {300, between});
    ASSERT_NEAR(f.canvas.selection()->minY(), between, 0.5);
    ASSERT_TRUE(f.canvas.translation()) << "resizing keeps the translation";
    check(upper, lower);

    // Then moves the selection down over the lower row: the words stay over their source text,
    // and now only the lower ones show.
    dragFromTo(&f.canvas, {500, 150}, {500, 50});
    ASSERT_NEAR(f.canvas.selection()->minY(), between - 100, 0.5);
    ASSERT_TRUE(f.canvas.translation()) << "moving keeps the translation";
    EXPECT_EQ(layer->textViews()[1]->geometry(), lower);
    check(lower, upper);
}
