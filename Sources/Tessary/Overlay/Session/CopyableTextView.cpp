#include "Overlay/Session/CopyableTextView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

CopyableTextView::CopyableTextView(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
    setAttribute(Qt::WA_AcceptTouchEvents, false);
}

bool CopyableTextView::isCopyShortcut(const QKeyEvent* event) {
    constexpr Qt::KeyboardModifiers relevant =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return (event->modifiers() & relevant) == Qt::ControlModifier && event->key() == Qt::Key_C;
}

bool CopyableTextView::copySelection(QClipboard* clipboard) const {
    const QTextCursor cursor = textCursor();
    if (!clipboard || !cursor.hasSelection()) {
        return false;
    }
    QString text = cursor.selectedText();
    // QTextCursor marks paragraph ends with U+2029.
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    clipboard->clear();
    clipboard->setText(text);
    return clipboard->text() == text;
}

bool CopyableTextView::copyIfCommandC(const QKeyEvent* event, QClipboard* clipboard) const {
    return isCopyShortcut(event) && copySelection(clipboard);
}

bool CopyableTextView::event(QEvent* event) {
    // The shortcut path: claim Ctrl+C before any window shortcut sees it.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isCopyShortcut(key) && textCursor().hasSelection()) {
            event->accept();
            return true;
        }
    }
    return QTextEdit::event(event);
}

void CopyableTextView::keyPressEvent(QKeyEvent* event) {
    if (copyIfCommandC(event, QGuiApplication::clipboard())) {
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}
