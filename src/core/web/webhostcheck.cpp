#include "webhostcheck.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int AddressesKeptMs = 2000;

} // namespace

void WebHostCheck::setExtraNames(const QStringList& names) {
    mExtraNames.clear();
    for (const QString& name : names) {
        if (!name.trimmed().isEmpty())
            mExtraNames.insert(name.trimmed().toLower());
    }
}

bool WebHostCheck::allowsHost(const QByteArray& host) const {
    // Parsed as the authority of a URL: "name", "name:port", "[v6]:port".
    const QUrl url(u"http://"_s + QString::fromLatin1(host) + u'/');
    if (!url.isValid() || !url.userInfo().isEmpty() || url.path() != u"/"_s ||
        url.port(80) != mPort)
        return false;
    return isOwnName(url.host());
}

bool WebHostCheck::allowsOrigin(const QByteArray& origin) const {
    const QUrl url(QString::fromLatin1(origin));
    if (!url.isValid() || (url.scheme() != u"http"_s && url.scheme() != u"https"_s) ||
        !url.userInfo().isEmpty() || !url.path().isEmpty())
        return false;
    return url.port(url.scheme() == u"https"_s ? 443 : 80) == mPort && isOwnName(url.host());
}

bool WebHostCheck::isOwnName(const QString& name) const {
    const QString host = name.toLower();
    if (host.isEmpty())
        return false;
    if (host == u"localhost"_s || mExtraNames.contains(host))
        return true;
    const QString machine = QHostInfo::localHostName().toLower();
    if (!machine.isEmpty() && (host == machine || host == machine + u".local"_s))
        return true;
    return isOwnAddress(host);
}

bool WebHostCheck::isOwnAddress(const QString& address) const {
    QHostAddress given;
    if (!given.setAddress(address) || given.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    if (given.isLoopback())
        return true;
    const QString text = given.toString();
    if (!mAddresses.contains(text) && mAddressesFresh.hasExpired()) {
        mAddresses.clear();
        for (const QHostAddress& own : QNetworkInterface::allAddresses()) {
            if (own.protocol() == QAbstractSocket::IPv4Protocol)
                mAddresses.insert(own.toString());
        }
        mAddressesFresh.setRemainingTime(AddressesKeptMs);
    }
    return mAddresses.contains(text);
}
