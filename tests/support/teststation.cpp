#include "teststation.h"

#include "shell/codepage1252.h"

TestStation::TestStation(quint16 port, bool lineMode, const QHostAddress& from)
    : StationProbe(false, nullptr)
    , mLineMode(lineMode) {
    connect(&mSocket, &QTcpSocket::readyRead, this, &TestStation::readAvailable);
    connect(&mSocket, &QTcpSocket::stateChanged, this, &TestStation::stateChanged);
    mSocket.bind(from);
    mSocket.connectToHost(QHostAddress::LocalHost, port);
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
        take(Cp1252::decode(bytes));
        return;
    }
    mPartial.append(bytes);
    qsizetype end;
    while ((end = mPartial.indexOf('\n')) >= 0) {
        take(Cp1252::decode(mPartial.left(end)));
        mPartial.remove(0, end + 1);
    }
}
