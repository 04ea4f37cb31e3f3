#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPair>
#include <QString>

#include <memory>

// Requests to a test server's web port as the pages send them, with exactly
// the headers given (no cookie jar): a GET, the operator pages' POST with the
// session cookie (or the operator PIN header), and the log-in that gives the
// cookie. Each returns the finished reply (or the one still running after 5 s).
class WebRequests {
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    explicit WebRequests(quint16 webPort)
        : mPort(webPort) {}

    std::unique_ptr<QNetworkReply> send(const QByteArray& method, const QString& path,
                                        const Headers& headers = {});
    std::unique_ptr<QNetworkReply> get(const QString& path, const QByteArray& cookie = {});
    std::unique_ptr<QNetworkReply> post(const QString& path, const QByteArray& cookie,
                                        const QByteArray& pin = {});
    // Logs in with `pin`: the session cookie as the browser sends it back,
    // empty when refused.
    QByteArray cookieFor(const QString& pin);

    static int status(QNetworkReply& reply);
    static QByteArray cookieOf(QNetworkReply& reply);

private:
    quint16 mPort;
    QNetworkAccessManager mNet;
};
