#pragma once

#include "Preferences/AccountPaneModel.h"

#include <QCoroTask>
#include <QPointer>

class VelmoraClient;

// The account pane's view of the cloud client. Whether a session token is stored is learned from
// the key store once and then followed through the client's changes.
class AccountPaneAdapter : public AccountPaneModel {
    Q_OBJECT
public:
    explicit AccountPaneAdapter(VelmoraClient& client, QObject* parent = nullptr);

    QString email() const override;
    bool hasToken() const override { return m_hasToken; }
    std::optional<Quota> cachedQuota() const override;
    bool shareCache() const override;
    void setShareCache(bool share, Completion done) override;
    void login(const QString& email, const QString& password, bool registering, Completion done) override;
    void logout(Completion done) override;
    QString baseURL() const override;
    QString setBaseURL(const QString& url) override;

private:
    QCoro::Task<> refreshToken();
    QCoro::Task<> runLogin(QString email, QString password, bool registering, Completion done);
    QCoro::Task<> runLogout(Completion done);
    QCoro::Task<> runShareCache(bool share, Completion done);

    QPointer<VelmoraClient> m_client;
    bool m_hasToken = false;
};
