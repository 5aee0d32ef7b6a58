#include "LoopbackCloudService.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

// The test cloud service as its own process, for end-to-end scripts: prints its origin (or
// writes it to --origin-file) and serves until killed.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("origin-file"), QStringLiteral("Write the origin here."), QStringLiteral("path")});
    parser.addOption({QStringLiteral("daily-limit"), QStringLiteral("Daily quota."), QStringLiteral("n"),
                      QStringLiteral("50")});
    parser.process(app);
    LoopbackCloudService service;
    if (!service.isListening()) {
        return 1;
    }
    service.setDailyLimit(parser.value(QStringLiteral("daily-limit")).toInt());
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
