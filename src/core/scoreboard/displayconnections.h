#pragma once

#include "db/connectionid.h"

#include <QList>
#include <QString>

class MeetDatabase;
class StationLink;

// Sends one message to every logged-in score display, in registry order.
// Returns the number of displays it went to; -1 when the registry could not
// be read (`error` tells why).
int sendToDisplays(MeetDatabase& db, StationLink& link, const QString& text,
                   QString* error = nullptr);
