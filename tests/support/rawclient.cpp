#include "rawclient.h"

#include "signalwait.h"

#include <QDataStream>
#include <QTest>

RawClient::RawClient(quint16 port, const QString& webSocketPath, const QHostAddress& from)
    : mUpgrading(!webSocketPath.isEmpty()) {
    connect(&mSocket, &QTcpSocket::connected, this, [this, port, webSocketPath] {
        if (mUpgrading)
            send("GET " + webSocketPath.toLatin1() +
                 " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                 "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                 "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                 "Sec-WebSocket-Version: 13\r\n\r\n");
    });
    connect(&mSocket, &QTcpSocket::readyRead, this, [this] {
        if (!mReading)
            return;
        mReceived += mSocket.readAll();
        if (mUpgrading && mReceived.contains("\r\n\r\n")) {
            mUpgrading = false;
            mUpgraded = mReceived.startsWith("HTTP/1.1 101");
            mReceived = mReceived.mid(mReceived.indexOf("\r\n\r\n") + 4);
        }
    });
    mSocket.bind(from);
    mSocket.connectToHost(QHostAddress::LocalHost, port);
}

bool RawClient::waitUpgraded(int timeoutMs) {
    waitOnSignal(
        &mSocket, &QTcpSocket::readyRead,
        [&] { return mUpgraded || mSocket.state() == QAbstractSocket::UnconnectedState; },
        timeoutMs);
    return mUpgraded;
}

bool RawClient::waitReceived(const QByteArray& bytes, int timeoutMs) {
    waitOnSignal(
        &mSocket, &QTcpSocket::readyRead, [&] { return mReceived.contains(bytes) || !connected(); },
        timeoutMs);
    return mReceived.contains(bytes);
}

bool RawClient::waitClosed(int timeoutMs) {
    return waitOnSignal(
        &mSocket, &QTcpSocket::stateChanged,
        [this] { return mSocket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}

int RawClient::status(int index) {
    (void)QTest::qWaitFor(
        [&] {
            return mReceived.count("HTTP/1.1 ") > index ||
                   mSocket.state() == QAbstractSocket::UnconnectedState;
        },
        5000);
    qsizetype at = -1;
    for (int i = 0; i <= index; ++i) {
        at = mReceived.indexOf("HTTP/1.1 ", at + 1);
        if (at < 0)
            return 0;
    }
    return mReceived.mid(at + 9, 3).toInt();
}

void RawClient::setReading(bool reading) {
    mReading = reading;
    // Qt's own buffer stays small, so the kernel's fills and then the server's.
    mSocket.setReadBufferSize(reading ? 0 : 1024);
    if (reading)
        mReceived += mSocket.readAll();
}

QByteArray RawClient::frame(quint8 opcode, const QByteArray& payload, bool masked, bool final,
                            qint64 announced) {
    const quint64 length = announced < 0 ? quint64(payload.size()) : quint64(announced);
    const quint8 mask = masked ? 0x80 : 0;
    QByteArray bytes;
    QDataStream header(&bytes, QIODevice::WriteOnly); // big-endian, as the protocol wants
    header << quint8((final ? 0x80 : 0) | opcode);
    if (length < 126)
        header << quint8(mask | length);
    else if (length <= 0xffff)
        header << quint8(mask | 126) << quint16(length);
    else
        header << quint8(mask | 127) << quint64(length);
    if (!masked)
        return bytes + payload;
    const char key[4] = {0x12, 0x34, 0x56, 0x78};
    bytes.append(key, 4);
    for (qsizetype i = 0; i < payload.size(); ++i)
        bytes.append(char(payload.at(i) ^ key[i % 4]));
    return bytes;
}
