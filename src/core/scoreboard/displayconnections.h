#pragma once

#include "db/connectionid.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class MeetDatabase;
class StationLink;

// The logged-in score displays, read from Connections when first needed and
// kept until a committed change of Connections (a log-in, a log-out, a
// heartbeat round) or of the whole meet: every score offered to the boards goes
// to all of them, while the list changes only as stations come and go.
class DisplayConnections : public QObject {
    Q_OBJECT

public:
    explicit DisplayConnections(MeetDatabase& db, QObject* parent = nullptr);

    // Which list a message goes by: the one kept, or one read again from the
    // registry, for the operator's own commands, which must hear of a
    // registry that cannot be read.
    enum class List { Kept, ReadAgain };

    // Sends one message to every logged-in score display, in registry order.
    // Returns the number of displays it went to; -1 when the registry could
    // not be read (`error` tells why).
    int send(StationLink& link, const QString& text, QString* error = nullptr,
             List list = List::Kept);

private:
    MeetDatabase& mDb;
    std::optional<QList<ConnectionId>> mDisplays; // empty until read, and once changed
};
