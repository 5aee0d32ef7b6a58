#include "FakePlatformScope.h"

#include "Foundation/Fonts.h"
#include "Foundation/Theme.h"
#include "Overlay/Bars/ToolKind.h"
#include "Overlay/Session/ClickTrace.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSettings>
#include <QWidget>

#include <gtest/gtest.h>

TEST(Fonts, FallbackIsLoggedWithTheIndexOfTheCandidateUsed) {
    FakePlatformScope scope;
    const QString family = QFontDatabase::families().value(0);
    ASSERT_FALSE(family.isEmpty());
    const auto none = [] { return std::optional<QFont>(); };
    const auto some = [&] { return std::optional<QFont>(QFont(family)); };

    const QFont first = Fonts::resolve(QStringLiteral("first"), {some, none});
    EXPECT_EQ(first.family(), family);
    EXPECT_TRUE(scope.logLines().filter(QStringLiteral("字体")).isEmpty()) << "the first candidate is silent";

    Fonts::resolve(QStringLiteral("systemFont(size: 13.0, weight: medium)"), {none, some});
    Fonts::resolve(QStringLiteral("third"), {none, none, some});
    const QStringList lines = scope.logLines();
    EXPECT_TRUE(lines.contains(
        QStringLiteral("字体解析失败，已退到第 1 档兜底：systemFont(size: 13.0, weight: medium) → ") +
        QFontInfo(QFont(family)).family()));
    EXPECT_EQ(lines.filter(QStringLiteral("已退到第 2 档兜底：third")).size(), 1);

    int fatal = 0;
    Fonts::resolve(QStringLiteral("nothing"), {none, none}, [&] { ++fatal; });
    EXPECT_EQ(fatal, 1);
    EXPECT_EQ(scope.logLines().last(), QStringLiteral("字体子系统不可用，所有兜底档位都解析失败：nothing"));
}

TEST(Fonts, ChainsYieldTheRequestedSizeAndPitch) {
    const QFont system = Fonts::system(13, Fonts::Weight::medium);
    EXPECT_EQ(system.pixelSize(), 13);
    EXPECT_EQ(system.weight(), QFont::Medium);
    const QFont mono = Fonts::monospaced(14, Fonts::Weight::semibold);
    EXPECT_EQ(mono.pixelSize(), 14);
    EXPECT_TRUE(QFontInfo(mono).fixedPitch());
}

TEST(Theme, WindowNameBackgroundIsTheFloatingLabelBackground) {
    EXPECT_EQ(Theme::windowNameBackground(), Theme::floatingLabelBackground());
    EXPECT_NEAR(Theme::floatingLabelBackground().alphaF(), 0.72, 1e-4);
    EXPECT_EQ(Theme::handleFill(), Theme::selectionBorder());
}

TEST(ClickTrace, LogsLeftPressesOnlyWhenSwitchedOn) {
    FakePlatformScope scope;
    QWidget window;
    window.resize(200, 100);
    QWidget button(&window);
    button.setGeometry(10, 10, 40, 30);
    button.setProperty(ClickTrace::toolKindProperty, int(ToolKind::confirm));
    const auto click = [&](Qt::MouseButton which) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(20, 20), QPointF(20, 20), which, which,
                          Qt::NoModifier);
        ClickTrace::window(&window, &event);
    };

    ClickTrace::setEnabled(false);
    click(Qt::LeftButton);
    EXPECT_TRUE(scope.logLines().filter(QStringLiteral("点击诊断")).isEmpty());

    ClickTrace::setEnabled(true);
    click(Qt::RightButton);
    click(Qt::LeftButton);
    const QStringList lines = scope.logLines().filter(QStringLiteral("点击诊断"));
    ASSERT_EQ(lines.size(), 2) << qPrintable(lines.join(QLatin1Char('\n')));
    EXPECT_EQ(lines[0], QStringLiteral("点击诊断已打开（defaults 键 TessaryClickTrace）"));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^点击诊断·窗口：按下 窗口#\\d+ key=(是|否) 应用前台=(是|否) "
                                          "落点=\\(20\\.0,80\\.0\\) 命中=ToolButton\\(confirm\\) 连击=1$"))
            .match(lines[1])
            .hasMatch())
        << qPrintable(lines[1]);
    EXPECT_EQ(ClickTrace::describe(nullptr), QStringLiteral("无"));
    EXPECT_EQ(ClickTrace::describe(&window), QStringLiteral("QWidget"));

    ClickTrace::forget();
}
