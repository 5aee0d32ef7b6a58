#include "LoopbackCloudService.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A password never reaches the log.
QJsonValue parsed(const QByteArray& json) {
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject()) {
        return QString::fromUtf8(json.left(200));
    }
    QJsonObject object = document.object();
    object.remove(QStringLiteral("password"));
    return object;
}

} // namespace

// The test cloud service as its own process, for end-to-end scripts: prints its origin (or
// writes it to --origin-file) and serves until killed. --translations takes a JSON array of
// [phrase, translation] pairs; --requests-file gets one JSON line per answered request.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("origin-file"), QStringLiteral("Write the origin here."), QStringLiteral("path")});
    parser.addOption({QStringLiteral("daily-limit"), QStringLiteral("Daily quota."), QStringLiteral("n"),
                      QStringLiteral("50")});
    parser.addOption(
        {QStringLiteral("translations"), QStringLiteral("Phrase table (JSON)."), QStringLiteral("path")});
    parser.addOption({QStringLiteral("requests-file"), QStringLiteral("Append answered requests here."),
                      QStringLiteral("path")});
    parser.process(app);
    LoopbackCloudService service;
    if (!service.isListening()) {
        return 1;
    }
    service.setDailyLimit(parser.value(QStringLiteral("daily-limit")).toInt());
    if (parser.isSet(QStringLiteral("translations"))) {
        QFile file(parser.value(QStringLiteral("translations")));
        if (!file.open(QIODevice::ReadOnly)) {
            return 1;
        }
        QList<QPair<QString, QString>> table;
        for (const QJsonValue& pair : QJsonDocument::fromJson(file.readAll()).array()) {
            table.append({pair[0].toString(), pair[1].toString()});
        }
        service.setTranslations(std::move(table));
    }
    QFile requests(parser.value(QStringLiteral("requests-file")));
    if (parser.isSet(QStringLiteral("requests-file"))) {
        if (!requests.open(QIODevice::WriteOnly | QIODevice::Append)) {
            return 1;
        }
        QObject::connect(
            &service, &LoopbackCloudService::answered, &app,
            [&requests](const LoopbackCloudService::Request& request, int status, const QByteArray& body) {
                const QJsonObject line{{QStringLiteral("method"), QString::fromLatin1(request.method)},
                                       {QStringLiteral("path"), QString::fromLatin1(request.path)},
                                       {QStringLiteral("authorization"),
                                        QString::fromLatin1(request.headers.value("authorization"))},
                                       {QStringLiteral("body"), parsed(request.body)},
                                       {QStringLiteral("status"), status},
                                       {QStringLiteral("reply"), parsed(body)}};
                requests.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
                requests.flush();
            });
    }
    const QByteArray origin = service.origin().toUtf8() + '\n';
    if (parser.isSet(QStringLiteral("origin-file"))) {
        QFile file(parser.value(QStringLiteral("origin-file")));
        if (!file.open(QIODevice::WriteOnly) || file.write(origin) != origin.size()) {
            return 1;
        }
    } else {
        fwrite(origin.constData(), 1, static_cast<size_t>(origin.size()), stdout);
        fflush(stdout);
    }
    return app.exec();
}
