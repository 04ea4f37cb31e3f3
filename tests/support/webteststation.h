#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QWebSocket>

// A browser station for tests: a WebSocket to ws://127.0.0.1:PORT/station that
// sends messages and collects the text and binary frames that come back.
class WebTestStation : public QObject {
    Q_OBJECT

public:
    // `origin` is sent as the Origin header when not empty (what a browser does).
    explicit WebTestStation(quint16 port, const QString& origin = {}, QObject* parent = nullptr);

    bool waitConnected(int timeoutMs = 5000);
    bool waitDisconnected(int timeoutMs = 5000);
    bool isConnected() const { return mSocket.state() == QAbstractSocket::ConnectedState; }

    void send(const QString& text) { mSocket.sendTextMessage(text); }
    // The oldest text message not yet taken, waiting up to `timeoutMs`.
    QString next(int timeoutMs = 5000);
    // The oldest binary frame not yet taken.
    QByteArray nextBinary(int timeoutMs = 5000);

    void setAnswerHeartbeats(bool answer) { mAnswerHeartbeats = answer; }
    QString loginJudge(const QString& event, int number, const QString& pin);
    QString loginDisplay(const QString& name, const QString& pin);

    QWebSocket& socket() { return mSocket; }

Q_SIGNALS:
    void arrived();

private:
    // Takes the oldest item of `list`, waiting up to `timeoutMs` for one.
    template <typename List>
    typename List::value_type takeFirst(List& list, int timeoutMs);

    QWebSocket mSocket;
    QStringList mMessages;
    QList<QByteArray> mBinary;
    bool mAnswerHeartbeats = true;
};
