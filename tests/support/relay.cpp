#include "relay.h"

void Relay::pass(QTcpSocket* client) {
    if (mCut) {
        client->abort();
        client->deleteLater();
        return;
    }
    auto* server = new QTcpSocket(this);
    client->setParent(this);
    mSockets << client << server;
    server->connectToHost(QHostAddress::LocalHost, mTarget);
    const QByteArray from = "127.0.0.1:" + QByteArray::number(port());
    const QByteArray to = "127.0.0.1:" + QByteArray::number(mTarget);
    connect(client, &QTcpSocket::readyRead, this, [this, client, server, from, to] {
        if (mCut)
            return;
        server->write(client->readAll().replace(from, to));
    });
    connect(server, &QTcpSocket::readyRead, this, [this, client, server] {
        if (!mCut)
            client->write(server->readAll());
    });
}
