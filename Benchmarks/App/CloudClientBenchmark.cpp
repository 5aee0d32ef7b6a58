#include "Cloud/CloudSettings.h"
#include "Cloud/VelmoraClient.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {

constexpr int itemCount = 20;

// The service's side kept out of the measurement: a canned translation reply for 20 items,
// answered from its own thread.
class CannedService : public QObject {
public:
    CannedService() {
        QByteArray items;
        for (int i = 0; i < itemCount; ++i) {
            items += (i ? "," : "") + QByteArray(R"({"id":)") + QByteArray::number(i) + R"(,"text":"第 )" +
                     QByteArray::number(i) + R"( 段译文，长短和界面文字差不多"})";
        }
        const QByteArray body =
            R"({"items":[)" + items +
            R"(],"stats":{"blocks":20,"cacheHit":5,"upstream":15,"upstreamMs":120,"totalMs":130},)"
            R"("quota":{"used":42,"limit":500,"resetAt":"2026-12-09T00:00:00.000Z"}})";
        m_reply = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\n\r\n" + body;
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    // Keep-alive, as a real service would: one request per complete body.
    void serve(QTcpSocket* socket) {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        for (;;) {
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0) {
                return;
            }
            const qsizetype lengthAt = buffer.toLower().indexOf("content-length:");
            const qsizetype length =
                lengthAt < 0 || lengthAt > end
                    ? 0
                    : buffer.mid(lengthAt + 15, buffer.indexOf("\r\n", lengthAt) - lengthAt - 15)
                          .trimmed()
                          .toLongLong();
            if (buffer.size() < end + 4 + length) {
                return;
            }
            buffer.remove(0, end + 4 + length);
            socket->write(m_reply);
        }
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QByteArray m_reply;
};

// Building the request, sending it over loopback, decoding the reply and storing the quota.
void BM_CloudTranslate20Items(benchmark::State& state) {
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    QThread serviceThread;
    QObject serviceContext;
    serviceContext.moveToThread(&serviceThread);
    serviceThread.start();
    CannedService* service = nullptr;
    QMetaObject::invokeMethod(
        &serviceContext, [&service] { service = new CannedService(); }, Qt::BlockingQueuedConnection);

    QHash<QString, QString> secrets{{QStringLiteral("velmora-token"), QStringLiteral("benchmark-token")}};
    VelmoraClient::Options options;
    options.secrets.read = [&secrets](QString account) -> QCoro::Task<std::optional<QString>> {
        co_return secrets.value(account);
    };
    options.secrets.write = [](QString, QString) -> QCoro::Task<bool> { co_return true; };
    options.secrets.remove = [](QString) -> QCoro::Task<bool> { co_return true; };
    VelmoraClient client(std::move(options));
    CloudSettings::baseURL().set(QStringLiteral("http://127.0.0.1:") + QString::number(service->port()));

    QStringList texts;
    for (int i = 0; i < itemCount; ++i) {
        texts.append(
            QStringLiteral("Paragraph %1 of a settings window, about as long as interface text").arg(i));
    }
    for (auto _ : state) {
        const VelmoraClient::Translation result = QCoro::waitFor(
            client.translate(texts, QStringLiteral("zh-Hans"), QStringLiteral("0f0e0d0c-bench"), false));
        if (result.texts.size() != itemCount) {
            state.SkipWithError("wrong number of texts");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
    QMetaObject::invokeMethod(
        &serviceContext, [service] { delete service; }, Qt::BlockingQueuedConnection);
    serviceThread.quit();
    serviceThread.wait();
}
BENCHMARK(BM_CloudTranslate20Items)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// One write of the stored quota to the settings file, which the client keeps off the request path.
void BM_CloudQuotaSettingsWrite(benchmark::State& state) {
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    tessary::CloudQuota quota{1, 500, std::nullopt, {}};
    for (auto _ : state) {
        ++quota.used;
        CloudSettings::storeQuota(quota);
    }
}
BENCHMARK(BM_CloudQuotaSettingsWrite)->Unit(benchmark::kMicrosecond);

} // namespace
