#include "Overlay/Session/NoticePanel.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Log.h"
#include "Overlay/Bars/NoticeBarView.h"
#include "TessaryCore/NoticeLayout.h"

#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTextBoundaryFinder>
#include <QTimer>

namespace {

QPointer<NoticePanel>& visiblePanel() {
    static QPointer<NoticePanel> panel;
    return panel;
}

QScreen* screenFor(const std::optional<tessary::Rect>& anchor) {
    if (anchor) {
        for (QScreen* screen : QGuiApplication::screens()) {
            if (CoordinateSpace::frameOf(screen).intersects(*anchor)) {
                return screen;
            }
        }
    }
    return QGuiApplication::primaryScreen();
}

std::optional<tessary::Rect> visibleFrame(QScreen* screen) {
    if (!screen) {
        return std::nullopt;
    }
    return CoordinateSpace::fromQtGlobal(QRectF(screen->availableGeometry()));
}

} // namespace

NoticePanel::NoticePanel(const QString& text, const std::optional<tessary::Rect>& anchor,
                         std::function<void()> onClick)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::NoDropShadowWindowHint),
      onClick_(std::move(onClick)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    if (!onClick_) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setWindowFlag(Qt::WindowTransparentForInput);
    }
    screen_ = screenFor(anchor);
    bar_ = new NoticeBarView(this);
    bar_->setText(text, tessary::NoticeLayout::maxBarWidth(visibleFrame(screen_)));
    bar_->move(0, 0);
    if (onClick_) {
        QPointer<NoticePanel> self(this);
        bar_->setOnClick([self] {
            if (!self) {
                return;
            }
            const std::function<void()> action = self->onClick_;
            if (action) {
                action();
            }
            if (self) {
                self->dismiss();
            }
        });
    }
    resize(bar_->size());
    position(anchor);
}

NoticePanel::~NoticePanel() {
    if (visiblePanel() == this) {
        visiblePanel() = nullptr;
    }
}

NoticePanel* NoticePanel::visible() {
    return visiblePanel();
}

NoticePanel* NoticePanel::show(const QString& text, const std::optional<tessary::Rect>& anchor,
                               std::function<void()> onClick, bool logNotice) {
    if (NoticePanel* current = visiblePanel()) {
        current->dismiss();
    }
    auto* panel = new NoticePanel(text, anchor, std::move(onClick));
    visiblePanel() = panel;
    panel->present();
    if (logNotice) {
        Log::info(QStringLiteral("提示：") + text);
    }
    return panel;
}

qsizetype NoticePanel::characterCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

double NoticePanel::displaySeconds() const {
    return tessary::NoticeLayout::displaySeconds(static_cast<std::size_t>(characterCount(bar_->text())),
                                                 static_cast<bool>(onClick_));
}

tessary::Rect NoticePanel::globalFrame() const {
    return globalFrame_;
}

void NoticePanel::position(const std::optional<tessary::Rect>& anchor) {
    const tessary::Size size{double(width()), double(height())};
    const tessary::Point origin = tessary::NoticeLayout::position(anchor, visibleFrame(screen_), size);
    globalFrame_ = {origin.x, origin.y, size.width, size.height};
    const QRectF qt = CoordinateSpace::toQtGlobal(globalFrame_);
    move(qRound(qt.x()), qRound(qt.y()));
}

void NoticePanel::present() {
    if (screen_) {
        setScreen(screen_);
    }
    QWidget::show();
    raise();
    if (!timer_) {
        timer_ = new QTimer(this);
        timer_->setSingleShot(true);
        connect(timer_, &QTimer::timeout, this, &NoticePanel::fadeOut);
    }
    timer_->start(int(displaySeconds() * 1000));
}

void NoticePanel::fadeOut() {
    if (dismissed_) {
        return;
    }
    if (!fade_) {
        fade_ = new QPropertyAnimation(this, "windowOpacity", this);
        fade_->setDuration(250);
        fade_->setStartValue(1.0);
        fade_->setEndValue(0.0);
        connect(fade_, &QPropertyAnimation::finished, this, &NoticePanel::dismiss);
    }
    fade_->start();
}

void NoticePanel::dismiss() {
    if (timer_) {
        timer_->stop();
    }
    if (fade_) {
        fade_->stop();
    }
    hide();
    setWindowOpacity(1.0);
    if (visiblePanel() == this) {
        visiblePanel() = nullptr;
    }
    if (!dismissed_) {
        dismissed_ = true;
        // Notices are never shown twice; release this one once the current event is done with it.
        deleteLater();
    }
}
