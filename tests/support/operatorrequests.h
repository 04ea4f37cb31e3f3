#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QString>

#include <memory>

// The requests the operator's pages send to a test server's web port: a POST
// with the session cookie (or the operator PIN header), and the log-in that
// gives the cookie.
class OperatorRequests {
public:
    explicit OperatorRequests(quint16 webPort)
        : mPort(webPort) {}

    // The finished reply (or the one still running after 5 s).
    std::unique_ptr<QNetworkReply> post(const QString& path, const QByteArray& cookie,
                                        const QByteArray& pin = {});
    // Logs in with `pin`: the session cookie as the browser sends it back,
    // empty when refused.
    QByteArray cookieFor(const QString& pin);

    static int status(QNetworkReply& reply);

private:
    quint16 mPort;
    QNetworkAccessManager mNet;
};
