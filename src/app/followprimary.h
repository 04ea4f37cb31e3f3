#pragma once

#include "web/standbyfollow.h"

#include <QJsonObject>

class QCoreApplication;

// How following ended.
struct FollowOutcome {
    bool takeOver = false;
    int exitCode = 0;
    QJsonObject meet; // what the primary said of its meet (station PIN, ports)
};

// Keeps MEETFILE in step with the primary until a stop signal (exit status
// 0), a failure (1, said on standard error) or a take-over (SIGUSR1, or the
// primary silent too long); the meet file is closed and unlocked again when
// it returns.
FollowOutcome followPrimary(QCoreApplication& app, const FollowRequest& request);
