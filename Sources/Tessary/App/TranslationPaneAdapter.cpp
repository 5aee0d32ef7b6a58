#include "App/TranslationPaneAdapter.h"

#include "Foundation/SettingsNotifier.h"
#include "Translation/APIKeyStore.h"
#include "Translation/TranslationSettings.h"

#include <QPointer>

using tessary::TranslationEngineKind;

TranslationPaneAdapter::TranslationPaneAdapter(QObject* parent) : TranslationPaneModel(parent) {
    // A change made elsewhere (the engine switch of a running translation) redraws the pane.
    connect(&SettingsNotifier::instance(), &SettingsNotifier::changed, this, [this](const QString& key) {
        if (key == QLatin1String(TranslationSettings::engineKey)) {
            Q_EMIT changed();
        }
    });
    loadKey();
}

QCoro::Task<> TranslationPaneAdapter::loadKey() {
    QPointer<TranslationPaneAdapter> self(this);
    const std::optional<QString> key =
        co_await APIKeyStore::read(QString::fromLatin1(APIKeyStore::deepSeekAccount));
    // An edit made while the keyring answered wins over what it held.
    if (!self || self->m_keyEdited || !key) {
        co_return;
    }
    self->m_key = *key;
    Q_EMIT self->changed();
}

QList<TranslationPaneModel::Engine> TranslationPaneAdapter::engines() const {
    if (TranslationSettings::cloudOffered()) {
        return {Engine::velmora, Engine::deepseek};
    }
    return {Engine::deepseek};
}

TranslationPaneModel::Engine TranslationPaneAdapter::engine() const {
    return TranslationSettings::engine() == TranslationEngineKind::deepseek ? Engine::deepseek
                                                                            : Engine::velmora;
}

void TranslationPaneAdapter::setEngine(Engine engine) {
    TranslationSettings::setEngine(engine == Engine::deepseek ? TranslationEngineKind::deepseek
                                                              : TranslationEngineKind::velmora);
}

QStringList TranslationPaneAdapter::targetIdentifiers() const {
    return TranslationSettings::targetLanguages();
}

QString TranslationPaneAdapter::target() const {
    return TranslationSettings::target();
}

void TranslationPaneAdapter::setTarget(const QString& identifier) {
    TranslationSettings::setTarget(identifier);
}

bool TranslationPaneAdapter::selectableText() const {
    return TranslationSettings::selectableText();
}

void TranslationPaneAdapter::setSelectableText(bool selectable) {
    TranslationSettings::setSelectableText(selectable);
}

QString TranslationPaneAdapter::deepSeekModel() const {
    return TranslationSettings::deepSeekModel();
}

void TranslationPaneAdapter::setDeepSeekModel(const QString& model) {
    TranslationSettings::setDeepSeekModel(model);
}

void TranslationPaneAdapter::storeDeepSeekKey(const QString& key, std::function<void(bool stored)> done) {
    m_keyEdited = true;
    m_key = key;
    writeKey(key, std::move(done));
}

QCoro::Task<> TranslationPaneAdapter::writeKey(QString key, std::function<void(bool)> done) {
    const bool stored = co_await APIKeyStore::write(key, QString::fromLatin1(APIKeyStore::deepSeekAccount));
    if (done) {
        done(stored);
    }
}
