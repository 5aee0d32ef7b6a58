#include "Overlay/Bars/ToolButton.h"

#include "Foundation/Log.h"
#include "Overlay/Session/ClickTrace.h"
#include "Foundation/Theme.h"
#include "Overlay/Bars/ToolIconRenderer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

// Exposes the button to assistive technology as a button whose press action clicks it.
class ToolButtonAccessible : public QAccessibleWidget {
public:
    explicit ToolButtonAccessible(ToolButton* button) : QAccessibleWidget(button, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            static_cast<ToolButton*>(widget())->accessibilityPress();
        }
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const auto* button = static_cast<const ToolButton*>(widget());
        s.disabled = !button->isActionable();
        s.checkable = true;
        s.checked = button->isSelected();
        return s;
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("ToolButton") && object && object->isWidgetType()) {
        return new ToolButtonAccessible(static_cast<ToolButton*>(object));
    }
    return nullptr;
}

void installAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

ToolButton::ToolButton(ToolKind kind, std::function<void(ToolKind)> onClick, QWidget* parent)
    : QWidget(parent), kind_(kind), onClick_(std::move(onClick)) {
    installAccessibleFactory();
    setFixedSize(buttonWidth, buttonHeight);
    setAttribute(Qt::WA_Hover, false);
    setMouseTracking(false);
    setFocusPolicy(Qt::NoFocus);
    // The click trace names the widget under the pointer by this property.
    setProperty(ClickTrace::toolKindProperty, static_cast<int>(kind));
}

void ToolButton::setSelected(bool selected) {
    if (selected_ != selected) {
        selected_ = selected;
        update();
    }
}

void ToolButton::setActionable(bool actionable) {
    if (actionable_ == actionable) {
        return;
    }
    actionable_ = actionable;
    if (!actionable) {
        hovered_ = false;
    }
    update();
}

void ToolButton::accessibilityPress() {
    if (actionable_ && onClick_) {
        onClick_(kind_);
    }
}

QColor ToolButton::tint() const {
    switch (kind_) {
    case ToolKind::cancel:
        return Theme::destructiveTint();
    case ToolKind::confirm:
        return Theme::confirmTint();
    default:
        return Theme::buttonActiveTint();
    }
}

void ToolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plate = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    if (selected_) {
        QPainterPath path;
        path.addRoundedRect(plate, 6, 6);
        painter.fillPath(path, Theme::buttonSelectedBackground());
        painter.setPen(QPen(Theme::buttonSelectedBorder(), 1.5));
        painter.drawPath(path);
    } else if (hovered_) {
        QPainterPath path;
        path.addRoundedRect(plate, 6, 6);
        painter.fillPath(path, Theme::buttonHoverBackground());
    }
    QColor color = tint();
    color.setAlphaF(1);
    const QImage icon = ToolIconRenderer::bundledImage(kind_, color, devicePixelRatioF());
    if (icon.isNull()) {
        ToolIconRenderer::failMissing({kind_});
    }
    const double side = ToolIconRenderer::iconSize;
    painter.setOpacity(actionable_ ? 1.0 : dimmedOpacity);
    painter.drawImage(QRectF((width() - side) / 2, (height() - side) / 2, side, side), icon);
}

void ToolButton::enterEvent(QEnterEvent*) {
    if (actionable_ && !hovered_) {
        hovered_ = true;
        update();
    }
}

void ToolButton::leaveEvent(QEvent*) {
    if (hovered_) {
        hovered_ = false;
        update();
    }
}

void ToolButton::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        trace(QStringLiteral("收到按下"));
    }
}

void ToolButton::mouseMoveEvent(QMouseEvent* event) {
    // Taken here so a drag that starts on a button moves nothing underneath.
    event->accept();
}

void ToolButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (!actionable_) {
        trace(QStringLiteral("收到抬起，丢弃：按钮此刻不可用"));
        return;
    }
    if (!QRectF(rect()).contains(event->position())) {
        trace(QStringLiteral("收到抬起，丢弃：松开时已不在按钮内"));
        return;
    }
    trace(QStringLiteral("收到抬起，判定为点击"));
    if (onClick_) {
        onClick_(kind_);
    }
}

void ToolButton::trace(const QString& text) const {
    if (ClickTrace::isEnabled()) {
        Log::notice(QStringLiteral("点击诊断·按钮[") + ToolKinds::name(kind_) + QStringLiteral("]：") + text);
    }
}
