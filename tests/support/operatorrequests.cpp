#include "operatorrequests.h"

#include <QNetworkRequest>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

std::unique_ptr<QNetworkReply> OperatorRequests::post(const QString& path, const QByteArray& cookie,
                                                      const QByteArray& pin) {
    QNetworkRequest request(QUrl(u"http://127.0.0.1:%1%2"_s.arg(mPort).arg(path)));
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    if (!cookie.isEmpty())
        request.setRawHeader("Cookie", cookie);
    if (!pin.isEmpty())
        request.setRawHeader("X-Operator-Pin", pin);
    std::unique_ptr<QNetworkReply> reply(mNet.post(request, QByteArray()));
    QSignalSpy done(reply.get(), &QNetworkReply::finished);
    if (!reply->isFinished())
        done.wait(5000);
    return reply;
}

QByteArray OperatorRequests::cookieFor(const QString& pin) {
    auto reply = post(u"/api/operator/login"_s, {}, pin.toUtf8());
    return reply->rawHeader("Set-Cookie").split(';').first();
}

int OperatorRequests::status(QNetworkReply& reply) {
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}
