#include "Translation/APIKeyStore.h"

#include "Foundation/Log.h"

#include <QCoro/QCoroSignal>
#include <QHash>
#include <QPointer>
#include <qt6keychain/keychain.h>

#include <type_traits>

namespace {

struct Store {
    bool memoryOnly = false;
    std::chrono::milliseconds timeout{5000};
    // Secrets of this run once the Secret Service is unusable.
    QHash<QString, QString> memory;
};

Store& store() {
    static Store instance;
    return instance;
}

struct JobResult {
    QKeychain::Error error = QKeychain::NoError;
    QString errorText;
    QString data;
    bool timedOut = false;
};

bool isTrimmable(QChar c) {
    return c.isSpace();
}

QString trimmed(const QString& value) {
    qsizetype start = 0;
    qsizetype end = value.size();
    while (start < end && isTrimmable(value.at(start))) {
        ++start;
    }
    while (end > start && isTrimmable(value.at(end - 1))) {
        --end;
    }
    return value.mid(start, end - start);
}

// Runs one job under the store's timeout. A job that outlives it cleans up after itself.
template <typename JobType> QCoro::Task<JobResult> run(JobType* job) {
    job->setAutoDelete(false);
    job->setInsecureFallback(false);
    QPointer<JobType> guard(job);
    // Listening before start(): a job may finish at once.
    auto finishing = qCoro(job, &QKeychain::Job::finished, store().timeout);
    job->start();
    const auto finished = co_await finishing;
    JobResult result;
    if (!finished || !guard) {
        result.timedOut = true;
        if (guard) {
            QObject::connect(job, &QKeychain::Job::finished, job, &QObject::deleteLater);
        }
        co_return result;
    }
    result.error = job->error();
    result.errorText = job->errorString();
    if constexpr (std::is_same_v<JobType, QKeychain::ReadPasswordJob>) {
        result.data = job->textData();
    }
    job->deleteLater();
    co_return result;
}

// No service on the bus, a locked keyring, or a bus that never answers.
bool meansUnusable(const JobResult& result) {
    return result.timedOut || result.error == QKeychain::NoBackendAvailable ||
           result.error == QKeychain::NotImplemented || result.error == QKeychain::OtherError ||
           result.error == QKeychain::AccessDenied || result.error == QKeychain::AccessDeniedByUser;
}

void fallBackToMemory(const JobResult& result) {
    if (store().memoryOnly) {
        return;
    }
    store().memoryOnly = true;
    const QString reason = result.timedOut ? QStringLiteral("超时") : result.errorText;
    Log::error(QStringLiteral("钥匙串不可用（") + reason +
               QStringLiteral("）：密钥只保存在本次运行的内存里，退出后需要重新填写。"));
    Q_EMIT APIKeyStore::notifier()->memoryOnly();
}

QString failureText(const JobResult& result) {
    return QStringLiteral("QtKeychain ") + QString::number(static_cast<int>(result.error)) +
           QLatin1Char(' ') + result.errorText;
}

} // namespace

QCoro::Task<std::optional<QString>> APIKeyStore::read(QString account) {
    if (!store().memoryOnly) {
        auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(service));
        job->setKey(account);
        const JobResult result = co_await run(job);
        if (!result.timedOut && result.error == QKeychain::NoError) {
            co_return result.data.isEmpty() ? std::nullopt : std::optional<QString>(result.data);
        }
        if (!result.timedOut && result.error == QKeychain::EntryNotFound) {
            co_return std::nullopt;
        }
        if (!meansUnusable(result)) {
            Log::error(QStringLiteral("读取钥匙串失败：") + failureText(result));
            co_return std::nullopt;
        }
        fallBackToMemory(result);
    }
    const auto found = store().memory.constFind(account);
    co_return found == store().memory.constEnd() || found->isEmpty() ? std::nullopt
                                                                     : std::optional<QString>(*found);
}

QCoro::Task<bool> APIKeyStore::write(QString value, QString account) {
    const QString secret = trimmed(value);
    if (secret.isEmpty()) {
        co_return co_await remove(account);
    }
    if (!store().memoryOnly) {
        auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(service));
        job->setKey(account);
        job->setTextData(secret);
        const JobResult result = co_await run(job);
        if (!result.timedOut && result.error == QKeychain::NoError) {
            co_return true;
        }
        if (!meansUnusable(result)) {
            Log::error(QStringLiteral("写入钥匙串失败：") + failureText(result));
            co_return false;
        }
        fallBackToMemory(result);
    }
    store().memory.insert(account, secret);
    co_return true;
}

QCoro::Task<bool> APIKeyStore::remove(QString account) {
    store().memory.remove(account);
    if (store().memoryOnly) {
        co_return true;
    }
    auto* job = new QKeychain::DeletePasswordJob(QString::fromLatin1(service));
    job->setKey(account);
    const JobResult result = co_await run(job);
    if (!result.timedOut &&
        (result.error == QKeychain::NoError || result.error == QKeychain::EntryNotFound)) {
        co_return true;
    }
    if (!meansUnusable(result)) {
        Log::error(QStringLiteral("删除钥匙串失败：") + failureText(result));
        co_return false;
    }
    fallBackToMemory(result);
    co_return true;
}

bool APIKeyStore::isMemoryOnly() {
    return store().memoryOnly;
}

std::chrono::milliseconds APIKeyStore::jobTimeout() {
    return store().timeout;
}

void APIKeyStore::setJobTimeout(std::chrono::milliseconds timeout) {
    store().timeout = timeout;
}

APIKeyStore* APIKeyStore::notifier() {
    static APIKeyStore* instance = new APIKeyStore(nullptr);
    return instance;
}
