#pragma once

#include "Preferences/TranslationPaneModel.h"

#include <QCoroTask>

// The translate pane's view of the translation settings and the key store.
class TranslationPaneAdapter : public TranslationPaneModel {
    Q_OBJECT
public:
    explicit TranslationPaneAdapter(QObject* parent = nullptr);

    QList<Engine> engines() const override;
    Engine engine() const override;
    void setEngine(Engine engine) override;
    QStringList targetIdentifiers() const override;
    QString target() const override;
    void setTarget(const QString& identifier) override;
    bool selectableText() const override;
    void setSelectableText(bool selectable) override;
    QString deepSeekModel() const override;
    void setDeepSeekModel(const QString& model) override;
    QString deepSeekKey() const override { return m_key; }
    void storeDeepSeekKey(const QString& key, std::function<void(bool stored)> done) override;

private:
    QCoro::Task<> loadKey();
    QCoro::Task<> writeKey(QString key, std::function<void(bool)> done);

    QString m_key;
    bool m_keyEdited = false;
};
