#include "webteststation.h"

#include "signalwait.h"

#include <QNetworkRequest>

using namespace Qt::Literals::StringLiterals;

WebTestStation::WebTestStation(quint16 port, const QString& origin, QObject* parent)
    : StationProbe(true, parent) {
    connect(&mSocket, &QWebSocket::stateChanged, this, &WebTestStation::stateChanged);
    connect(&mSocket, &QWebSocket::textMessageReceived, this, &WebTestStation::take);
    connect(&mSocket, &QWebSocket::binaryMessageReceived, this,
            [this](const QByteArray& bytes) { mBinary.append(bytes); });
    QNetworkRequest request(QUrl(u"ws://127.0.0.1:%1/station"_s.arg(port)));
    if (!origin.isEmpty())
        request.setRawHeader("Origin", origin.toUtf8());
    mSocket.open(request);
}

QByteArray WebTestStation::nextBinary(int timeoutMs) {
    waitOnSignal(
        &mSocket, &QWebSocket::binaryMessageReceived, [this] { return !mBinary.isEmpty(); },
        timeoutMs);
    return mBinary.isEmpty() ? QByteArray() : mBinary.takeFirst();
}
