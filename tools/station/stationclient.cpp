#include "stationclient.h"

#include "shell/codepage1252.h"

#include <QTime>
#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

StationClient::StationClient(const StationOptions& options, QObject* parent)
    : QObject(parent)
    , mOptions(options) {
    connect(&mSocket, &QTcpSocket::connected, this, &StationClient::connected);
    connect(&mSocket, &QTcpSocket::readyRead, this, &StationClient::readMessages);
    connect(&mSocket, &QTcpSocket::disconnected, this, &StationClient::ended);
    connect(&mSocket, &QTcpSocket::errorOccurred, this, [this] {
        if (mSocket.state() != QAbstractSocket::ConnectedState)
            failed(mSocket.errorString());
    });
    connect(&mWebSocket, &QWebSocket::connected, this, &StationClient::connected);
    connect(&mWebSocket, &QWebSocket::disconnected, this, [this] {
        if (mConnected)
            ended();
        else
            failed(mWebSocket.errorString());
    });
    connect(&mWebSocket, &QWebSocket::textMessageReceived, this, &StationClient::handle);
    connect(&mWebSocket, &QWebSocket::binaryMessageReceived, this,
            [this](const QByteArray& bytes) { handle(Cp1252::decode(bytes)); });
    connect(&mInput, &LineInput::lineRead, this, &StationClient::send);
    connect(&mInput, &LineInput::finished, this, &StationClient::inputFinished);
}

void StationClient::start() {
    mServer = 0;
    connectToServer();
}

void StationClient::connectToServer() {
    const StationOptions::Server& server = mOptions.servers.at(mServer);
    if (mOptions.web)
        mWebSocket.open(QUrl(u"ws://%1:%2/station"_s.arg(server.host).arg(server.port)));
    else
        mSocket.connectToHost(server.host, server.port);
}

QString StationClient::serverText() const {
    const StationOptions::Server& server = mOptions.servers.at(mServer);
    return u"%1:%2"_s.arg(server.host).arg(server.port);
}

void StationClient::ended() {
    if (mEnded)
        return;
    print('!', u"the server closed the connection"_s);
    mEnded = true;
    Q_EMIT finished(0);
}

void StationClient::failed(const QString& error) {
    if (mEnded)
        return;
    print('!', u"cannot connect to %1: %2"_s.arg(serverText(), error));
    if (mServer + 1 < mOptions.servers.size()) {
        ++mServer;
        print('!', u"trying %1"_s.arg(serverText()));
        // After the socket's own error handling is done with the failed attempt.
        QTimer::singleShot(0, this, [this] {
            if (!mEnded)
                connectToServer();
        });
        return;
    }
    mEnded = true;
    Q_EMIT finished(1);
}

void StationClient::hangUp() {
    mEnded = true;
    mSocket.disconnect(this);
    mSocket.disconnectFromHost();
    mWebSocket.disconnect(this);
    mWebSocket.close();
}

void StationClient::print(char direction, const QString& text) {
    const QString stamp = QTime::currentTime().toString(u"HH:mm:ss.zzz"_s);
    std::printf("%s %c %s\n", qPrintable(stamp), direction, qPrintable(text));
    std::fflush(stdout);
}

void StationClient::connected() {
    mConnected = true;
    if (!mOptions.web)
        mSocket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    print('!', u"connected to %1"_s.arg(serverText()));
    switch (mOptions.role) {
    case StationOptions::Role::Judge:
        mAwaitingLogin = true;
        send(u"JUDGEAUTH|%1|%2|%3|1|%4"_s.arg(mOptions.event, mOptions.judgeName, mOptions.pin,
                                              mOptions.judgeNumber));
        break;
    case StationOptions::Role::Display:
        mAwaitingLogin = true;
        send(u"DISPLAYAUTH|%1|%2|%3"_s.arg(mOptions.displayName, mOptions.pin, mOptions.event));
        break;
    case StationOptions::Role::Plain:
        startInput();
        break;
    }
}

void StationClient::startInput() {
    QString error;
    if (!mInput.start(mOptions.scriptFile, &error)) {
        print('!', error);
        mEnded = true;
        Q_EMIT finished(2);
    }
}

void StationClient::inputFinished() {
    if (mOptions.quitAfterMs < 0)
        return;
    QTimer::singleShot(mOptions.quitAfterMs, this, [this] {
        hangUp();
        Q_EMIT finished(0);
    });
}

void StationClient::send(const QString& text) {
    if (mOptions.web) {
        if (mWebSocket.state() != QAbstractSocket::ConnectedState)
            return;
        mWebSocket.sendTextMessage(text);
        print('>', text);
        return;
    }
    if (mSocket.state() != QAbstractSocket::ConnectedState)
        return;
    QByteArray bytes = Cp1252::encode(text);
    if (mOptions.lineMode)
        bytes.append('\n');
    mSocket.write(bytes);
    mSocket.flush();
    print('>', text);
}

void StationClient::readMessages() {
    const StationFraming::Result result = mFraming.feed(mSocket.readAll());
    for (const QByteArray& message : result.messages)
        handle(Cp1252::decode(message));
}

void StationClient::handle(const QString& message) {
    print('<', message);
    const QStringList fields = message.split(u'|');
    const QString& command = fields.constFirst();
    if (command == u"HEARTBEAT"_s && mOptions.answerHeartbeats) {
        send(message);
    } else if (command == u"AUTHRESP"_s && mAwaitingLogin) {
        mAwaitingLogin = false;
        if (fields.value(1) != u"0"_s) {
            print('!', u"log-in refused"_s);
            hangUp();
            Q_EMIT finished(3);
            return;
        }
        if (mOptions.reportsPadState())
            send(u"PADSTATE|%1||%2|tallvane-station"_s.arg(
                mOptions.battery < 0 ? QString() : QString::number(mOptions.battery),
                QString::number(qMax(0, mOptions.outbox))));
        startInput();
    } else if (command == u"SETSCORE"_s && mOptions.role == StationOptions::Role::Display) {
        // SETSCORE|event|number|name|score|ms|corrected -> CONFIRMSCORE|number|event
        const QString confirmation = u"CONFIRMSCORE|"_s + fields.value(2) + u'|' + fields.value(1);
        QTimer::singleShot(mOptions.confirmDelayMs, this,
                           [this, confirmation] { send(confirmation); });
    }
}
