#pragma once

#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <optional>

class QCoreApplication;

// What `serve --follow` is asked to do.
struct FollowRequest {
    QString meetFile;
    QUrl primary;
    QString operatorPin;
    bool force = false;
    int takeOverAfterSeconds = 0;       // 0: only when told (SIGUSR1)
    std::optional<quint16> stationPort; // the command line's; else the primary's
    std::optional<quint16> webPort;
};

// How following ended.
struct FollowOutcome {
    bool takeOver = false;
    int exitCode = 0;
    QJsonObject meet; // what the primary said of its meet (station PIN, ports)
};

// Keeps MEETFILE in step with the primary until a stop signal (exit status
// 0), a failure (1, said on standard error) or a take-over; the meet file is
// closed and unlocked again when it returns.
FollowOutcome followPrimary(QCoreApplication& app, const FollowRequest& request);
