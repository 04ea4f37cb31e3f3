#include "teststation.h"

#include "shell/codepage1252.h"
#include "signalwait.h"

using namespace Qt::Literals::StringLiterals;

TestStation::TestStation(quint16 port, bool lineMode, QObject* parent)
    : QObject(parent)
    , mLineMode(lineMode) {
    connect(&mSocket, &QTcpSocket::readyRead, this, &TestStation::readAvailable);
    mSocket.connectToHost(QHostAddress::LocalHost, port);
}

bool TestStation::waitConnected(int timeoutMs) {
    return mSocket.waitForConnected(timeoutMs);
}

bool TestStation::waitDisconnected(int timeoutMs) {
    return waitOnSignal(
        &mSocket, &QTcpSocket::disconnected,
        [this] { return mSocket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}

void TestStation::send(const QString& text) {
    QByteArray bytes = Cp1252::encode(text);
    if (mLineMode)
        bytes.append('\n');
    sendRaw(bytes);
}

void TestStation::sendRaw(const QByteArray& bytes) {
    mSocket.write(bytes);
    mSocket.flush();
}

void TestStation::readAvailable() {
    const QByteArray bytes = mSocket.readAll();
    if (!mLineMode) {
        take(bytes);
        return;
    }
    mPartial.append(bytes);
    qsizetype end;
    while ((end = mPartial.indexOf('\n')) >= 0) {
        take(mPartial.left(end));
        mPartial.remove(0, end + 1);
    }
}

void TestStation::take(const QByteArray& bytes) {
    const QString message = Cp1252::decode(bytes);
    if (message.startsWith(u"HEARTBEAT|"_s)) {
        ++mHeartbeatsSeen;
        if (mAnswerHeartbeats) {
            send(message);
            return;
        }
    }
    mMessages.append(message);
    Q_EMIT messageArrived(message);
}

QString TestStation::next(int timeoutMs) {
    waitOnSignal(
        this, &TestStation::messageArrived, [this] { return !mMessages.isEmpty(); }, timeoutMs);
    return mMessages.isEmpty() ? QString() : mMessages.takeFirst();
}

QString TestStation::ask(const QString& text, int timeoutMs) {
    send(text);
    return next(timeoutMs);
}

QString TestStation::loginJudge(const QString& event, const QString& judgeName, const QString& pin,
                                const QString& mode, const QString& number) {
    if (!waitConnected())
        return {};
    return ask(u"JUDGEAUTH|%1|%2|%3|%4|%5"_s.arg(event, judgeName, pin, mode, number));
}

QString TestStation::loginDisplay(const QString& name, const QString& pin, const QString& event) {
    if (!waitConnected())
        return {};
    return ask(u"DISPLAYAUTH|%1|%2|%3"_s.arg(name, pin, event));
}
