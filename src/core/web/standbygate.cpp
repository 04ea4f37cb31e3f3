#include "standbygate.h"

using namespace Qt::Literals::StringLiterals;

StandbyGate::StandbyGate(QObject* parent)
    : QObject(parent)
    , mWeb(mStations) {
    connect(&mStations, &StationServer::messageReceived, this,
            [this](ConnectionId connection, const QString& message) {
                if (message.startsWith(u"JUDGEAUTH"_s) || message.startsWith(u"DISPLAYAUTH"_s))
                    mStations.sendData(connection, Refusal);
            });
}

QString StandbyGate::open(quint16 stationPort, quint16 webPort) {
    QStringList problems;
    if (!mStations.listen(stationPort))
        problems.append(u"station port %1: %2"_s.arg(stationPort).arg(mStations.errorString()));
    if (!mWeb.listenOn(webPort))
        problems.append(u"web port %1: %2"_s.arg(webPort).arg(mWeb.errorString()));
    return problems.join(u"; "_s);
}

void StandbyGate::close() {
    mWeb.close();
    mStations.release();
}
