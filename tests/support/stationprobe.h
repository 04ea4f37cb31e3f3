#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QStringList>

// A station for tests, over whatever carries its messages (TCP, a WebSocket):
// it keeps what comes back for the test to take in order, answers heartbeats
// when told to, and logs in waiting for the reply.
class StationProbe : public QObject {
    Q_OBJECT

public:
    virtual QAbstractSocket::SocketState state() const = 0;
    virtual void send(const QString& text) = 0;

    // False when the connection failed or did not come within `timeoutMs`.
    bool waitConnected(int timeoutMs = 5000);
    bool isConnected() const { return state() == QAbstractSocket::ConnectedState; }
    // Waits until the server has ended the connection.
    bool waitDisconnected(int timeoutMs = 5000);

    // The oldest message not yet taken, waiting up to `timeoutMs` for one;
    // empty when none came.
    QString next(int timeoutMs = 5000);
    QStringList pending() const { return mMessages; }
    // Sends `text` and returns the next message, as next() does.
    QString ask(const QString& text, int timeoutMs = 5000);

    // Answers every "HEARTBEAT|id" with "HEARTBEAT|id" (the live-station habit).
    void setAnswerHeartbeats(bool answer) { mAnswerHeartbeats = answer; }
    int heartbeatsSeen() const { return mHeartbeatsSeen; }

    // Log-ins that wait for the reply and return it (empty when the station
    // could not connect).
    QString loginJudge(const QString& event, const QString& judgeName, const QString& pin,
                       const QString& mode = QStringLiteral("1"),
                       const QString& number = QStringLiteral("1"));
    // As judge `number` of the panel, named "Judge N".
    QString loginJudge(const QString& event, int number, const QString& pin);
    QString loginDisplay(const QString& name, const QString& pin,
                         const QString& event = QStringLiteral("all"));

Q_SIGNALS:
    void messageArrived(const QString& message);
    void stateChanged();

protected:
    StationProbe(bool answerHeartbeats, QObject* parent)
        : QObject(parent)
        , mAnswerHeartbeats(answerHeartbeats) {}
    // Takes one message the server sent.
    void take(const QString& message);

private:
    QStringList mMessages;
    bool mAnswerHeartbeats;
    int mHeartbeatsSeen = 0;
};
