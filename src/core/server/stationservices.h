#pragma once

#include "db/connectionid.h"

#include <QString>
#include <QStringList>

class MessageFields;

// The judge and scoreboard services that the message dispatcher hands the
// logged-in commands to. `fields` is the message split at "|" (field 0 is the
// command word), split once by the dispatcher; a score also gets the message
// as it arrived, which its history entry keeps, and its fields as views of it. A handler copes with
// any number of fields: nothing a station sends may stop the server.
class StationServices {
public:
    virtual ~StationServices() = default;

    virtual void gymnastQuery(ConnectionId connection,
                              const QStringList& fields) = 0;                       // GYMNASTQUERY
    virtual void squadList(ConnectionId connection, const QStringList& fields) = 0; // GETSQUADLIST
    virtual void processScore(ConnectionId connection, const MessageFields& fields,
                              const QString& message) = 0; // SENDSCORE
    virtual void forwardSecondaryScore(ConnectionId connection,
                                       const QStringList& fields) = 0; // SENDSCORE2
    virtual void confirmScore(const QStringList& fields) = 0;          // CONFIRMSCORE
    virtual void adFileRequest(ConnectionId connection,
                               const QStringList& fields) = 0; // AD_FILE_START

    // Server start, after the current session is set: reload the waiting
    // scoreboard scores and start the display loops. Server stop: stop them.
    virtual void startServices() = 0;
    virtual void stopServices() = 0;
};
