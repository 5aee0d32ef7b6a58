#pragma once

#include <QCoroTask>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class PipeWireScreenStreams;

// A screen-cast session of every output through the desktop's ScreenCast portal, kept running so a
// capture takes the newest frames instead of asking for a screenshot. The desktop's restore token
// is stored, so only the first session ever asks the user. Main thread only.
class ScreenCastSession : public QObject {
    Q_OBJECT
public:
    enum class State { idle, starting, running, unavailable };

    explicit ScreenCastSession(QObject* parent = nullptr);
    ~ScreenCastSession() override;

    State state() const { return m_state; }
    // Starts a session when none is starting or running. Once refused or missing it stays
    // unavailable for this run: asking again would only ask the user again.
    void start();
    // Runs the event loop (user input held back) until every stream has a frame or the session
    // failed, at most `timeoutMs`. True when frames are there.
    bool waitUntilReady(int timeoutMs);
    // Ends a running session for now; start() restores it with the stored token, without asking.
    void pause();
    // The stream showing the screen named `screenName`, or -1.
    qsizetype streamFor(const QString& screenName) const { return m_screens.value(screenName, -1); }
    const PipeWireScreenStreams* streams() const { return m_streams.get(); }

    // Whether the user already allowed a session that can be restored without asking.
    static bool hasRestoreToken();

Q_SIGNALS:
    void stateChanged();

private:
    QCoro::Task<> run();
    void setState(State state);
    void stop();
    Q_SLOT void onClosed();

    State m_state = State::idle;
    QString m_sessionHandle;
    QHash<QString, qsizetype> m_screens;
    std::unique_ptr<PipeWireScreenStreams> m_streams;
};
