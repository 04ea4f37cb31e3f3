#pragma once

#include "server/stationserver.h"
#include "webserver.h"

#include <QObject>

// The ports of a standby before it takes over: open, so that stations
// pointed at it hear why they cannot log in, but every log-in is refused.
class StandbyGate : public QObject {
    Q_OBJECT

public:
    static inline const QString Refusal =
        QStringLiteral("AUTHRESP|1|This Tallvane is the standby; log in to the primary.");

    explicit StandbyGate(QObject* parent = nullptr);

    // Opens the station port and the web port (0: a free one each); what
    // could not be opened, or empty.
    QString open(quint16 stationPort, quint16 webPort);
    void close();
    quint16 stationPort() const { return mStations.serverPort(); }
    quint16 webPort() const { return mWeb.port(); }

private:
    StationServer mStations;
    WebServer mWeb;
};
