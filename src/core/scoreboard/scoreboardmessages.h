#pragma once

#include <QByteArray>
#include <QString>

struct QueueEntry;

// The texts the scoreboard sends to score displays, each written here only.
namespace ScoreboardMessages {

// "SETSCORE|event|num|name|score|milliseconds|corrected (1 or 0)".
QString setScore(const QString& event, const QueueEntry& entry);

// "STARTTIMER|TIMEDWARMUP|" + the duration as chosen ("5:00").
QString startWarmup(const QString& duration);
// "STOPTIMER|0".
QString stopWarmup();

// "RECEIVE_AD_FILE|" + the file's bytes as they are + "/\/\ENDOFFILE/\/\".
QByteArray adFile(QByteArrayView bytes);

} // namespace ScoreboardMessages
