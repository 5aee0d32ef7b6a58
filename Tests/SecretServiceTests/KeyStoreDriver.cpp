// Drives APIKeyStore in its own process for keystore.sh:
//   KeyStoreDriver roundtrip SECRET   write, read, replace, blank-delete, delete on every account
//   KeyStoreDriver keep SECRET        leave SECRET under "deepseek"
//   KeyStoreDriver read               print the "deepseek" secret or <none>
//   KeyStoreDriver delete             delete the "deepseek" secret
// Prints memoryOnly=<0|1> notices=<n>; exits 1 on the first wrong result. KEYSTORE_JOB_TIMEOUT_MS
// shortens the key store's job timeout.
#include "App/AppIdentity.h"
#include "Translation/APIKeyStore.h"
#include "Translation/TranslationSettings.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

int notices = 0;

bool expect(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "KeyStoreDriver: %s\n", what);
    }
    return condition;
}

std::optional<QString> readKey(const QString& account) {
    return QCoro::waitFor(APIKeyStore::read(account));
}

bool roundtrip(const QString& secret) {
    const QString replacement = secret + QStringLiteral("-replaced");
    for (const char* name : {APIKeyStore::deepSeekAccount, APIKeyStore::velmoraTokenAccount,
                             APIKeyStore::velmoraDeviceAccount}) {
        const QString account = QString::fromLatin1(name);
        const bool ok =
            expect(QCoro::waitFor(
                       APIKeyStore::write(QStringLiteral("  ") + secret + QStringLiteral("\n"), account)),
                   "write") &&
            expect(readKey(account) == secret, "read after write (trimmed)") &&
            expect(QCoro::waitFor(APIKeyStore::write(replacement, account)), "replace") &&
            expect(readKey(account) == replacement, "read after replace") &&
            expect(QCoro::waitFor(APIKeyStore::write(QStringLiteral(" \t\n "), account)), "blank write") &&
            expect(!readKey(account), "blank write deletes") &&
            expect(QCoro::waitFor(APIKeyStore::write(secret, account)), "write again") &&
            expect(QCoro::waitFor(APIKeyStore::remove(account)), "delete") &&
            expect(!readKey(account), "read after delete") &&
            expect(QCoro::waitFor(APIKeyStore::remove(account)), "delete when absent");
        if (!ok) {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    AppIdentity::install();
    QObject::connect(APIKeyStore::notifier(), &APIKeyStore::memoryOnly, [] { ++notices; });
    if (const int timeout = qEnvironmentVariableIntValue("KEYSTORE_JOB_TIMEOUT_MS"); timeout > 0) {
        APIKeyStore::setJobTimeout(std::chrono::milliseconds(timeout));
    }
    // A settings file exists after every run, so the script can check it holds no secret.
    TranslationSettings::setTarget(QStringLiteral("ja"));

    const QStringList args = app.arguments();
    const QString command = args.value(1);
    const QString secret = args.value(2);
    bool ok = true;
    if (command == QLatin1String("roundtrip")) {
        ok = roundtrip(secret);
    } else if (command == QLatin1String("keep")) {
        ok = expect(QCoro::waitFor(APIKeyStore::write(secret, QStringLiteral("deepseek"))), "keep");
    } else if (command == QLatin1String("read")) {
        const std::optional<QString> value = readKey(QStringLiteral("deepseek"));
        std::printf("%s\n", value ? qPrintable(*value) : "<none>");
    } else if (command == QLatin1String("delete")) {
        ok = expect(QCoro::waitFor(APIKeyStore::remove(QStringLiteral("deepseek"))), "delete");
    } else {
        std::fprintf(stderr, "usage: KeyStoreDriver roundtrip|keep|read|delete [SECRET]\n");
        return 2;
    }
    std::printf("memoryOnly=%d notices=%d\n", APIKeyStore::isMemoryOnly() ? 1 : 0, notices);
    return ok ? 0 : 1;
}
