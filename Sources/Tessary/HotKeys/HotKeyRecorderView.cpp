#include "HotKeys/HotKeyRecorderView.h"

#include "Foundation/L10n.h"
#include "HotKeys/HotKeyQtKeys.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

using tessary::HotKeyCombination;
using tessary::HotKeyModifiers;

namespace {

constexpr qreal capSpacing = 4;
constexpr qreal capPadding = 12;
constexpr qreal capMinimumWidth = 22;
constexpr QSize intrinsicSize(140, 26);

const QString warningSymbol = QStringLiteral("exclamationmark.triangle.fill");
const QString lockSymbol = QStringLiteral("lock.fill");

QString linuxDisplay(const HotKeyCombination& combination) {
    return QString::fromStdString(combination.linuxDisplay());
}

HotKeyRecorderView::Message rejectionMessage(HotKeyCombination::Rejection rejection) {
    switch (rejection) {
    case HotKeyCombination::Rejection::escapeReserved:
        return {warningSymbol, L10n::text(QStringLiteral("prefs.hotkey.escapeReserved"))};
    case HotKeyCombination::Rejection::missingModifier:
        break;
    }
    return {warningSymbol, L10n::text(QStringLiteral("prefs.hotkey.needsModifier"))};
}

void drawRecordSymbol(QPainter& painter, const QPointF& centre, const QColor& color) {
    painter.setPen(QPen(color, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 6, 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(centre, 3.5, 3.5);
}

void drawWarningSymbol(QPainter& painter, const QPointF& centre, const QColor& color, const QColor& mark) {
    QPainterPath triangle;
    triangle.moveTo(centre + QPointF(0, -6));
    triangle.lineTo(centre + QPointF(6.5, 5.5));
    triangle.lineTo(centre + QPointF(-6.5, 5.5));
    triangle.closeSubpath();
    painter.setPen(QPen(color, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(color);
    painter.drawPath(triangle);
    painter.setPen(QPen(mark, 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(0, -2), centre + QPointF(0, 1.5));
    painter.drawPoint(centre + QPointF(0, 3.8));
}

} // namespace

HotKeyRecorderView::HotKeyRecorderView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    refresh();
}

HotKeyRecorderView::~HotKeyRecorderView() {
    if (m_monitorInstalled) {
        qApp->removeEventFilter(this);
    }
}

void HotKeyRecorderView::setCombination(const std::optional<HotKeyCombination>& combination) {
    m_combination = combination;
    refresh();
}

void HotKeyRecorderView::startRecording() {
    if (m_isRecording) {
        return;
    }
    m_isRecording = true;
    refresh();
    if (onRecordingStateChange) {
        onRecordingStateChange(true);
    }
    m_pendingModifiers = HotKeyModifiers();
    setMessage(std::nullopt);
    setFocus(Qt::OtherFocusReason);
    // The application-wide filter stands in for a local key monitor: it sees every key event first.
    qApp->installEventFilter(this);
    m_monitorInstalled = true;
}

void HotKeyRecorderView::stopRecording() {
    if (!m_isRecording) {
        return;
    }
    m_isRecording = false;
    refresh();
    if (onRecordingStateChange) {
        onRecordingStateChange(false);
    }
    if (m_monitorInstalled) {
        qApp->removeEventFilter(this);
        m_monitorInstalled = false;
    }
}

bool HotKeyRecorderView::eventFilter(QObject* watched, QEvent* event) {
    if (!m_isRecording) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Accepted, so no shortcut of any window takes the key; the key press follows.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        handleKeyEvent(static_cast<QKeyEvent*>(event));
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void HotKeyRecorderView::handleKeyEvent(QKeyEvent* event) {
    const int key = event->key();
    const HotKeyModifiers modifierKey = HotKeyQtKeys::modifierOfKey(key);
    HotKeyModifiers held = HotKeyQtKeys::modifiers(event->modifiers());
    if (!modifierKey.isEmpty() || key == Qt::Key_AltGr || key == Qt::Key_CapsLock || key == Qt::Key_NumLock) {
        // X reports the state before the event: count the key itself in on press and out on release.
        if (event->type() == QEvent::KeyPress) {
            held.insert(modifierKey);
        } else {
            held.remove(modifierKey);
        }
        m_pendingModifiers = held;
        refresh();
        return;
    }
    if (event->type() != QEvent::KeyPress) {
        return;
    }
    const auto recorded = HotKeyQtKeys::combination(key, event->modifiers());
    if (!recorded) {
        // A key without a virtual key code cannot be registered; keep listening.
        return;
    }
    if (recorded->keyCode == HotKeyCombination::VirtualKey::escape && recorded->modifiers.isEmpty()) {
        stopRecording();
        return;
    }
    if (const auto rejection = recorded->rejection()) {
        setMessage(rejectionMessage(*rejection));
        refresh();
        return;
    }
    stopRecording();
    const HotKeyController::ApplyResult result =
        onRecord ? onRecord(*recorded) : HotKeyController::ApplyResult::conflict();
    using Kind = HotKeyController::ApplyResult::Kind;
    switch (result.kind) {
    case Kind::applied:
        m_combination = *recorded;
        setMessage(std::nullopt);
        break;
    case Kind::rejected:
        setMessage(
            rejectionMessage(result.rejection.value_or(HotKeyCombination::Rejection::missingModifier)));
        break;
    case Kind::conflict:
        setMessage(Message{warningSymbol,
                           L10n::format(QStringLiteral("prefs.hotkey.conflict"), {linuxDisplay(*recorded)})});
        break;
    case Kind::systemReserved:
        setMessage(Message{lockSymbol, L10n::format(QStringLiteral("prefs.hotkey.systemReserved"),
                                                    {linuxDisplay(*recorded)})});
        break;
    }
    refresh();
}

void HotKeyRecorderView::setMessage(std::optional<Message> message) {
    m_message = std::move(message);
    if (onMessageChange) {
        onMessageChange(m_message);
    }
}

void HotKeyRecorderView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (m_isRecording) {
        stopRecording();
    } else {
        startRecording();
    }
}

void HotKeyRecorderView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    stopRecording();
}

void HotKeyRecorderView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::FontChange) {
        refresh();
    }
}

QStringList HotKeyRecorderView::keyCapTexts() const {
    if (m_isRecording || !m_combination) {
        return {};
    }
    QStringList texts;
    for (const std::string& name : m_combination->modifiers.linuxNames()) {
        texts.append(QString::fromStdString(name));
    }
    texts.append(QString::fromStdString(HotKeyCombination::keyName(m_combination->keyCode)));
    return texts;
}

QString HotKeyRecorderView::fieldText() const {
    if (m_isRecording) {
        if (m_pendingModifiers.isEmpty()) {
            return L10n::text(QStringLiteral("prefs.hotkey.recording"));
        }
        QString text;
        for (const std::string& name : m_pendingModifiers.linuxNames()) {
            text += QString::fromStdString(name) + QLatin1Char('+');
        }
        return text + QStringLiteral("…");
    }
    if (!m_combination) {
        return L10n::text(QStringLiteral("prefs.hotkey.none"));
    }
    return {};
}

QFont HotKeyRecorderView::capFont() const {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    font.setWeight(QFont::Medium);
    return font;
}

QList<qreal> HotKeyRecorderView::capWidths() const {
    const QFontMetricsF metrics(capFont());
    QList<qreal> widths;
    for (const QString& text : keyCapTexts()) {
        widths.append(std::max(std::ceil(metrics.horizontalAdvance(text)) + capPadding, capMinimumWidth));
    }
    return widths;
}

QSize HotKeyRecorderView::sizeHint() const {
    // Linux modifier names are words, not symbols: a long combination widens the control.
    qreal row = 0;
    const QList<qreal> widths = capWidths();
    for (qreal width : widths) {
        row += width;
    }
    if (!widths.isEmpty()) {
        row += capSpacing * (widths.size() - 1);
    }
    return QSize(std::max(intrinsicSize.width(), static_cast<int>(std::ceil(row)) + 2),
                 intrinsicSize.height());
}

void HotKeyRecorderView::refresh() {
    const QStringList caps = keyCapTexts();
    setAccessibleName(caps.isEmpty() ? fieldText() : caps.join(QLatin1Char('+')));
    updateGeometry();
    update();
}

void HotKeyRecorderView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colors = palette();
    const QColor separator = colors.color(QPalette::Mid);
    const QRectF bounds = QRectF(rect()).adjusted(1, 1, -1, -1);

