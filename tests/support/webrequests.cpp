#include "webrequests.h"

#include <QNetworkRequest>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

std::unique_ptr<QNetworkReply> WebRequests::send(const QByteArray& method, const QString& path,
                                                 const Headers& headers) {
    QNetworkRequest request(QUrl(u"http://127.0.0.1:%1%2"_s.arg(mPort).arg(path)));
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    std::unique_ptr<QNetworkReply> reply(mNet.sendCustomRequest(request, method, QByteArray()));
    QSignalSpy done(reply.get(), &QNetworkReply::finished);
    if (!reply->isFinished())
        done.wait(5000);
    return reply;
}

std::unique_ptr<QNetworkReply> WebRequests::get(const QString& path, const QByteArray& cookie) {
    return send("GET", path, cookie.isEmpty() ? Headers{} : Headers{{"Cookie", cookie}});
}

std::unique_ptr<QNetworkReply> WebRequests::post(const QString& path, const QByteArray& cookie,
                                                 const QByteArray& pin) {
    Headers headers;
    if (!cookie.isEmpty())
        headers.append({"Cookie", cookie});
    if (!pin.isEmpty())
        headers.append({"X-Operator-Pin", pin});
    return send("POST", path, headers);
}

QByteArray WebRequests::cookieFor(const QString& pin) {
    return cookieOf(*post(u"/api/operator/login"_s, {}, pin.toUtf8()));
}

int WebRequests::status(QNetworkReply& reply) {
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QByteArray WebRequests::cookieOf(QNetworkReply& reply) {
    return reply.rawHeader("Set-Cookie").split(';').first();
}
