// A scoring server killed (SIGKILL) in the middle of a flow of scores must not
// have lost any score it confirmed: after a restart every score answered with
// "SCORECONFIRM|0" is in its gymnast's row and waiting in the scoreboard queue,
// and a score is never stored without its queue row or the other way round.
// Runs `tallvane serve` and four `tallvane-station` judges as real processes.
#include "db/meetdatabase.h"
#include "scoreload.h"
#include "tempmeet.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Serve = QStringLiteral(TALLVANE_BIN);
const QString Station = QStringLiteral(TALLVANE_STATION_BIN);
constexpr auto Pin = "5081";
constexpr int ScoresPerJudge = 30;
constexpr int DeadlineMs = 60000;
const QStringList Events{u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s};

// A child process whose standard output is collected line by line as it comes,
// on the event loop.
class Child {
public:
    Child(const QString& program, const QStringList& arguments, const QString& dataFolder) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TALLVANE_DATA_DIR"_s, dataFolder);
        mProcess.setProcessEnvironment(env);
        QObject::connect(&mProcess, &QProcess::readyReadStandardOutput, &mProcess, [this] {
            mPartial += mProcess.readAllStandardOutput();
            qsizetype end;
            while ((end = mPartial.indexOf('\n')) >= 0) {
                mLines << QString::fromLocal8Bit(mPartial.left(end));
                mPartial.remove(0, end + 1);
            }
        });
        mProcess.start(program, arguments);
    }
    ~Child() {
        if (mProcess.state() != QProcess::NotRunning) {
            mProcess.kill();
            mProcess.waitForFinished();
        }
    }
    QProcess& process() { return mProcess; }
    const QStringList& lines() const { return mLines; }
    int count(const QString& line) const { return int(mLines.count(line)); }
    // The first line that starts with `prefix`, or empty.
    QString lineStarting(const QString& prefix) const {
        for (const QString& line : mLines)
            if (line.startsWith(prefix))
                return line;
        return {};
    }
    QString everything() {
        return mLines.join(u'\n') + u'\n' + QString::fromLocal8Bit(mProcess.readAllStandardError());
    }

private:
    QProcess mProcess;
    QByteArray mPartial;
    QStringList mLines;
};

// The station simulator prints "HH:mm:ss.zzz > text" for what it sent and
// "HH:mm:ss.zzz < text" for what it received.
QString messageOf(const QString& line, QChar direction) {
    return line.size() > 15 && line[13] == direction ? line.mid(15) : QString();
}

struct Score {
    int num = 0;
    QString event;
    QString final;
};

} // namespace

class TestCrashDurability : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void confirmedScoresSurviveAKill();

private:
    std::unique_ptr<Child> startServer(const QString& meet);
    static QString target(const Child& server);
    void checkMeetFile(const QString& meet, const QList<Score>& confirmed);
    void checkQueueReloaded(const QString& meet);

    TempMeet mTemp;
};

std::unique_ptr<Child> TestCrashDurability::startServer(const QString& meet) {
    return std::make_unique<Child>(
        Serve,
        QStringList{u"serve"_s, meet, u"--port"_s, u"0"_s, u"--pin"_s, QString::fromLatin1(Pin)},
        mTemp.folder());
}

// "127.0.0.1:PORT" once the server has said where it listens; empty before.
QString TestCrashDurability::target(const Child& server) {
    const QRegularExpressionMatch match = QRegularExpression(u"^Listening on \\S+:(\\d+)$"_s)
                                              .match(server.lineStarting(u"Listening on "_s));
    return match.hasMatch() ? u"127.0.0.1:"_s + match.captured(1) : QString();
}

