#include "stationserver.h"

#include "shell/codepage1252.h"
#include "shell/operatoralerts.h"

#include <QTimer>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

// The one message that carries raw bytes (an advertisement image), which its
// receiver reads up to the file's end marker.
const QString FileAnswer = u"RECEIVE_AD_FILE|"_s;

bool holdsLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

} // namespace

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
        if (atLimit(address)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const ConnectionId id = ++mLastId;
        mConnections.emplace(
            id, std::make_unique<Connection>(socket, address, StationFraming(mMaxPending)));
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        // Reading stops at the limit until the pending bytes are taken, so one
        // read never holds more than a connection may have pending.
        socket->setReadBufferSize(mMaxPending);
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { readFrom(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { drop(id, true); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, id] { outputWritten(id); });
        Q_EMIT connectionOpened(id, address);
        // The opening may have been turned away.
        if (mConnections.contains(id) && socket->bytesAvailable() > 0)
            readFrom(id);
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
    auto connection = std::make_unique<Connection>(nullptr, address, StationFraming(mMaxPending));
    connection->channel = channel;
    mConnections.emplace(id, std::move(connection));
    Q_EMIT connectionOpened(id, address);
    // The opening may have been turned away (and the channel told so).
    return mConnections.contains(id) ? id : 0;
}

void StationServer::channelMessage(ConnectionId connection, const QString& message) {
    const Connection* source = find(connection);
    if (!source)
        return;
    // One frame is one message: a line break inside would become a second
    // message for a station that reads lines.
    if (holdsLineBreak(message)) {
        Q_EMIT problem(u"A message from the station at %1 was refused: it holds a line "
                       "break."_s.arg(source->address));
        return;
    }
    Q_EMIT messageReceived(connection, message);
}

void StationServer::channelClosed(ConnectionId connection) {
    drop(connection, true);
}

void StationServer::channelBreach(ConnectionId connection, const QString& why) {
    if (const Connection* source = find(connection))
        Q_EMIT problem(u"The station at %1 was disconnected: %2."_s.arg(source->address, why));
}

void StationServer::readFrom(ConnectionId id) {
    Connection* connection = find(id);
    if (!connection || !connection->socket)
        return;
    const QByteArray bytes = connection->socket->readAll();
    const StationFraming::Result result = connection->framing.feed(bytes);
    for (const QByteArray& message : result.messages) {
        Q_EMIT messageReceived(id, Cp1252::decode(message));
        // A handler may have ended this connection (or the whole server).
        if (!mConnections.contains(id))
            return;
    }
    if (result.overflow) {
        Q_EMIT problem(u"The station at %1 was disconnected: it sent more than %2 bytes "
                       "without a line end."_s.arg(connection->address)
                           .arg(mMaxPending));
        drop(id, true);
    }
}

void StationServer::drop(ConnectionId id, bool report) {
    const auto found = mConnections.find(id);
    if (found == mConnections.end())
        return;
    const std::unique_ptr<Connection> connection = std::move(found->second);
    mConnections.erase(found);
    if (QTcpSocket* socket = connection->socket) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    if (connection->channel)
        connection->channel->close();
    if (connectionCount() < mMaxConnections)
        mAtLimitReported = false;
    if (report)
        Q_EMIT connectionClosed(id);
}

void StationServer::sendData(ConnectionId connection, const QString& text) {
    Connection* target = find(connection);
    // What one station sent and the server passes on must not reach another
    // as two messages.
    if (target && holdsLineBreak(text) && !text.startsWith(FileAnswer)) {
        Q_EMIT problem(u"%1 was not sent to the station at %2: it holds a line break."_s.arg(
            OperatorAlerts::stationValue(text.section(u'|', 0, 0)), target->address));
        return;
    }
    if (target && target->channel) {
        // Held to the same limit as TCP; the text's length stands for its bytes.
        if (target->channel->pendingOutput() + text.size() > mMaxPendingOutput)
            refuseOutput(connection, *target);
        else
            target->channel->sendMessage(text);
        return;
    }
    if (!target || !target->socket || target->socket->state() != QAbstractSocket::ConnectedState)
        return;
    const QByteArray bytes = target->framing.frame(Cp1252::encode(text));
    if (target->socket->bytesToWrite() + bytes.size() > mMaxPendingOutput) {
        refuseOutput(connection, *target);
        return;
    }
    target->socket->write(bytes);
    target->socket->flush();
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

// Reading down to half the limit shows the station is reading again.
void StationServer::outputWritten(ConnectionId id) {
    Connection* connection = find(id);
    if (connection && connection->outputStalled && connection->socket &&
        connection->socket->bytesToWrite() <= mMaxPendingOutput / 2)
        connection->outputStalled = false;
}

void StationServer::closeIfStillStalled(ConnectionId id, int stall) {
    Connection* connection = find(id);
    if (!connection || !connection->outputStalled || connection->stalls != stall)
        return;
    // A browser station reports no progress of its own: it is looked at now.
    if (connection->channel && pendingOutput(id) <= mMaxPendingOutput / 2) {
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
    if (target && target->channel)
        return target->channel->pendingOutput();
    return target && target->socket ? target->socket->bytesToWrite() : 0;
}

QString StationServer::remoteAddress(ConnectionId connection) const {
    const Connection* target = find(connection);
    return target ? target->address : QString();
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

StationServer::Connection* StationServer::find(ConnectionId id) const {
    const auto found = mConnections.find(id);
    return found == mConnections.end() ? nullptr : found->second.get();
}
