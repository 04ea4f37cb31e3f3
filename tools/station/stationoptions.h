#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the station simulator was asked to do, from its command line.
struct StationOptions {
    enum class Role { Plain, Judge, Display };

    struct Server {
        QString host;
        quint16 port = 0;
    };

    // The servers to try in turn: the primary, then its standby.
    QList<Server> servers;
    Role role = Role::Plain;
    QString event;       // judge: the event judged; display: the event shown ("all")
    QString judgeNumber; // judge only
    QString judgeName;   // judge only
    QString displayName; // display only
    QString pin;
    int confirmDelayMs = 0; // display: wait before confirming a shown score
    bool lineMode = false;
    bool web = false; // the browser stations' transport: a WebSocket at /station
    bool answerHeartbeats = true;
    QString scriptFile;   // lines to send instead of standard input
    int quitAfterMs = -1; // quit this long after the last line was sent
    // With --web: the battery (percent, -1 for none) and the outbox a
    // browser pad reports after its log-in.
    int battery = -1;
    int outbox = -1;
    bool reportsPadState() const { return battery >= 0 || outbox >= 0; }

    // Parses the arguments (program name first). False, with `error`, when
    // they make no sense; `helpText` is set for --help.
    bool parse(const QStringList& arguments, QString* error, QString* helpText);
};
