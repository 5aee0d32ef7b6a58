#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "LogFileLines.h"
#include "Overlay/Bars/ToolButton.h"
#include "Overlay/Bars/ToolbarView.h"
#include "Overlay/Session/ClickTrace.h"
#include "TessaryCore/AnnotationStore.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// A stand-in for the canvas: the toolbar is its child and it records the presses that reach it.
class Host : public QWidget {
public:
    Host() { resize(1200, 300); }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        ++presses;
        event->accept();
    }
};

struct Fixture {
    Host host;
    std::vector<ToolKind> picked;
    ToolbarView* toolbar = new ToolbarView([this](ToolKind kind) { picked.push_back(kind); }, &host);

    Fixture() {
        toolbar->move(100, 50);
        host.show();
    }
};

// Delivers a mouse event the way the window system does: to the widget under the point, from where
// Qt propagates it up to the first parent that takes it.
void send(QWidget* window, QEvent::Type type, QPoint at, QWidget* grabber = nullptr) {
    QWidget* target = grabber ? grabber : window->childAt(at);
    if (!target) {
        target = window;
    }
    const QPointF local = target->mapFrom(window, QPointF(at));
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, window->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void click(QWidget* window, QPoint at) {
    QWidget* pressed = window->childAt(at);
    send(window, QEvent::MouseButtonPress, at);
    send(window, QEvent::MouseButtonRelease, at, pressed);
}

// Log lines written while `action` runs, with the click trace switched on or off.
QStringList traced(bool traceOn, const std::function<void()>& action) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.log"));
    const QString previous = Log::filePath();
    ClickTrace::setEnabled(traceOn);
    Log::setFilePath(path);
    action();
    Log::setFilePath(previous);
    ClickTrace::forget();
    return logFileLines(path);
}

// Largest alpha among the pixels of a button painted on its own (no background behind it).
int iconAlpha(ToolButton* button) {
    QImage image(button->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    button->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    int maximum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            maximum = std::max(maximum, qAlpha(image.pixel(x, y)));
        }
    }
    return maximum;
}

} // namespace

TEST(ToolbarViewTest, SeventeenButtonsInToolOrderWithLocalisedTexts) {
    Fixture f;
    EXPECT_EQ(f.toolbar->size(), QSize(866, 44));
    ASSERT_EQ(f.toolbar->buttons().size(), allToolKinds.size());
    // Geometry comes from the core layout; here only that the widgets follow it.
    EXPECT_EQ(f.toolbar->button(ToolKind::colorPicker)->geometry(), QRect(361, 4, 48, 36));
    for (std::size_t i = 0; i < allToolKinds.size(); ++i) {
        const ToolButton* button = f.toolbar->buttons()[i];
        EXPECT_EQ(button->kind(), allToolKinds[i]);
        const QString key = ToolKinds::localizationKey(button->kind());
        EXPECT_NE(L10n::text(key), key) << key.toStdString();
        EXPECT_EQ(button->accessibleName(), L10n::text(key));
        if (button->kind() != ToolKind::qrCode) {
            EXPECT_EQ(button->toolTip(), L10n::text(key));
        }
    }
    ASSERT_EQ(f.toolbar->separators().size(), 2u);
    EXPECT_EQ(f.toolbar->separators()[0], QRectF(353, 9, 1, 26));
}

