#pragma once

#include <QByteArray>
#include <QString>

// One station's connection, whatever carries it: a TCP socket (TcpStation) or
// a browser's WebSocket (WebStation). The StationServer names every channel
// from one id sequence, counts them against one limit and sends through this;
// the channel reports its messages and its end back to the server.
class StationChannel {
public:
    virtual ~StationChannel() = default;

    // One whole protocol message to the station, unless what waits to be
    // written would then pass `maxPending` bytes: false, and nothing is sent.
    // A channel whose connection has gone sends nothing and returns true.
    virtual bool sendMessage(const QString& text, qint64 maxPending) = 0;
    // The same message, given also as its Windows-1252 bytes made once for
    // many stations: a channel that carries those bytes sends them as they are.
    virtual bool sendEncoded(const QString& text, const QByteArray& cp1252, qint64 maxPending) {
        Q_UNUSED(cp1252);
        return sendMessage(text, maxPending);
    }
    // One message of raw bytes (an advertisement image's answer), carried as
    // they are, byte for byte; the same rules as sendMessage().
    virtual bool sendBytes(const QByteArray& message, qint64 maxPending) = 0;
    // Bytes waiting to be written to the station.
    virtual qint64 pendingOutput() const = 0;
    // The server ends the connection; the channel reports nothing back.
    virtual void close() = 0;
    // What carries it, as the score history names it: "TCP" or "browser".
    virtual QString transport() const = 0;
};
