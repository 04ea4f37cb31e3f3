#pragma once

#include <QDateTime>
#include <QString>

// One score of the scoreboard queue: a row of ScoreBoardQueue and of the
// queue grid. `rowId` names the table row, so the grid and the table always
// mean the same score even when a number has several rows (test scores).
struct QueueEntry {
    static inline const QString Queued = QStringLiteral("Queued");
    static inline const QString Sent = QStringLiteral("Sent");
    static inline const QString TestGymnastName = QStringLiteral("Test Gymnast");
    static inline const QString TestGymnastNumber = QStringLiteral("999");

    qint64 rowId = 0;
    QString num;
    QString name;
    QString event;
    QString score;
    int displaySeconds = 0;
    QDateTime queueTime;
    QString key;
    QString status = Queued;
    bool corrected = false;

    bool isTestScore() const { return name == TestGymnastName; }
};
