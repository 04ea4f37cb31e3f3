#pragma once

#include <QHostAddress>
#include <QString>
#include <QTcpSocket>
#include <QUrl>
#include <QWebSocket>

#include <functional>

// One station's connection, TCP (line mode) or WebSocket: one message a call.
class Client {
public:
    virtual ~Client() = default;
    virtual void send(const QString& text) = 0;
    std::function<void(const QString&)> received;
    std::function<void()> connected;
};

class TcpClient : public Client {
public:
    explicit TcpClient(quint16 port) {
        QObject::connect(&mSocket, &QTcpSocket::connected, &mSocket, [this] {
            mSocket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
            connected();
        });
        QObject::connect(&mSocket, &QTcpSocket::readyRead, &mSocket, [this] {
            while (mSocket.canReadLine())
                received(QString::fromLatin1(mSocket.readLine().chopped(1)));
        });
        mSocket.connectToHost(QHostAddress::LocalHost, port);
    }
    void send(const QString& text) override {
        mSocket.write(text.toLatin1() + '\n');
        mSocket.flush();
    }

private:
    QTcpSocket mSocket;
};

class WebClient : public Client {
public:
    explicit WebClient(quint16 port) {
        QObject::connect(&mSocket, &QWebSocket::connected, &mSocket, [this] { connected(); });
        QObject::connect(&mSocket, &QWebSocket::textMessageReceived, &mSocket,
                         [this](const QString& text) { received(text); });
        mSocket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/station").arg(port)));
    }
    // Written at once, as the TCP client's lines are.
    void send(const QString& text) override {
        mSocket.sendTextMessage(text);
        mSocket.flush();
    }

private:
    QWebSocket mSocket;
};
