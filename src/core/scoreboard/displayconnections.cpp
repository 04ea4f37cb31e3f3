#include "displayconnections.h"

#include "db/meetdatabase.h"
#include "server/stationlink.h"

using namespace Qt::Literals::StringLiterals;

int sendToDisplays(MeetDatabase& db, StationLink& link, const QString& text, QString* error) {
    const DbRows displays =
        db.select(u"SELECT SocketID FROM Connections WHERE ConnectionsType = 'DISPLAY'"_s);
    if (!displays.ok()) {
        if (error)
            *error = displays.error();
        return -1;
    }
    for (int row = 0; row < displays.count(); ++row)
        link.sendData(displays.value(row, u"SocketID"_s).toInt(), text);
    return displays.count();
}
