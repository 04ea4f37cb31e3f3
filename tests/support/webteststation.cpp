#include "webteststation.h"

#include "signalwait.h"

#include <QNetworkRequest>

using namespace Qt::Literals::StringLiterals;

WebTestStation::WebTestStation(quint16 port, const QString& origin, QObject* parent)
    : QObject(parent) {
    connect(&mSocket, &QWebSocket::textMessageReceived, this, [this](const QString& text) {
        if (mAnswerHeartbeats && text.startsWith(u"HEARTBEAT|"_s)) {
            mSocket.sendTextMessage(text);
            return;
        }
        mMessages.append(text);
        Q_EMIT arrived();
    });
    connect(&mSocket, &QWebSocket::binaryMessageReceived, this, [this](const QByteArray& bytes) {
        mBinary.append(bytes);
        Q_EMIT arrived();
    });
    QNetworkRequest request(QUrl(u"ws://127.0.0.1:%1/station"_s.arg(port)));
    if (!origin.isEmpty())
        request.setRawHeader("Origin", origin.toUtf8());
    mSocket.open(request);
}

bool WebTestStation::waitConnected(int timeoutMs) {
    return waitOnSignal(
        &mSocket, &QWebSocket::connected, [this] { return isConnected(); }, timeoutMs);
}

bool WebTestStation::waitDisconnected(int timeoutMs) {
    return waitOnSignal(
        &mSocket, &QWebSocket::disconnected,
        [this] { return mSocket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}

template <typename List>
typename List::value_type WebTestStation::takeFirst(List& list, int timeoutMs) {
    waitOnSignal(
        this, &WebTestStation::arrived, [&list] { return !list.isEmpty(); }, timeoutMs);
    return list.isEmpty() ? typename List::value_type() : list.takeFirst();
}

QString WebTestStation::next(int timeoutMs) {
    return takeFirst(mMessages, timeoutMs);
}

QByteArray WebTestStation::nextBinary(int timeoutMs) {
    return takeFirst(mBinary, timeoutMs);
}

QString WebTestStation::loginJudge(const QString& event, int number, const QString& pin) {
    if (!waitConnected())
        return {};
    send(u"JUDGEAUTH|%1|Judge %2|%3|1|%2"_s.arg(event).arg(number).arg(pin));
    return next();
}

QString WebTestStation::loginDisplay(const QString& name, const QString& pin) {
    if (!waitConnected())
        return {};
    send(u"DISPLAYAUTH|%1|%2|all"_s.arg(name, pin));
    return next();
}
