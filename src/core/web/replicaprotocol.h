#pragma once

#include "db/pageimage.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The messages between a primary and its standby over the WebSocket at
// Path. The standby opens with "HELLO|operator PIN"; the primary answers
// "REFUSED|why" (and closes) or "MEET|{json}": the meet's name and identity,
// its station PIN and ports. The standby then sends the digests of the pages
// it holds (Have), and the primary the pages that differ (Pages), then the
// pages each of its commits changed. The standby answers each Pages with
// "ACK|generation" once they are on its disk, and says where its own pages
// are ("PORTS|web port"). A quiet primary sends "PING" now and then, which
// the standby answers with its last "ACK": each knows the other is there.
namespace ReplicaProtocol {

inline const QString Path = QStringLiteral("/replica");
inline const QString Hello = QStringLiteral("HELLO");
inline const QString Refused = QStringLiteral("REFUSED");
inline const QString Meet = QStringLiteral("MEET");
inline const QString Ack = QStringLiteral("ACK");
inline const QString Ping = QStringLiteral("PING");
inline const QString Ports = QStringLiteral("PORTS");
// The most a standby's message may be; the digests of a meet are far smaller.
inline constexpr quint64 MaxIncomingBytes = 64ULL * 1024 * 1024;

struct Pages {
    quint64 generation = 0;
    int pageSize = 0;
    int pageCount = 0;
    QList<std::pair<int, QByteArray>> pages; // index from 0, contents
};

QByteArray encodeHave(const QList<QByteArray>& digests);
std::optional<QList<QByteArray>> decodeHave(const QByteArray& message);
// The pages `indexes` of `image`, as generation `generation`.
QByteArray encodePages(quint64 generation, const PageImage& image, const QList<int>& indexes);
std::optional<Pages> decodePages(const QByteArray& message);

} // namespace ReplicaProtocol
