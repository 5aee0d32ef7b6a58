#pragma once

#include "TessaryCore/HotKeyCombination.h"

#include <QObject>

// System-wide key grabs under identifiers of the caller's choosing. A registration is all or
// nothing: when another application holds any part of it, nothing stays grabbed.
class GlobalHotKeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~GlobalHotKeys() override = default;

    // False when the desktop refuses: another client holds the combination, its key does not exist on
    // the current keyboard, or `id` is already registered.
    virtual bool registerHotKey(quint32 id, const tessary::HotKeyCombination& combination) = 0;
    // Unknown identifiers are ignored.
    virtual void unregisterHotKey(quint32 id) = 0;
    // True where the desktop, not this process, owns global shortcuts and offers no way to register
    // one: the user binds `tessary --capture-now` in the desktop's own settings instead.
    virtual bool handledByDesktop() const { return false; }

Q_SIGNALS:
    // A registered combination went down. Emitted on the main thread while the key event is being
    // handled: receivers that do real work should queue it.
    void pressed(quint32 id);
};
