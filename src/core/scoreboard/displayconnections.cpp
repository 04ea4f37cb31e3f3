#include "displayconnections.h"

#include "db/connectionstable.h"
#include "server/stationlink.h"

using namespace Qt::Literals::StringLiterals;

int sendToDisplays(MeetDatabase& db, StationLink& link, const QString& text, QString* error) {
    ConnectionsTable connections(db);
    const auto displays = connections.displays();
    if (!displays) {
        if (error)
            *error = connections.lastError();
        return -1;
    }
    for (const ConnectionId display : *displays)
        link.sendData(display, text);
    return int(displays->size());
}
