#include "FakePlatformScope.h"
#include "OverlayTestSupport.h"

#include "Overlay/Bars/NoticeBarView.h"
#include "Overlay/Session/CopyableTextView.h"
#include "Overlay/Session/NoticePanel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using namespace OverlayTest;
using tessary::Rect;

namespace {

// The offscreen screen's visible frame in global points.
Rect visibleFrame() {
    return CoordinateSpace::fromQtGlobal(QRectF(QGuiApplication::primaryScreen()->availableGeometry()));
}

} // namespace

TEST(NoticePanel, StaysLongerForLongerTextAndLongestWithAnAction) {
    const struct {
        int characters;
        bool clickable;
        double seconds;
    } cases[] = {{10, false, 3}, {40, false, 6.4}, {100, false, 9}, {10, true, 12}};
    for (const auto& c : cases) {
        NoticePanel panel(QString(c.characters, QLatin1Char('a')), std::nullopt,
                          c.clickable ? std::function<void()>([] {}) : std::function<void()>());
        EXPECT_DOUBLE_EQ(panel.displaySeconds(), c.seconds) << c.characters;
    }
    // Characters as a reader counts them: one flag emoji and one accented letter are two.
    EXPECT_EQ(NoticePanel::characterCount(QStringLiteral("🇫🇷e\u0301")), 2);
}

TEST(NoticePanel, PlacedUnderTheAnchorAboveItNearTheBottomOrCentred) {
    const Rect v = visibleFrame();
    const struct {
        const char* name;
        std::optional<Rect> anchor;
        double expectedY;
        std::optional<double> expectedMidX;
    } cases[] = {
        {"under the selection", Rect{v.minX() + 100, v.minY() + 300, 400, 200}, v.minY() + 300 - 42,
         v.minX() + 300},
        {"above a selection near the bottom", Rect{v.minX() + 100, v.minY() + 20, 400, 200}, v.minY() + 232,
         v.minX() + 300},
        {"centred 80 points above the bottom", std::nullopt, v.minY() + 80, v.midX()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NoticePanel panel(QStringLiteral("Copied 12 characters"), c.anchor);
        const Rect frame = panel.globalFrame();
        EXPECT_DOUBLE_EQ(frame.minY(), c.expectedY);
        EXPECT_DOUBLE_EQ(frame.midX(), *c.expectedMidX);
        EXPECT_EQ(CoordinateSpace::fromQtGlobal(QRectF(panel.geometry())), frame)
            << "the window is where the frame says";
    }
}

TEST(NoticePanel, LongTextIsCutAtTheScreenWidth) {
    NoticePanel panel(QString(400, QLatin1Char('w')), std::nullopt);
    EXPECT_EQ(panel.width(), int(visibleFrame().width - 80));
    EXPECT_TRUE(panel.bar()->displayedText().endsWith(QChar(0x2026)));
    EXPECT_EQ(panel.bar()->toolTip(), panel.bar()->text()) << "the whole text stays readable";
}

TEST(NoticePanel, ANewNoticeReplacesTheVisibleOneAndIsLogged) {
    FakePlatformScope scope;
    QPointer<NoticePanel> first = NoticePanel::show(QStringLiteral("first"));
    ASSERT_EQ(NoticePanel::visible(), first.data());
    EXPECT_TRUE(first->isVisible());
    QPointer<NoticePanel> second = NoticePanel::show(QStringLiteral("second"), std::nullopt, {}, false);
    EXPECT_EQ(NoticePanel::visible(), second.data());
    EXPECT_TRUE(first.isNull() || !first->isVisible());
    EXPECT_TRUE(scope.logLines().contains(QStringLiteral("提示：first")));
    EXPECT_FALSE(scope.logLines().contains(QStringLiteral("提示：second"))) << "its sender logs it";
    second->dismiss();
    EXPECT_EQ(NoticePanel::visible(), nullptr);
}

TEST(NoticePanel, AClickRunsTheActionAndDismisses) {
    int clicks = 0;
    QPointer<NoticePanel> panel =
        NoticePanel::show(QStringLiteral("Open settings"), std::nullopt, [&] { ++clicks; });
    NoticeBarView* bar = panel->bar();
    press(bar, {20, 15});
    EXPECT_EQ(clicks, 0) << "the action runs on release";
    release(bar, {20, 15});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(NoticePanel::visible(), nullptr);
    spin(10);
    EXPECT_TRUE(panel.isNull());

    // Released outside the bar: nothing.
    panel = NoticePanel::show(QStringLiteral("Open settings"), std::nullopt, [&] { ++clicks; });
    press(panel->bar(), {20, 15});
    release(panel->bar(), {-30, 15});
    EXPECT_EQ(clicks, 1);
    panel->dismiss();
}

TEST(NoticePanel, FadesOutAfterItsTime) {
    NoticePanel* panel = NoticePanel::show(QStringLiteral("short"));
    QPointer<NoticePanel> watched(panel);
    EXPECT_FALSE(spinUntil([&] { return watched.isNull(); }, 2800)) << "still there before 3 s";
    EXPECT_TRUE(spinUntil([&] { return watched.isNull(); }, 1500)) << "gone after 3 s and the 0.25 s fade";
}

TEST(CopyableTextView, OnlyPlainCtrlCCopiesTheSelection) {
    CopyableTextView view;
    view.setPlainText(QStringLiteral("first line\nsecond"));
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));

    key(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QStringLiteral("before")) << "nothing selected, nothing copied";

    view.selectAll();
    const struct {
        Qt::KeyboardModifiers modifiers;
        bool copies;
    } cases[] = {
        {Qt::ControlModifier | Qt::ShiftModifier, false},
        {Qt::ControlModifier | Qt::AltModifier, false},
        {Qt::NoModifier, false},
        {Qt::ControlModifier | Qt::KeypadModifier, true},
        {Qt::ControlModifier, true},
    };
    for (const auto& c : cases) {
        clipboard->setText(QStringLiteral("before"));
        QKeyEvent event(QEvent::KeyPress, Qt::Key_C, c.modifiers, QStringLiteral("c"));
        EXPECT_EQ(view.copyIfCommandC(&event, clipboard), c.copies) << int(c.modifiers);
        EXPECT_EQ(clipboard->text(),
                  c.copies ? QStringLiteral("first line\nsecond") : QStringLiteral("before"));
    }
}
