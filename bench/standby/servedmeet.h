#pragma once

// The processes and the meet of the standby benchmark: a generated meet,
// `tallvane serve` processes whose output is read as it comes, and a judge
// station that sends scores and times their confirmations.

#include <QElapsedTimer>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>
#include <utility>
#include <vector>

namespace StandbyBench {

inline const QString Pin = QStringLiteral("3917");
inline const QString OperatorPin = QStringLiteral("246810");

[[noreturn]] void fail(const QString& what);

// A generated meet of `gymnasts` in `dir`; its path.
QString makeMeet(const QTemporaryDir& dir, int gymnasts);
// The first `count` competitor numbers of `meet`.
QStringList numbersOf(const QString& meet, int count);
quint16 freePort();

// A `tallvane` process whose standard output is read as it comes.
class Program {
public:
    Program(const QStringList& arguments, const QString& dataFolder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    // The first line holding `pattern`'s match (group 1), waiting for it.
    QString waitFor(const QString& pattern);
    QProcess& process() { return mProcess; }

private:
    QProcess mProcess;
    QByteArray mOut;
};

std::unique_ptr<Program> startPrimary(const QString& meet, const QString& folder, QString* web,
                                      quint16* port, quint16 stationPort = 0);

// The log-in answer of a judge station on `port`, or the connection's error.
QString logIn(QTcpSocket& judge, quint16 port, int timeoutMs = 30000);
void logInJudge(QTcpSocket& judge, quint16 port);
// Microseconds from a score sent by `judge` (logged in) to its confirmation.
double confirmationTime(QTcpSocket& judge, const QString& num);
// One score after the other to each server in turn, so that both meet the
// same moments of a shared, busy disk: the microseconds of each, sorted.
std::pair<std::vector<double>, std::vector<double>>
confirmationTimes(QTcpSocket& first, QTcpSocket& second, const QStringList& numbers);
void sendScores(quint16 port, const QStringList& numbers);
// A judge station given several servers, as one is set up for a meet with a
// standby: tries each in turn until one lets it in; the milliseconds `clock`
// shows then.
double loggedInAgain(const QList<quint16>& ports, const QElapsedTimer& clock);

double percentile(const std::vector<double>& sorted, double p);

} // namespace StandbyBench
