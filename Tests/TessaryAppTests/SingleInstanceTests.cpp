#include "App/AppDelegate.h"
#include "App/SingleInstance.h"

#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(SingleInstance, ForwardReachesTheRunningInstance) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tessary/instance.sock"));
    using tessary::InstanceForwarding::forward;
    EXPECT_FALSE(forward(SingleInstance::Request::captureNow, path.toStdString()));

    SingleInstance server;
    ASSERT_TRUE(server.listen(path));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u) << "the socket must be private to the user";

    QSignalSpy received(&server, &SingleInstance::requestReceived);
    // The client blocks on the answer, so it runs off the thread whose event loop serves it.
    auto forwarded = QtConcurrent::run(
        [path] { return forward(SingleInstance::Request::captureNow, path.toStdString()); });
    ASSERT_TRUE(received.wait(3000));
    forwarded.waitForFinished();
    EXPECT_TRUE(forwarded.result());
    EXPECT_EQ(received.first().first().value<SingleInstance::Request>(), SingleInstance::Request::captureNow);
}

TEST(SingleInstance, OversizedOrUnknownMessagesAreDropped) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("instance.sock"));
    SingleInstance server;
    ASSERT_TRUE(server.listen(path));
    QSignalSpy received(&server, &SingleInstance::requestReceived);
    for (const QByteArray& message : {QByteArray(4096, 'x'), QByteArray("hello\n")}) {
        QLocalSocket socket;
        socket.connectToServer(path);
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(message);
        socket.flush();
        // The server hangs up on bad input; it runs on this thread, so keep its events flowing.
        for (int i = 0; i < 300 && socket.state() != QLocalSocket::UnconnectedState; ++i) {
            QCoreApplication::processEvents();
            socket.waitForDisconnected(10);
        }
        EXPECT_EQ(socket.state(), QLocalSocket::UnconnectedState);
    }
    EXPECT_EQ(received.count(), 0);
}

TEST(AppDelegate, RestartScriptQuotesThePathForTheShell) {
    EXPECT_EQ(AppDelegate::shellQuoted(QStringLiteral("/opt/it's here/tessary")),
              QStringLiteral("'/opt/it'\\''s here/tessary'"));
    // The script must survive any path: run it through a real shell with a fake "executable".
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("we'ird $(name) `x`.sh"));
    const QString marker = dir.filePath(QStringLiteral("ran"));
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Wait for a process id that no longer exists, so the loop ends at once.
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), AppDelegate::restartScript(999999999, program)});
    ASSERT_TRUE(shell.waitForFinished(5000));
    EXPECT_TRUE(QFile::exists(marker));
}

TEST(AppDelegate, CaptureItemShowsTheHotKeyAsItsShortcut) {
    using tessary::HotKeyCombination;
    using tessary::HotKeyModifiers;
    const struct {
        std::optional<HotKeyCombination> combination;
        QKeySequence expected;
    } cases[] = {
        {HotKeyCombination::defaultCombination(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_A)},
        {HotKeyCombination{HotKeyModifiers::shift, 96}, QKeySequence(Qt::SHIFT | Qt::Key_F5)},
        {HotKeyCombination{HotKeyModifiers::command, 126}, QKeySequence(Qt::META | Qt::Key_Up)},
        {HotKeyCombination{HotKeyModifiers::control, 200}, QKeySequence()}, // "#200": no equivalent
        {std::nullopt, QKeySequence()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppDelegate::menuShortcut(c.combination), c.expected)
            << c.expected.toString().toStdString();
    }
}
