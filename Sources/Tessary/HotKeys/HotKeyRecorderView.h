#pragma once

#include "HotKeys/HotKeyController.h"
#include "TessaryCore/HotKeyCombination.h"

#include <QWidget>

#include <functional>
#include <optional>

class QKeyEvent;

// Shows the capture shortcut as key caps and records a new one: a click starts recording, the next
// valid key press becomes the candidate and goes to `onRecord`, whose result decides what is shown.
// While recording every key event of the application comes here first and goes no further, so
// window shortcuts cannot fire; the global grab is not needed for it.
class HotKeyRecorderView : public QWidget {
    Q_OBJECT
public:
    struct Message {
        // A symbol name for the owner's message row ("exclamationmark.triangle.fill", "lock.fill").
        QString symbol;
        // Localised and formatted.
        QString text;

        friend bool operator==(const Message&, const Message&) = default;
    };

    explicit HotKeyRecorderView(QWidget* parent = nullptr);
    ~HotKeyRecorderView() override;

    std::function<HotKeyController::ApplyResult(const tessary::HotKeyCombination&)> onRecord;
    std::function<void(bool)> onRecordingStateChange;
    std::function<void(const std::optional<Message>&)> onMessageChange;

    std::optional<tessary::HotKeyCombination> combination() const { return m_combination; }
    void setCombination(const std::optional<tessary::HotKeyCombination>& combination);
    bool isRecording() const { return m_isRecording; }
    tessary::HotKeyModifiers pendingModifiers() const { return m_pendingModifiers; }
    const std::optional<Message>& message() const { return m_message; }

    void startRecording();
    void stopRecording();

    // What the control shows: one text per key cap, empty while the field is shown instead.
    QStringList keyCapTexts() const;
    // The field's text while recording or when no combination is set.
    QString fieldText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void handleKeyEvent(QKeyEvent* event);
    void setMessage(std::optional<Message> message);
    void refresh();
    QFont capFont() const;
    QList<qreal> capWidths() const;

    std::optional<tessary::HotKeyCombination> m_combination;
    bool m_isRecording = false;
    bool m_monitorInstalled = false;
    tessary::HotKeyModifiers m_pendingModifiers;
    std::optional<Message> m_message;
};