    const QStringList caps = keyCapTexts();
    if (!caps.isEmpty()) {
        const QList<qreal> widths = capWidths();
        qreal row = capSpacing * (widths.size() - 1);
        for (qreal width : widths) {
            row += width;
        }
        qreal x = bounds.center().x() - row / 2;
        painter.setFont(capFont());
        for (int i = 0; i < caps.size(); ++i) {
            const QRectF cap(x, bounds.top(), widths[i], bounds.height());
            painter.setPen(Qt::NoPen);
            painter.setBrush(separator);
            painter.drawRoundedRect(cap, 5, 5);
            const QRectF face = cap.adjusted(0, 0, 0, -1.5);
            painter.setPen(QPen(separator, 0.5));
            painter.setBrush(colors.color(QPalette::Button));
            painter.drawRoundedRect(face, 5, 5);
            painter.setPen(colors.color(QPalette::ButtonText));
            painter.drawText(face, Qt::AlignCenter, caps[i]);
            x += widths[i] + capSpacing;
        }
        return;
    }

    const QColor accent = colors.color(QPalette::Highlight);
    painter.setBrush(colors.color(QPalette::Base));
    if (m_isRecording) {
        QPen dashed(accent, 2, Qt::CustomDashLine);
        dashed.setDashPattern({2, 1.5});
        painter.setPen(dashed);
    } else {
        painter.setPen(QPen(separator, 1));
    }
    painter.drawRoundedRect(bounds, 6, 6);

    const QPointF symbolCentre(bounds.left() + 14, bounds.center().y());
    if (m_isRecording) {
        drawRecordSymbol(painter, symbolCentre, QColor(0xff, 0x3b, 0x30));
    } else {
        drawWarningSymbol(painter, symbolCentre, QColor(0xff, 0x9f, 0x0a), colors.color(QPalette::Base));
    }
    QFont font = this->font();
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(colors.color(m_isRecording ? QPalette::Text : QPalette::PlaceholderText));
    const QRectF textRect = bounds.adjusted(26, 0, -6, 0);
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetricsF(font).elidedText(fieldText(), Qt::ElideRight, textRect.width()));
}
