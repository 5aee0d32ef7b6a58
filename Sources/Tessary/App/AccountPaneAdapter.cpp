#include "App/AccountPaneAdapter.h"

#include "Cloud/VelmoraClient.h"
#include "TessaryCore/CloudAPIError.h"
#include "TessaryCore/TranslationFailure.h"
#include "Translation/TranslationFailureText.h"

namespace {

// The text a failed account call shows: the service's own message, or the failure's description.
QString describe(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const tessary::CloudAPIError& apiError) {
        return QString::fromStdString(apiError.message());
    } catch (const tessary::TranslationFailure& failure) {
        return TranslationFailureText::localizedDescription(failure);
    } catch (const std::exception& other) {
        return QString::fromUtf8(other.what());
    }
}

} // namespace

AccountPaneAdapter::AccountPaneAdapter(VelmoraClient& client, QObject* parent)
    : AccountPaneModel(parent), m_client(&client) {
    connect(&client, &VelmoraClient::accountChanged, this, [this] { refreshToken(); });
    refreshToken();
}

QCoro::Task<> AccountPaneAdapter::refreshToken() {
    QPointer<AccountPaneAdapter> self(this);
    const QPointer<VelmoraClient> client = m_client;
    if (!client) {
        co_return;
    }
    const bool hasToken = co_await client->isLoggedIn();
    if (!self) {
        co_return;
    }
    self->m_hasToken = hasToken;
    Q_EMIT self->changed();
}

QString AccountPaneAdapter::email() const {
    return m_client ? m_client->email() : QString();
}

std::optional<AccountPaneModel::Quota> AccountPaneAdapter::cachedQuota() const {
    const std::optional<tessary::CloudQuota> quota = m_client ? m_client->quota() : std::nullopt;
    if (!quota) {
        return std::nullopt;
    }
    Quota shown;
    shown.used = quota->used;
    if (!quota->isUnlimited()) {
        shown.limit = quota->limit;
    }
    return shown;
}

bool AccountPaneAdapter::shareCache() const {
    return !m_client || m_client->shareCache();
}

void AccountPaneAdapter::setShareCache(bool share, Completion done) {
    runShareCache(share, std::move(done));
}

void AccountPaneAdapter::login(const QString& email, const QString& password, bool registering,
                               Completion done) {
    runLogin(email, password, registering, std::move(done));
}

void AccountPaneAdapter::logout(Completion done) {
    runLogout(std::move(done));
}

QString AccountPaneAdapter::baseURL() const {
    return m_client ? m_client->baseURL() : QString();
}

QString AccountPaneAdapter::setBaseURL(const QString& url) {
    if (!m_client) {
        return url.trimmed();
    }
    m_client->setBaseURL(url);
    return m_client->baseURL();
}

QCoro::Task<> AccountPaneAdapter::runLogin(QString email, QString password, bool registering,
                                           Completion done) {
    const QPointer<VelmoraClient> client = m_client;
    QString error;
    if (client) {
        try {
            co_await client->authenticate(std::move(email), std::move(password), registering);
        } catch (...) {
            error = describe(std::current_exception());
        }
    }
    if (done) {
        done(error);
    }
}

QCoro::Task<> AccountPaneAdapter::runLogout(Completion done) {
    if (const QPointer<VelmoraClient> client = m_client) {
        co_await client->logout();
    }
    if (done) {
        done(QString());
    }
}

QCoro::Task<> AccountPaneAdapter::runShareCache(bool share, Completion done) {
    const QPointer<VelmoraClient> client = m_client;
    QString error;
    if (client) {
        try {
            co_await client->updateShareCache(share);
        } catch (...) {
            error = describe(std::current_exception());
        }
    }
    if (done) {
        done(error);
    }
}