void TestCrashDurability::checkMeetFile(const QString& meet, const QList<Score>& confirmed) {
    MeetDatabase db;
    QVERIFY2(db.open(meet), qPrintable(db.lastError()));
    QCOMPARE(db.select(u"SELECT SocketID FROM Connections"_s).count(), 0);

    // What the file holds: every event final of the run's gymnasts, and every
    // queue row.
    QHash<QString, double> finals; // "num/event" -> final
    const DbRows gymnasts = db.select(
        u"SELECT Num, E1Final, E2Final, E3Final, E4Final FROM Gymnasts WHERE Num >= '1000'"_s);
    QVERIFY2(gymnasts.ok(), qPrintable(db.lastError()));
    for (int row = 0; row < gymnasts.count(); ++row)
        for (int e = 0; e < 4; ++e) {
            const QVariant final = gymnasts.value(row, u"E%1Final"_s.arg(e + 1));
            if (final.isValid())
                finals.insert(gymnasts.text(row, u"Num"_s) + u'/' + Events[e], final.toDouble());
        }
    QHash<QString, QString> queued; // "num/event" -> score text
    const DbRows queue = db.select(u"SELECT num, EventName, Score, Status FROM ScoreBoardQueue"_s);
    QVERIFY2(queue.ok(), qPrintable(db.lastError()));
    for (int row = 0; row < queue.count(); ++row) {
        const QString key = queue.text(row, u"num"_s) + u'/' + queue.text(row, u"EventName"_s);
        QVERIFY2(!queued.contains(key), qPrintable(u"queued twice: "_s + key));
        QCOMPARE(queue.text(row, u"Status"_s), u"Queued"_s);
        queued.insert(key, queue.text(row, u"Score"_s));
    }

    // A score and its queue row are stored together or not at all, confirmed or not.
    QCOMPARE(QSet<QString>(finals.keyBegin(), finals.keyEnd()),
             QSet<QString>(queued.keyBegin(), queued.keyEnd()));
    for (const Score& score : confirmed) {
        const QString key = QString::number(score.num) + u'/' + score.event;
        QVERIFY2(finals.contains(key), qPrintable(u"confirmed score lost: "_s + key));
        QCOMPARE(QString::number(finals.value(key), 'f', 3), score.final);
        QCOMPARE(queued.value(key), score.final);
    }
}

