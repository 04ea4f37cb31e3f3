#pragma once

#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

// Passes bytes between clients (a standby) and the server on port `target` of
// this machine, rewriting the address the client asked for into the
// server's, until cut: then
// nothing passes either way and the connections stay open, as with a pulled
// cable. Mended, it drops what it held and lets new connections through.
class Relay : public QObject {
public:
    explicit Relay(quint16 target)
        : mTarget(target) {
        mServer.listen(QHostAddress::LocalHost);
        connect(&mServer, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = mServer.nextPendingConnection())
                pass(client);
        });
    }
    quint16 port() const { return mServer.serverPort(); }
    void cut() { mCut = true; }
    void mend() {
        qDeleteAll(std::exchange(mSockets, {}));
        mCut = false;
    }

private:
    void pass(QTcpSocket* client);

    QTcpServer mServer;
    quint16 mTarget;
    bool mCut = false;
    QList<QTcpSocket*> mSockets;
};
