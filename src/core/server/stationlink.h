#pragma once

#include "db/connectionid.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The one way any part of the server talks to a station.
class StationLink {
public:
    virtual ~StationLink() = default;

    // Sends one message to one connection. A connection that has gone (or id 0)
    // makes the send fail quietly: callers check no result.
    virtual void sendData(ConnectionId connection, const QString& text) = 0;
    // Sends one message to each of `connections`, in their order, as
    // sendData() sends it to each.
    virtual void sendToEach(const QList<ConnectionId>& connections, const QString& text) {
        for (const ConnectionId connection : connections)
            sendData(connection, text);
    }
    // Sends one message of raw bytes (an advertisement image's answer) byte
    // for byte, with no text conversion on the way; fails quietly the same way.
    virtual void sendBytes(ConnectionId connection, const QByteArray& message) = 0;
    // The station as the score history names its source: its address and
    // what carries it ("TCP" or "browser"); empty for a connection that has gone.
    virtual QString describe(ConnectionId connection) const = 0;
};