// The restarted server has the waiting scores in its queue again: a score
// display is offered one of them for every event that has any.
void TestCrashDurability::checkQueueReloaded(const QString& meet) {
    QSet<QString> waiting; // "SETSCORE|event|num"
    QSet<QString> events;
    {
        MeetDatabase db;
        QVERIFY(db.open(meet));
        const DbRows rows = db.select(u"SELECT num, EventName FROM ScoreBoardQueue "
                                      "WHERE Status = 'Queued'"_s);
        QVERIFY(rows.ok());
        for (int row = 0; row < rows.count(); ++row) {
            waiting << u"SETSCORE|"_s + rows.text(row, u"EventName"_s) + u'|' +
                           rows.text(row, u"num"_s);
            events << rows.text(row, u"EventName"_s);
        }
    }
    std::unique_ptr<Child> server = startServer(meet);
    QTRY_VERIFY_WITH_TIMEOUT(!target(*server).isEmpty() ||
                                 server->process().state() == QProcess::NotRunning,
                             DeadlineMs);
    QVERIFY2(!target(*server).isEmpty(), qPrintable(server->everything()));
    Child display(Station,
                  {target(*server), u"--display"_s, u"Board"_s, u"--pin"_s,
                   QString::fromLatin1(Pin), u"--line-mode"_s},
                  mTemp.folder());
    const auto offered = [&display] {
        QStringList shown;
        for (const QString& line : display.lines()) {
            const QString message = messageOf(line, u'<');
            if (message.startsWith(u"SETSCORE|"_s))
                shown << message;
        }
        return shown;
    };
    const auto offeredEvents = [&offered] {
        QSet<QString> shown;
        for (const QString& message : offered())
            shown << message.section(u'|', 1, 1);
        return shown;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(offeredEvents() == events,
                              qPrintable(display.everything() + server->everything()), DeadlineMs);
    for (const QString& message : offered())
        QVERIFY2(waiting.contains(message.section(u'|', 0, 2)), qPrintable(message));
    server->process().terminate();
    QVERIFY(server->process().waitForFinished(DeadlineMs));
}

void TestCrashDurability::confirmedScoresSurviveAKill() {
    bool ok = false;
    int runs = qEnvironmentVariableIntValue("TALLVANE_CRASH_RUNS", &ok);
    if (!ok || runs <= 0)
        runs = 20;
    const quint32 seed = qEnvironmentVariableIsSet("TALLVANE_CRASH_SEED")
                             ? quint32(qEnvironmentVariableIntValue("TALLVANE_CRASH_SEED"))
                             : QRandomGenerator::global()->generate();
    qInfo("%d runs, kill moments from seed %u (TALLVANE_CRASH_SEED repeats them)", runs, seed);
    QRandomGenerator random(seed);

    const QString base = mTemp.createSampleMeet(u"base.tallvane"_s);
    {
        MeetDatabase db;
        QVERIFY(db.open(base));
        QVERIFY(ScoreLoad::addGymnasts(db, 1000, ScoresPerJudge));
    }
    // Each judge's script: its scores, all sent at once.
    QStringList scripts;
    for (const QString& event : Events) {
        QFile script(mTemp.path(event + u".txt"_s));
        QVERIFY(script.open(QIODevice::WriteOnly));
        for (int num = 1000; num < 1000 + ScoresPerJudge; ++num)
            script.write(
                ScoreLoad::sendScore(num, event, ScoreLoad::finalFor(num, event)).toLatin1() +
                '\n');
        scripts << script.fileName();
    }

    for (int run = 0; run < runs; ++run) {
        const QString meet = mTemp.path(u"run%1.tallvane"_s.arg(run));
        QVERIFY(QFile::copy(base, meet));
        // Kill after this many confirmations in all: from before the first to
        // near the end of the flow.
        const int killAfter = int(random.bounded(4 * ScoresPerJudge * 9 / 10));
        qInfo("run %d: kill after %d confirmations", run, killAfter);

        std::unique_ptr<Child> server = startServer(meet);
        QTRY_VERIFY_WITH_TIMEOUT(!target(*server).isEmpty() ||
                                     server->process().state() == QProcess::NotRunning,
                                 DeadlineMs);
        QVERIFY2(!target(*server).isEmpty(), qPrintable(server->everything()));
        std::vector<std::unique_ptr<Child>> judges;
        for (qsizetype e = 0; e < Events.size(); ++e)
            judges.push_back(std::make_unique<Child>(
                Station,
                QStringList{target(*server), u"--judge"_s, Events[e], u"1"_s, u"--pin"_s,
                            QString::fromLatin1(Pin), u"--line-mode"_s, u"--script"_s, scripts[e]},
                mTemp.folder()));
        const auto confirmations = [&judges] {
            int n = 0;
            for (const auto& judge : judges)
                n += int(std::count_if(judge->lines().begin(), judge->lines().end(),
                                       [](const QString& line) {
                                           return messageOf(line, u'<') == u"SCORECONFIRM|0"_s;
                                       }));
            return n;
        };
        QTRY_VERIFY_WITH_TIMEOUT(confirmations() >= killAfter, DeadlineMs);
        server->process().kill();
        QVERIFY(server->process().waitForFinished(DeadlineMs));
        QCOMPARE(server->process().exitStatus(), QProcess::CrashExit);
        for (auto& judge : judges)
            QVERIFY(judge->process().waitForFinished(DeadlineMs));

        // The first N scores a judge sent are the N it saw confirmed: the
        // server answers one connection's messages in order.
        QList<Score> confirmed;
        for (qsizetype e = 0; e < Events.size(); ++e) {
            Child& judge = *judges[size_t(e)];
            QStringList sent;
            int confirms = 0;
            for (const QString& line : judge.lines()) {
                if (messageOf(line, u'>').startsWith(u"SENDSCORE|"_s))
                    sent << messageOf(line, u'>');
                else if (messageOf(line, u'<') == u"SCORECONFIRM|0"_s)
                    ++confirms;
            }
            QVERIFY2(confirms <= sent.size(), qPrintable(judge.everything()));
            for (int i = 0; i < confirms; ++i) {
                const QStringList fields = sent[i].split(u'|');
                confirmed << Score{fields[1].toInt(), fields[4], fields[15]};
            }
        }
        QVERIFY(confirmed.size() >= killAfter);

        // The meet opens again after the crash and serves; a clean stop then
        // leaves the file for the checks.
        server = startServer(meet);
        QTRY_VERIFY_WITH_TIMEOUT(!target(*server).isEmpty() ||
                                     server->process().state() == QProcess::NotRunning,
                                 DeadlineMs);
        QVERIFY2(!target(*server).isEmpty(), qPrintable(server->everything()));
        server->process().terminate();
        QVERIFY(server->process().waitForFinished(DeadlineMs));
        QCOMPARE(server->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(server->process().exitCode(), 0);
        checkMeetFile(meet, confirmed);
        if (QTest::currentTestFailed()) {
            qWarning("run %d, killed after %d confirmations", run, killAfter);
            return;
        }
        if (run == runs - 1)
            checkQueueReloaded(meet);
        QFile::remove(meet);
        QFile::remove(meet + u"-wal"_s);
        QFile::remove(meet + u"-shm"_s);
    }
}

QTEST_GUILESS_MAIN(TestCrashDurability)
#include "tst_crash_durability.moc"
