#include "displayconnections.h"

#include "db/connectionstable.h"
#include "db/meetdatabase.h"
#include "server/stationlink.h"

DisplayConnections::DisplayConnections(MeetDatabase& db, QObject* parent)
    : QObject(parent)
    , mDb(db) {
    connect(&db.changes(), &MeetChanges::committed, this, [this](const MeetChange& change) {
        if (change.isWholeMeet() || change.table == ConnectionsTable::Name)
            mDisplays.reset();
    });
}

int DisplayConnections::send(StationLink& link, const QString& text, QString* error, List list) {
    if (!mDisplays || list == List::ReadAgain) {
        ConnectionsTable connections(mDb);
        mDisplays = connections.displays();
        if (!mDisplays) {
            if (error)
                *error = connections.lastError();
            return -1;
        }
    }
    // A copy: what the sending sets off may change the kept list.
    const QList<ConnectionId> displays = *mDisplays;
    link.sendToEach(displays, text);
    return int(displays.size());
}
