#include "Translation/TranslationNetwork.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxyFactory>

namespace {

// Chat-completions servers have no use for cookies; a jar that keeps none stops tracking.
class NoCookieJar : public QNetworkCookieJar {
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    QList<QNetworkCookie> cookiesForUrl(const QUrl&) const override { return {}; }
    bool setCookiesFromUrl(const QList<QNetworkCookie>&, const QUrl&) override { return false; }
};

} // namespace

namespace TranslationNetwork {

QNetworkAccessManager& manager() {
    static QNetworkAccessManager* instance = [] {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        auto* created = new QNetworkAccessManager();
        created->setCookieJar(new NoCookieJar(created));
        created->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        created->setAutoDeleteReplies(false);
        return created;
    }();
    return *instance;
}

} // namespace TranslationNetwork
