#pragma once

#include "lineinput.h"
#include "server/stationframing.h"
#include "stationoptions.h"

#include <QObject>
#include <QTcpSocket>
#include <QWebSocket>

// One simulated station: connects (over TCP, or a WebSocket as a browser
// station does), logs in when asked to, answers heartbeats,
// confirms shown scores (as a display), sends the input lines and prints every
// message it receives, stamped with the time of day.
class StationClient : public QObject {
    Q_OBJECT

public:
    explicit StationClient(const StationOptions& options, QObject* parent = nullptr);

    void start();

Q_SIGNALS:
    // The station is done; the program ends with this status.
    void finished(int exitCode);

private:
    void connectToServer();
    QString serverText() const;
    void connected();
    void ended();
    void failed(const QString& error);
    void hangUp();
    void readMessages();
    void handle(const QString& message);
    void send(const QString& text);
    void startInput();
    void inputFinished();
    void print(char direction, const QString& text);

    StationOptions mOptions;
    QTcpSocket mSocket;
    QWebSocket mWebSocket; // with --web, instead of mSocket
    StationFraming mFraming;
    LineInput mInput;
    bool mAwaitingLogin = false;
    bool mEnded = false;
    bool mConnected = false;
    qsizetype mServer = 0; // the one of mOptions.servers tried or connected
};
