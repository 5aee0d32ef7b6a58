#include "Overlay/Bars/CanvasBars.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Log.h"
#include "Overlay/Bars/NoticeBarView.h"
#include "Overlay/Session/NoticePanel.h"

#include "Overlay/Bars/StyleBarView.h"
#include "Overlay/Bars/ToolbarView.h"
#include "TessaryCore/BarStackLayout.h"
#include "TessaryCore/NoticeLayout.h"
#include <QScreen>

#include <QScreen>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

using tessary::Rect;

CanvasBars::CanvasBars(QWidget* canvas, std::function<std::optional<Rect>()> selection, Actions actions)
    : QObject(canvas), canvas_(canvas), selection_(std::move(selection)), actions_(std::move(actions)) {}

void CanvasBars::ensure() {
    if (toolbar_) {
        return;
    }
    toolbar_ = new ToolbarView(actions_.tool, canvas_);
    styleBar_ = new StyleBarView(actions_.color, actions_.weight, actions_.sticker, canvas_);
    toolbar_->hide();
    styleBar_->hide();
}

void CanvasBars::show() {
    ensure();
    visible_ = true;
    toolbar_->show();
    toolbar_->raise();
    styleBar_->raise();
}

void CanvasBars::hide() {
    visible_ = false;
    if (toolbar_) {
        toolbar_->hide();
        styleBar_->hide();
    }
    hideNotice();
}

void CanvasBars::syncStyleBar(std::optional<ToolKind> armed) {
    if (!styleBar_) {
        return;
    }
    styleBar_->setShowsStickers(armed == ToolKind::sticker);
    const bool wanted = visible_ && armed.has_value();
    if (wanted != styleBar_->isVisibleTo(canvas_)) {
        styleBar_->setVisible(wanted);
    }
    layOut();
}

void CanvasBars::updateState(std::optional<ToolKind> highlighted, bool canUndo) {
    if (!toolbar_) {
        return;
    }
    toolbar_->setHighlightedKind(highlighted);
    toolbar_->setUndoEnabled(canUndo);
}

void CanvasBars::setQRAvailable(bool available) {
    if (toolbar_) {
        toolbar_->setQRAvailable(available);
    }
}

void CanvasBars::showNotice(const QString& text) {
    if (!selection_()) {
        return;
    }
    if (!noticeBar_) {
        noticeBar_ = new NoticeBarView(canvas_);
        noticeTimer_ = new QTimer(this);
        noticeTimer_->setSingleShot(true);
        noticeFade_ = new QVariantAnimation(this);
        noticeFade_->setDuration(250);
        noticeFade_->setStartValue(1.0);
        noticeFade_->setEndValue(0.0);
        connect(noticeFade_, &QVariantAnimation::valueChanged, this,
                [this](const QVariant& value) { noticeBar_->setOpacity(value.toDouble()); });
        connect(noticeFade_, &QVariantAnimation::finished, this, [this] { hideNotice(); });
        connect(noticeTimer_, &QTimer::timeout, noticeFade_, [this] { noticeFade_->start(); });
    }
    noticeFade_->stop();
    noticeBar_->setOpacity(1);
    noticeBar_->setText(text, canvas_->width() - 16);
    noticeBar_->show();
    noticeBar_->raise();
    layOut();
    const double seconds = tessary::NoticeLayout::displaySeconds(
        static_cast<std::size_t>(NoticePanel::characterCount(text)), false);
    noticeTimer_->start(int(seconds * 1000));
    Log::info(QStringLiteral("提示：") + text);
}

void CanvasBars::hideNotice() {
    if (!noticeBar_) {
        return;
    }
    noticeTimer_->stop();
    noticeFade_->stop();
    noticeBar_->hide();
    noticeBar_->setOpacity(1);
    layOut();
}

void CanvasBars::layOut() {
    const std::optional<Rect> selection = selection_();
    if (!selection) {
        return;
    }
    const auto sizeOf = [](const QWidget* bar) -> std::optional<tessary::Size> {
        if (!bar || bar->isHidden()) {
            return std::nullopt;
        }
        return tessary::Size{double(bar->width()), double(bar->height())};
    };
    const tessary::Size toolbarSize =
        toolbar_ ? tessary::Size{double(toolbar_->width()), double(toolbar_->height())}
                 : tessary::Size{toolbarWidth, toolbarHeight};
    const Rect bounds{0, 0, double(canvas_->width()), double(canvas_->height())};
    const auto frames = tessary::BarStackLayout::layOut(*selection, bounds, toolbarSize, sizeOf(styleBar_),
                                                        sizeOf(noticeBar_));
    const double height = canvas_->height();
    if (toolbar_) {
        toolbar_->move(CoordinateSpace::toWidget(frames.toolbar, height).topLeft().toPoint());
    }
    if (frames.styleBar && styleBar_) {
        styleBar_->move(CoordinateSpace::toWidget(*frames.styleBar, height).topLeft().toPoint());
    }
    if (frames.notice && noticeBar_) {
        noticeBar_->move(CoordinateSpace::toWidget(*frames.notice, height).topLeft().toPoint());
    }
}
