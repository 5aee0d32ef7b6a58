#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// What the translate pane reads and writes. The translation subsystem implements it over its own
// settings and key store; the window only calls through here and listens to `changed`.
class TranslationPaneModel : public QObject {
    Q_OBJECT
public:
    enum class Engine { velmora, deepseek };

    using QObject::QObject;
    ~TranslationPaneModel() override = default;

    // The engines this build offers, in menu order.
    virtual QList<Engine> engines() const = 0;
    virtual Engine engine() const = 0;
    virtual void setEngine(Engine engine) = 0;
    // The eight target identifiers, in menu order.
    virtual QStringList targetIdentifiers() const = 0;
    virtual QString target() const = 0;
    virtual void setTarget(const QString& identifier) = 0;
    virtual bool selectableText() const = 0;
    virtual void setSelectableText(bool selectable) = 0;
    virtual QString deepSeekModel() const = 0;
    virtual void setDeepSeekModel(const QString& model) = 0;
    // The stored key, empty when none; read when the pane is built.
    virtual QString deepSeekKey() const = 0;
    // Stores the key (an empty one clears it); `done` gets false when the key store refused.
    virtual void storeDeepSeekKey(const QString& key, std::function<void(bool stored)> done) = 0;

Q_SIGNALS:
    void changed();
};
