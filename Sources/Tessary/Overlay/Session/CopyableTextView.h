#pragma once

#include <QTextEdit>

class QClipboard;
class QKeyEvent;

// A text view whose selection Ctrl+C copies even inside windows that never become active.
class CopyableTextView : public QTextEdit {
    Q_OBJECT
public:
    explicit CopyableTextView(QWidget* parent = nullptr);

    // Puts the selected text on `clipboard`; false with nothing selected.
    bool copySelection(QClipboard* clipboard) const;
    // Copies when the event is exactly Ctrl+C (Shift, Alt and Meta must be up); returns whether it did.
    bool copyIfCommandC(const QKeyEvent* event, QClipboard* clipboard) const;

    static bool isCopyShortcut(const QKeyEvent* event);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
