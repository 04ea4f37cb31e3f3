#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QSet>
#include <QString>
#include <QStringList>

// Which names a request may give this web server by: its own addresses (any
// interface's IPv4 address, loopback included), "localhost", the machine's
// host name (also with ".local"), and the names the operator adds; always
// with the server's own port. A page of another site that a name of its own
// leads here (DNS rebinding) names it wrongly, in its Host and its Origin.
class WebHostCheck {
public:
    void setPort(quint16 port) { mPort = port; }
    // Further names (lower case), for the addresses of a local name service.
    void setExtraNames(const QStringList& names);

    // A Host header ("name:port", "1.2.3.4:port") that names this server.
    bool allowsHost(const QByteArray& host) const;
    // An Origin header ("http://name:port") of a page of this server.
    bool allowsOrigin(const QByteArray& origin) const;

private:
    bool isOwnName(const QString& name) const;
    bool isOwnAddress(const QString& address) const;

    quint16 mPort = 0;
    QSet<QString> mExtraNames;
    // The machine's addresses, looked up again on a miss when older than a while
    // (a network cable plugged in during the meet).
    mutable QSet<QString> mAddresses;
    mutable QDeadlineTimer mAddressesFresh;
};
