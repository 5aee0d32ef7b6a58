#include "Translation/ServiceURL.h"

namespace ServiceURL {

std::optional<Checked> check(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || !url.userInfo().isEmpty() || url.hasQuery() ||
        url.hasFragment()) {
        return std::nullopt;
    }
    const QByteArray scheme = url.scheme().toUtf8();
    const QByteArray host = url.host(QUrl::FullyEncoded).toUtf8();
    const auto verdict = tessary::TranslationEndpoint::classify(scheme.toStdString(), host.toStdString());
    if (verdict == tessary::TranslationEndpoint::Verdict::refused) {
        return std::nullopt;
    }
    return Checked{url, verdict};
}

QUrl appending(const QUrl& base, const QString& path) {
    QUrl url = base;
    QString basePath = url.path();
    while (basePath.endsWith(QLatin1Char('/'))) {
        basePath.chop(1);
    }
    url.setPath(basePath + path);
    return url;
}

} // namespace ServiceURL
