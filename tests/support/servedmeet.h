#pragma once

#include "childprogram.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// `tallvane serve` and `tallvane-station` judges as child processes on the meet
// files of a data folder (a primary, a standby that follows it, judges that
// send the scores of ScoreLoad from a script), and what those files hold.
namespace ServedMeet {

inline const QString Pin = QStringLiteral("5081");
inline const QString OperatorPin = QStringLiteral("246810");
constexpr int DeadlineMs = 60000;

// `tallvane serve` on `meet` with the station PIN Pin, both ports free ones
// unless `more` names them; `inChild` as ChildProgram takes it.
std::unique_ptr<ChildProgram> serve(const QString& meet, const QString& folder,
                                    const QStringList& more = {},
                                    std::function<void()> inChild = {});
// The address of the web pages `server` printed, waiting for it; empty when none came.
QString webAddress(ChildProgram& server);
// A primary: `serve` on `meet` with OperatorPin as the folder's operator PIN,
// after `gymnasts` gymnasts from number 1000 on are added to the meet; its web
// pages' address in `web` once it serves (empty when it does not).
std::unique_ptr<ChildProgram> servePrimary(const QString& meet, const QString& folder, QString* web,
                                           int gymnasts = 0);
// A standby that keeps its copy of the primary at `web` in `copy`.
std::unique_ptr<ChildProgram> follow(const QString& copy, const QString& web, const QString& folder,
                                     const QStringList& more = {});

using Judges = std::vector<std::unique_ptr<ChildProgram>>;
// Judge 1 of every event at `target` ("127.0.0.1:PORT"), sending the scores
// of gymnasts first ... first + count - 1 all at once.
Judges startJudges(const QString& target, const QString& folder, int first, int count);
qsizetype confirmations(const Judges& judges);
// The finals the judges saw confirmed, by "num/event": a judge's first N scores
// are the N it saw confirmed, as a connection's answers keep their order.
QHash<QString, QString> confirmedFinals(const Judges& judges);

// What SQLite's integrity check says of the meet file at `path` ("ok").
QString integrity(const QString& path);
// Every row of every table of the meet file at `path`, as text, in a fixed
// order: two meet files hold the same meet when their lists are equal.
QStringList everyRow(const QString& path);

// A TCP port free now, for a server that must keep its port over a restart or
// a take-over, as on a laptop of its own.
quint16 freePort();

} // namespace ServedMeet
