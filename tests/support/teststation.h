#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>

// A station for tests: connects to the server on 127.0.0.1, sends messages and
// collects what comes back. In line mode messages are LF-terminated both ways;
// in legacy mode every read is taken as one message.
class TestStation : public QObject {
    Q_OBJECT

public:
    explicit TestStation(quint16 port, bool lineMode = true, QObject* parent = nullptr);

    bool waitConnected(int timeoutMs = 5000);
    bool isConnected() const { return mSocket.state() == QAbstractSocket::ConnectedState; }
    // Waits until the server has ended the connection.
    bool waitDisconnected(int timeoutMs = 5000);

    void send(const QString& text);
    void sendRaw(const QByteArray& bytes);

    // The oldest message not yet taken, waiting up to `timeoutMs` for one;
    // empty when none came.
    QString next(int timeoutMs = 5000);
    QStringList pending() const { return mMessages; }
    // Sends `text` and returns the next message, as next() does.
    QString ask(const QString& text, int timeoutMs = 5000);

    // Answers every "HEARTBEAT|id" with "HEARTBEAT|id" (the live-station habit).
    void setAnswerHeartbeats(bool answer) { mAnswerHeartbeats = answer; }
    int heartbeatsSeen() const { return mHeartbeatsSeen; }

    // Log-in helpers that wait for the reply and return it.
    QString loginJudge(const QString& event, const QString& judgeName, const QString& pin,
                       const QString& mode = QStringLiteral("1"),
                       const QString& number = QStringLiteral("1"));
    QString loginDisplay(const QString& name, const QString& pin,
                         const QString& event = QStringLiteral("all"));

    QTcpSocket& socket() { return mSocket; }

Q_SIGNALS:
    void messageArrived(const QString& message);

private:
    void readAvailable();
    void take(const QByteArray& bytes);

    QTcpSocket mSocket;
    bool mLineMode;
    bool mAnswerHeartbeats = false;
    int mHeartbeatsSeen = 0;
    QByteArray mPartial;
    QStringList mMessages;
};
