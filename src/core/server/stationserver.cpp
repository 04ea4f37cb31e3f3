#include "stationserver.h"

#include "shell/codepage1252.h"
#include "shell/operatoralerts.h"
#include "tcpstation.h"

#include <QTimer>

#include <limits>

using namespace Qt::Literals::StringLiterals;

QString StationServer::addressText(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

StationServer::StationServer(QObject* parent)
    : QObject(parent) {
    connect(&mListener, &QTcpServer::newConnection, this, &StationServer::acceptConnections);
    connect(&mListener, &GuardedTcpServer::descriptorsRanOut, this, [this] {
        Q_EMIT problem(u"The station port turned connections away: the server has no file "
                       "descriptors left."_s);
    });
}

StationServer::~StationServer() {
    release();
}

bool StationServer::listen(quint16 port, const QHostAddress& address) {
    return mListener.start(address, port);
}

void StationServer::acceptConnections() {
    while (QTcpSocket* socket = mListener.nextPendingConnection()) {
        const QString address = addressText(socket->peerAddress());
        auto* station = new TcpStation(std::unique_ptr<QTcpSocket>(socket), mMaxPending, *this);
        const ConnectionId id = attach(station, address);
        if (id == 0)
            station->close();
        else
            station->start(id);
    }
}

bool StationServer::atLimit(const QString& address) {
    const bool idsLeft = mLastId < std::numeric_limits<ConnectionId>::max();
    if (connectionCount() < mMaxConnections && idsLeft)
        return false;
    if (!mAtLimitReported) {
        mAtLimitReported = true;
        Q_EMIT problem(u"A station at %1 was refused: %2 stations are connected, "
                       "the most the server accepts."_s.arg(address)
                           .arg(connectionCount()));
    }
    return true;
}

ConnectionId StationServer::attach(StationChannel* channel, const QString& address) {
    if (atLimit(address))
        return 0;
    const ConnectionId id = ++mLastId;
    mConnections.emplace(id, Connection{channel, address});
    Q_EMIT connectionOpened(id, address);
    // The opening may have been turned away (and the channel told so).
    return mConnections.contains(id) ? id : 0;
}

void StationServer::channelMessage(ConnectionId connection, const QString& message) {
    if (mConnections.contains(connection))
        Q_EMIT messageReceived(connection, message);
}

void StationServer::channelRefused(ConnectionId connection, const QString& why) {
    if (const Connection* source = find(connection))
        Q_EMIT problem(
            u"A message from the station at %1 was refused: %2."_s.arg(source->address, why));
}

// Reading down to half the limit shows the station is reading again.
void StationServer::channelWritten(ConnectionId connection) {
    Connection* target = find(connection);
    if (target && target->outputStalled &&
        target->channel->pendingOutput() <= mMaxPendingOutput / 2)
        target->outputStalled = false;
}

void StationServer::channelClosed(ConnectionId connection) {
    drop(connection, true);
}

void StationServer::channelBreach(ConnectionId connection, const QString& why) {
    if (const Connection* source = find(connection))
        Q_EMIT problem(u"The station at %1 was disconnected: %2."_s.arg(source->address, why));
}

void StationServer::drop(ConnectionId id, bool report) {
    const auto found = mConnections.find(id);
    if (found == mConnections.end())
        return;
    StationChannel* channel = found->second.channel;
    mConnections.erase(found);
    channel->close();
    if (connectionCount() < mMaxConnections)
        mAtLimitReported = false;
    if (report)
        Q_EMIT connectionClosed(id);
}

void StationServer::sendData(ConnectionId connection, const QString& text) {
    Connection* target = find(connection);
    if (!target)
        return;
    // What one station sent and the server passes on must not reach another
    // as two messages.
    if (StationFraming::holdsLineBreak(text)) {
        Q_EMIT problem(u"%1 was not sent to the station at %2: it holds a line break."_s.arg(
            OperatorAlerts::stationValue(text.section(u'|', 0, 0)), target->address));
        return;
    }
    if (!target->channel->sendMessage(text, mMaxPendingOutput))
        refuseOutput(connection, *target);
}

void StationServer::sendToEach(const QList<ConnectionId>& connections, const QString& text) {
    if (StationFraming::holdsLineBreak(text)) {
        StationLink::sendToEach(connections, text); // each refused, and reported, as alone
        return;
    }
    const QByteArray cp1252 = Cp1252::encode(text);
    for (const ConnectionId connection : connections) {
        Connection* target = find(connection);
        if (target && !target->channel->sendEncoded(text, cp1252, mMaxPendingOutput))
            refuseOutput(connection, *target);
    }
}

// Any byte may stand in a raw message: its receiver reads up to an end marker.
void StationServer::sendBytes(ConnectionId connection, const QByteArray& message) {
    Connection* target = find(connection);
    if (target && !target->channel->sendBytes(message, mMaxPendingOutput))
        refuseOutput(connection, *target);
}

// The message is not sent. The station has the stall time to read what waits
// for it; one that does not is disconnected.
void StationServer::refuseOutput(ConnectionId id, Connection& connection) {
    if (connection.outputStalled)
        return;
    connection.outputStalled = true;
    const int stall = ++connection.stalls;
    QTimer::singleShot(mOutputStallMs, this, [this, id, stall] { closeIfStillStalled(id, stall); });
}

void StationServer::closeIfStillStalled(ConnectionId id, int stall) {
    Connection* connection = find(id);
    if (!connection || !connection->outputStalled || connection->stalls != stall)
        return;
    // A channel that reports no progress of its own (a browser's) is looked
    // at now.
    if (connection->channel->pendingOutput() <= mMaxPendingOutput / 2) {
        connection->outputStalled = false;
        return;
    }
    Q_EMIT problem(u"The station at %1 was disconnected: it did not read its answers "
                   "(%2 bytes were waiting for it)."_s.arg(connection->address)
                       .arg(pendingOutput(id)));
    drop(id, true);
}

void StationServer::close(ConnectionId connection) {
    drop(connection, true);
}

qint64 StationServer::pendingOutput(ConnectionId connection) const {
    const Connection* target = find(connection);
    return target ? target->channel->pendingOutput() : 0;
}

QString StationServer::transport(ConnectionId connection) const {
    const Connection* target = find(connection);
    return target ? target->channel->transport() : QString();
}

QString StationServer::remoteAddress(ConnectionId connection) const {
    const Connection* target = find(connection);
    return target ? target->address : QString();
}

QString StationServer::describe(ConnectionId connection) const {
    const Connection* target = find(connection);
    return target ? target->address + u", "_s + target->channel->transport() : QString();
}

void StationServer::stopServer() {
    mListener.stop();
}

void StationServer::release() {
    mListener.stop();
    QList<ConnectionId> ids;
    for (const auto& [id, connection] : mConnections)
        ids.append(id);
    for (ConnectionId id : ids)
        drop(id, false);
}

const StationServer::Connection* StationServer::find(ConnectionId id) const {
    const auto found = mConnections.find(id);
    return found == mConnections.end() ? nullptr : &found->second;
}

StationServer::Connection* StationServer::find(ConnectionId id) {
    const auto found = mConnections.find(id);
    return found == mConnections.end() ? nullptr : &found->second;
}
