#include "localaddress.h"

#include <QNetworkInterface>

using namespace Qt::Literals::StringLiterals;

QString LocalAddress::guess() {
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress& address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    return u"127.0.0.1"_s;
}
