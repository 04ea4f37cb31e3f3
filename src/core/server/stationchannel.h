#pragma once

#include <QString>

// A station connection that reaches the server another way than its TCP
// listener (a browser's WebSocket). The StationServer names it from the same
// id sequence, counts it against the same limit and sends to it through this.
class StationChannel {
public:
    virtual ~StationChannel() = default;

    // One whole protocol message to the station.
    virtual void sendMessage(const QString& text) = 0;
    // Bytes waiting to be written to the station.
    virtual qint64 pendingOutput() const = 0;
    // The server ends the connection; the channel reports nothing back.
    virtual void close() = 0;
};
