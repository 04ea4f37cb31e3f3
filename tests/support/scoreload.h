#pragma once

#include <QHash>
#include <QStringList>

class MeetDatabase;

// Scores for load and crash tests: a panel's SENDSCORE message for one gymnast
// and event, with a final that can be told apart per gymnast and event, and
// the extra gymnasts that such runs score.
namespace ScoreLoad {

inline const QStringList Events{QStringLiteral("Vault"), QStringLiteral("Bars"),
                                QStringLiteral("Beam"), QStringLiteral("Floor")};

// The final the runs send for `num` on `event`, as the station writes it
// ("9.125"): different for neighbouring numbers and for the four events.
QString finalFor(int num, const QString& event);

// The SENDSCORE message of a primary station with that final (27 fields for
// Vault, 17 for the other events), not a test score.
QString sendScore(int num, const QString& event);

// Adds gymnasts numbered first ... first + count - 1 to the open meet file,
// in one transaction. False when that fails.
bool addGymnasts(MeetDatabase& db, int first, int count);

// The finals stored for gymnasts numbered 1000 and up, and the queue's
// waiting scores, by "num/event", each as a three-decimal text.
QHash<QString, QString> storedFinals(MeetDatabase& db);
QHash<QString, QString> queuedScores(MeetDatabase& db);
// The final each score history entry of the load's gymnasts recorded, by
// "num/event" (the last entry of each).
QHash<QString, QString> recordedFinals(MeetDatabase& db);

} // namespace ScoreLoad