TEST(ToolbarViewTest, HitsLandOnButtonsAndTheBarKeepsItsGaps) {
    const struct {
        const char* name;
        QPoint at; // host coordinates; the toolbar starts at (100, 50)
        bool toolbarVisible;
        std::optional<ToolKind> picked;
        int hostPresses;
    } cases[] = {
        {"first button", {100 + 10, 50 + 22}, true, ToolKind::rectangle, 0},
        {"last pixel of the first button", {100 + 57, 50 + 22}, true, ToolKind::rectangle, 0},
        {"second button", {100 + 58, 50 + 22}, true, ToolKind::ellipse, 0},
        {"confirm", {100 + 850, 50 + 22}, true, ToolKind::confirm, 0},
        {"left margin of the bar", {100 + 4, 50 + 22}, true, std::nullopt, 0},
        {"gap at a separator", {100 + 352, 50 + 22}, true, std::nullopt, 0},
        {"strip above the buttons", {100 + 30, 50 + 2}, true, std::nullopt, 0},
        {"outside the bar", {100 + 30, 50 + 60}, true, std::nullopt, 1},
        {"hidden bar lets the press through", {100 + 10, 50 + 22}, false, std::nullopt, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.toolbar->setVisible(c.toolbarVisible);
        click(&f.host, c.at);
        EXPECT_EQ(f.host.presses, c.hostPresses);
        if (c.picked) {
            EXPECT_EQ(f.picked, std::vector<ToolKind>{*c.picked});
        } else {
            EXPECT_TRUE(f.picked.empty());
        }
    }
}

TEST(ToolbarViewTest, ReleaseDecidesTheClickAndIsTraced) {
    const QString prefix = QStringLiteral("点击诊断·按钮[pen]：");
    const QPoint pen(100 + 10 + 4 * 48 + 20, 50 + 20);
    const struct {
        const char* name;
        bool actionable;
        QPoint release;
        bool clicked;
        QString decision;
    } cases[] = {
        {"released on the button", true, pen, true, QStringLiteral("收到抬起，判定为点击")},
        {"moved out before the release", true, pen + QPoint(40, 0), false,
         QStringLiteral("收到抬起，丢弃：松开时已不在按钮内")},
        {"moved off the bar entirely", true, pen + QPoint(0, 200), false,
         QStringLiteral("收到抬起，丢弃：松开时已不在按钮内")},
        {"button not actionable", false, pen, false, QStringLiteral("收到抬起，丢弃：按钮此刻不可用")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        ToolButton* button = f.toolbar->button(ToolKind::pen);
        button->setActionable(c.actionable);
        const QStringList lines = traced(true, [&] {
            send(&f.host, QEvent::MouseButtonPress, pen);
            send(&f.host, QEvent::MouseMove, c.release, button);
            send(&f.host, QEvent::MouseButtonRelease, c.release, button);
        });
        EXPECT_EQ(f.picked.size(), c.clicked ? 1u : 0u);
        EXPECT_EQ(f.host.presses, 0);
        EXPECT_TRUE(lines.contains(prefix + QStringLiteral("收到按下")));
        EXPECT_TRUE(lines.contains(prefix + c.decision)) << lines.join(QLatin1Char('\n')).toStdString();
    }
    Fixture quiet;
    EXPECT_TRUE(traced(false, [&] { click(&quiet.host, pen); }).isEmpty());
    EXPECT_EQ(quiet.picked, std::vector<ToolKind>{ToolKind::pen});
}

TEST(ToolbarViewTest, UndoIsDimmedAndInertUntilThereIsSomethingToUndo) {
    Fixture f;
    ToolButton* undo = f.toolbar->button(ToolKind::undo);
    const QPoint at = f.toolbar->mapTo(&f.host, undo->geometry().center());
    const int fullAlpha = iconAlpha(f.toolbar->button(ToolKind::save));

    tessary::AnnotationStore store(200);
    const auto sync = [&] { f.toolbar->setUndoEnabled(store.canUndo()); };
    sync();
    click(&f.host, at);
    EXPECT_TRUE(f.picked.empty());
    EXPECT_NEAR(iconAlpha(undo), fullAlpha * ToolButton::dimmedOpacity, 3);

    store.append(tessary::Annotation(tessary::RectangleShape{{10, 10, 40, 30}},
                                     tessary::AnnotationStyle::defaultStyle()));
    sync();
    click(&f.host, at);
    EXPECT_EQ(f.picked, std::vector<ToolKind>{ToolKind::undo});
    EXPECT_EQ(iconAlpha(undo), fullAlpha);

    store.undo();
    sync();
    click(&f.host, at);
    EXPECT_EQ(f.picked.size(), 1u);
}

TEST(ToolbarViewTest, QRButtonStartsDisabledAndExplainsWhy) {
    Fixture f;
    ToolButton* qr = f.toolbar->button(ToolKind::qrCode);
    const QString name = L10n::text(QStringLiteral("tool.qrCode"));
    const QString notFound = L10n::text(QStringLiteral("tooltip.qrNotFound"));
    const struct {
        const char* name;
        std::optional<bool> apply;
        bool actionable;
        QString tooltip;
        QString help;
    } steps[] = {
        {"after construction", std::nullopt, false, name + QStringLiteral(" · ") + notFound, notFound},
        {"a code was found", true, true, name, QString()},
        {"found again: unchanged", true, true, name, QString()},
        {"selection changed", false, false, name + QStringLiteral(" · ") + notFound, notFound},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.apply) {
            f.toolbar->setQRAvailable(*s.apply);
        }
        EXPECT_EQ(f.toolbar->qrAvailable(), s.actionable);
        EXPECT_EQ(qr->isActionable(), s.actionable);
        EXPECT_EQ(qr->toolTip(), s.tooltip);
        EXPECT_EQ(qr->accessibleDescription(), s.help);
    }
}

TEST(ToolbarViewTest, StateSwitchesTouchOnlyTheirButton) {
    Fixture f;
    const auto selected = [&] {
        std::vector<ToolKind> kinds;
        for (const ToolButton* b : f.toolbar->buttons()) {
            if (b->isSelected()) {
                kinds.push_back(b->kind());
            }
        }
        return kinds;
    };
    f.toolbar->setHighlightedKind(ToolKind::arrow);
    EXPECT_EQ(selected(), std::vector<ToolKind>{ToolKind::arrow});
    f.toolbar->setHighlightedKind(ToolKind::colorPicker);
    EXPECT_EQ(selected(), std::vector<ToolKind>{ToolKind::colorPicker});
    f.toolbar->setHighlightedKind(std::nullopt);
    f.toolbar->setTranslateActive(true);
    EXPECT_EQ(selected(), std::vector<ToolKind>{ToolKind::translate});

    f.toolbar->setTranslateBusy(true);
    EXPECT_FALSE(f.toolbar->button(ToolKind::translate)->isActionable());
    EXPECT_TRUE(f.toolbar->button(ToolKind::ocr)->isActionable());
    f.toolbar->setTranslateBusy(false);
    EXPECT_TRUE(f.toolbar->button(ToolKind::translate)->isActionable());
}

TEST(ToolbarViewTest, HoverOnlyOnActionableButtons) {
    Fixture f;
    ToolButton* pen = f.toolbar->button(ToolKind::pen);
    ToolButton* qr = f.toolbar->button(ToolKind::qrCode);
    for (ToolButton* b : {pen, qr}) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(b, &enter);
    }
    EXPECT_TRUE(pen->isHovered());
    EXPECT_FALSE(qr->isHovered());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(pen, &leave);
    EXPECT_FALSE(pen->isHovered());
}

TEST(ToolbarViewTest, AccessibilityPressClicksOnlyActionableButtons) {
    Fixture f;
    for (const ToolKind kind : {ToolKind::save, ToolKind::qrCode}) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(f.toolbar->button(kind));
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::Button);
        EXPECT_EQ(accessible->text(QAccessible::Name), L10n::text(ToolKinds::localizationKey(kind)));
        ASSERT_NE(accessible->actionInterface(), nullptr);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    EXPECT_EQ(f.picked, std::vector<ToolKind>{ToolKind::save});
}

TEST(ToolbarViewTest, TextsFollowALanguageChange) {
    Fixture f;
    const auto previous = L10n::overrideLanguage();
    for (const L10n::Language language : L10n::allLanguages()) {
        SCOPED_TRACE(L10n::rawValue(language).toStdString());
        L10n::setOverride(language);
        EXPECT_EQ(f.toolbar->button(ToolKind::save)->toolTip(),
                  L10n::text(language, QStringLiteral("action.save")));
        EXPECT_EQ(f.toolbar->button(ToolKind::qrCode)->accessibleDescription(),
                  L10n::text(language, QStringLiteral("tooltip.qrNotFound")));
    }
    L10n::setOverride(previous);
}
