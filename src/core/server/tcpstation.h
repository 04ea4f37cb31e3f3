#pragma once

#include "db/connectionid.h"
#include "stationchannel.h"
#include "stationframing.h"

#include <QObject>
#include <QTcpSocket>

#include <memory>

class StationServer;

// One station on the TCP port: cuts what it reads into messages
// (StationFraming) and writes each message framed the same way. Texts are
// Windows-1252 on the wire in both directions; raw messages go as they are.
class TcpStation : public QObject, public StationChannel {
    Q_OBJECT

public:
    // `maxPending`: the most received bytes that may wait for a line end.
    TcpStation(std::unique_ptr<QTcpSocket> socket, qsizetype maxPending, StationServer& server);

    // Begins reading once the server has named the connection `connection`.
    void start(ConnectionId connection);

    bool sendMessage(const QString& text, qint64 maxPending) override;
    bool sendEncoded(const QString& text, const QByteArray& cp1252, qint64 maxPending) override;
    bool sendBytes(const QByteArray& message, qint64 maxPending) override;
    qint64 pendingOutput() const override { return mSocket->bytesToWrite(); }
    // Aborts the socket; the object deletes itself from the event loop.
    void close() override;
    QString transport() const override { return QStringLiteral("TCP"); }

private:
    void read();
    void ended();

    std::unique_ptr<QTcpSocket> mSocket;
    StationFraming mFraming;
    qsizetype mMaxPending;
    StationServer& mServer;
    ConnectionId mConnection = 0;
};
