#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// The cloud account as the account pane and the share-cache switch see it. Implemented by the cloud
// client; every call with a callback finishes on the main thread.
class AccountPaneModel : public QObject {
    Q_OBJECT
public:
    struct Quota {
        long long used = 0;
        // Nothing when unlimited.
        std::optional<long long> limit;
    };
    // Empty on success, else the error's description.
    using Completion = std::function<void(const QString& error)>;

    using QObject::QObject;
    ~AccountPaneModel() override = default;

    virtual QString email() const = 0;
    virtual bool hasToken() const = 0;
    virtual std::optional<Quota> cachedQuota() const = 0;
    virtual bool shareCache() const = 0;
    virtual void setShareCache(bool share, Completion done) = 0;
    virtual void login(const QString& email, const QString& password, bool registering, Completion done) = 0;
    virtual void logout(Completion done) = 0;
    virtual QString baseURL() const = 0;
    // Returns the normalised URL in force afterwards.
    virtual QString setBaseURL(const QString& url) = 0;

Q_SIGNALS:
    void changed();
};
