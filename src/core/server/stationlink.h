#pragma once

#include "db/connectionid.h"

#include <QString>

// The one way any part of the server talks to a station.
class StationLink {
public:
    virtual ~StationLink() = default;

    // Sends one message to one connection. A connection that has gone (or id 0)
    // makes the send fail quietly: callers check no result.
    virtual void sendData(ConnectionId connection, const QString& text) = 0;
};
