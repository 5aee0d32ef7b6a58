#include "Overlay/Session/ClickTrace.h"

#include "Foundation/Log.h"
#include "Foundation/Setting.h"
#include "Overlay/Bars/ToolKind.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>

#include <optional>

namespace {

const FlagSetting& setting() {
    static const FlagSetting flag{ClickTrace::settingsKey, false, SettingValue::toBool};
    return flag;
}

// Read once and again whenever the setting is written.
std::optional<bool>& cachedFlag() {
    static std::optional<bool> flag;
    static const bool watching = [] {
        QObject::connect(&SettingsNotifier::instance(), &SettingsNotifier::changed, [](const QString& key) {
            if (key == QLatin1String(ClickTrace::settingsKey)) {
                flag.reset();
            }
        });
        return true;
    }();
    Q_UNUSED(watching);
    return flag;
}

QString yesNo(bool value) {
    return value ? QStringLiteral("是") : QStringLiteral("否");
}

} // namespace

namespace ClickTrace {

bool isEnabled() {
    std::optional<bool>& flag = cachedFlag();
    if (!flag) {
        flag = setting().value();
        if (*flag) {
            Log::notice(QStringLiteral("点击诊断已打开（defaults 键 TessaryClickTrace）"));
        }
    }
    return *flag;
}

void setEnabled(bool enabled) {
    setting().set(enabled);
}

void forget() {
    setting().remove();
}

QString describe(const QWidget* view) {
    if (!view) {
        return QStringLiteral("无");
    }
    const QVariant kind = view->property(toolKindProperty);
    if (kind.isValid()) {
        const int raw = kind.toInt();
        if (raw >= 0 && raw < static_cast<int>(allToolKinds.size())) {
            return QStringLiteral("ToolButton(") + ToolKinds::name(allToolKinds[std::size_t(raw)]) +
                   QStringLiteral(")");
        }
    }
    return QString::fromLatin1(view->metaObject()->className());
}

void window(QWidget* window, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick) {
        return;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !isEnabled() || !window) {
        return;
    }
    const QPointF at = mouse->position();
    QWidget* hit = window->childAt(at.toPoint());
    if (!hit && window->rect().contains(at.toPoint())) {
        hit = window;
    }
    const bool press = type != QEvent::MouseButtonRelease;
    const QByteArray action = (press ? QStringLiteral("按下") : QStringLiteral("抬起")).toUtf8();
    const QByteArray key = yesNo(window->isActiveWindow()).toUtf8();
    const QByteArray active = yesNo(QGuiApplication::applicationState() == Qt::ApplicationActive).toUtf8();
    const QByteArray target = describe(hit).toUtf8();
    // Window coordinates with y up, like every other position in the logs.
    Log::notice(QString::asprintf(
        "点击诊断·窗口：%s 窗口#%d key=%s 应用前台=%s 落点=(%.1f,%.1f) 命中=%s 连击=%d", action.constData(),
        static_cast<int>(window->winId()), key.constData(), active.constData(), at.x(),
        window->height() - at.y(), target.constData(), type == QEvent::MouseButtonDblClick ? 2 : 1));
}

} // namespace ClickTrace
