#pragma once

#include <QObject>

// The shared flag behind a TranslationCancellation; its signal wakes pauses and aborts requests.
class TranslationCancellationState : public QObject {
    Q_OBJECT
public:
    bool isCancelled() const { return cancelled_; }
    void cancel();

Q_SIGNALS:
    void cancelled();

private:
    bool cancelled_ = false;
};
