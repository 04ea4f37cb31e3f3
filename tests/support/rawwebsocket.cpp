#include "rawwebsocket.h"

#include "signalwait.h"

#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

RawWebSocket::RawWebSocket(quint16 port, const QString& path, const QHostAddress& from,
                           QObject* parent)
    : QObject(parent) {
    connect(&mSocket, &QTcpSocket::connected, this, [this, port, path] {
        mSocket.write("GET " + path.toLatin1() +
                      " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                      "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                      "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                      "Sec-WebSocket-Version: 13\r\n\r\n");
    });
    connect(&mSocket, &QTcpSocket::readyRead, this, [this] {
        if (!mReading)
            return;
        mReceived += mSocket.readAll();
        if (!mUpgraded && mReceived.contains("\r\n\r\n")) {
            mUpgraded = mReceived.startsWith("HTTP/1.1 101");
            mReceived = mReceived.mid(mReceived.indexOf("\r\n\r\n") + 4);
        }
    });
    mSocket.bind(from);
    mSocket.connectToHost(QHostAddress::LocalHost, port);
}

bool RawWebSocket::waitUpgraded(int timeoutMs) {
    const auto unconnected = [this] {
        return mSocket.state() == QAbstractSocket::UnconnectedState;
    };
    waitOnSignal(
        &mSocket, &QTcpSocket::readyRead, [&] { return mUpgraded || unconnected(); }, timeoutMs);
    return mUpgraded;
}

bool RawWebSocket::waitReceived(const QByteArray& bytes, int timeoutMs) {
    waitOnSignal(
        &mSocket, &QTcpSocket::readyRead,
        [&] { return mReceived.contains(bytes) || !isConnected(); }, timeoutMs);
    return mReceived.contains(bytes);
}

bool RawWebSocket::waitDisconnected(int timeoutMs) {
    return waitOnSignal(
        &mSocket, &QTcpSocket::disconnected,
        [this] { return mSocket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}

void RawWebSocket::stopReading() {
    mReading = false;
    // Qt's own buffer stays small too, so the kernel's fills and then the server's.
    mSocket.setReadBufferSize(1024);
    mSocket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
}

QByteArray RawWebSocket::frame(quint8 opcode, const QByteArray& payload, bool masked, bool final,
                               qint64 announced) {
    const quint64 length = announced < 0 ? quint64(payload.size()) : quint64(announced);
    QByteArray bytes;
    bytes.append(char((final ? 0x80 : 0) | opcode));
    const char maskBit = masked ? char(0x80) : char(0);
    if (length < 126) {
        bytes.append(char(maskBit | char(length)));
    } else if (length <= 0xffff) {
        bytes.append(char(maskBit | 126));
        char extended[2];
        qToBigEndian<quint16>(quint16(length), extended);
        bytes.append(extended, 2);
    } else {
        bytes.append(char(maskBit | 127));
        char extended[8];
        qToBigEndian<quint64>(length, extended);
        bytes.append(extended, 8);
    }
    if (!masked)
        return bytes + payload;
    const char key[4] = {0x12, 0x34, 0x56, 0x78};
    bytes.append(key, 4);
    for (qsizetype i = 0; i < payload.size(); ++i)
        bytes.append(char(payload.at(i) ^ key[i % 4]));
    return bytes;
}
