// A standby follows a primary `tallvane serve`: every score the primary
// confirmed survives a SIGKILL of the primary once the standby takes over, a
// wrong operator PIN gets nothing, a standby turns judges away until it takes
// over, the old primary restarted after a take-over refuses to serve, and a
// standby cut off is let go after two seconds and catches up from what it
// holds when it is back, and the copy takes what other connections write.
// Real processes, real TCP on 127.0.0.1.
#include "db/meetdatabase.h"
#include "db/replicafile.h"
#include "db/replicajournal.h"
#include "relay.h"
#include "scoreload.h"
#include "servedmeet.h"
#include "tempmeet.h"
#include "teststation.h"
#include "web/replicafollower.h"
#include "web/standbygate.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>
#include <signal.h>

using namespace Qt::Literals::StringLiterals;

using namespace ServedMeet;

class TestStandby : public QObject {
    Q_OBJECT

    TempMeet mTemp;
    QTemporaryDir mStandbyFolder;

    // The primary on a sample meet of its own, `name`, with gymnasts enough
    // (its path in `meet`); its web pages' address in `web` once it serves.
    std::unique_ptr<ChildProgram> startPrimary(const QString& name, QString* web,
                                               QString* meet = nullptr) {
        const QString file = mTemp.createSampleMeet(name);
        if (meet)
            *meet = file;
        return servePrimary(file, mTemp.folder(), web, 60);
    }

    std::unique_ptr<ChildProgram> startStandby(const QString& meet, const QString& web,
                                               const QStringList& more = {}) {
        return follow(meet, web, mStandbyFolder.path(), more);
    }

private Q_SLOTS:
    void theCopyFollowsAndConfirmedScoresSurviveTheKill() {
        const int runs = std::max(1, qEnvironmentVariableIntValue("TALLVANE_STANDBY_RUNS"));
        QRandomGenerator random(QRandomGenerator::global()->generate());
        for (int run = 0; run < runs; ++run) {
            const QString copy = mStandbyFolder.filePath(u"standby%1.tallvane"_s.arg(run));
            QString web;
            QString meet;
            std::unique_ptr<ChildProgram> primary =
                startPrimary(u"primary%1.tallvane"_s.arg(run), &web, &meet);
            QVERIFY(primary);
            QVERIFY2(!web.isEmpty(), qPrintable(primary->everything()));
            const QString target = primary->waitListening();
            // Ports of its own that stay the same when it takes over, as on a
            // laptop of its own.
            const quint16 standbyPort = freePort();
            std::unique_ptr<ChildProgram> standby = startStandby(
                copy, web,
                {u"--take-over-after"_s, u"3"_s, u"--port"_s, QString::number(standbyPort),
                 u"--web-port"_s, QString::number(freePort())});
            QVERIFY2(!standby->waitForLine(u"Following "_s + web + u" ("_s).isEmpty(),
                     qPrintable(standby->everything()));
            QVERIFY(!standby->waitForLine(u"In step with "_s + web).isEmpty());
            QVERIFY(!primary->waitForLine(u"is in step"_s).isEmpty());
            // Before it takes over the standby prints no "Listening on" and
            // turns judges away.
            QVERIFY(!standby->everything().contains(u"Listening on"_s));
            {
                TestStation early(standbyPort);
                QCOMPARE(early.loginJudge(u"Vault"_s, u"Early"_s, Pin), StandbyGate::Refusal);
            }

            // Judges score, and the primary dies amid it.
            const Judges judges = startJudges(target, mTemp.folder(), 1010, 50);
            const int killAfter = 20 + int(random.bounded(100));
            qInfo("run %d: kill after %d confirmations", run, killAfter);
            QVERIFY(
                QTest::qWaitFor([&] { return confirmations(judges) >= killAfter; }, DeadlineMs));
            primary->process().kill();
            QVERIFY(primary->process().waitForFinished(DeadlineMs));
            for (auto& judge : judges)
                QVERIFY(judge->process().waitForFinished(DeadlineMs));
            const QHash<QString, QString> confirmed = confirmedFinals(judges);

            QVERIFY2(!standby->waitForLine(u"Taking over from "_s + web).isEmpty(),
                     qPrintable(standby->everything()));
            QCOMPARE(standby->waitListening(), u"127.0.0.1:%1"_s.arg(standbyPort));
            QVERIFY2(!standby->everything().contains(u"could not be recorded"_s),
                     qPrintable(standby->everything()));
            // The old primary, restarted on its file, finds the newer one and refuses.
            const ChildProgram::Finished again = ChildProgram::runTallvane(
                {u"serve"_s, meet, u"--port"_s, u"0"_s, u"--web-port"_s, u"0"_s}, mTemp.folder());
            QCOMPARE(again.status, 1);
            QVERIFY2(again.err.contains(u"took this meet over"_s), qPrintable(again.err));
            QVERIFY(again.err.contains(u"--follow http://"_s));
            QVERIFY2(standby->stop(SIGTERM), qPrintable(standby->everything()));
            QCOMPARE(integrity(copy), u"ok"_s);
            MeetDatabase db;
            QVERIFY2(db.open(copy), qPrintable(db.lastError()));
            const QHash<QString, QString> finals = ScoreLoad::storedFinals(db);
            const QHash<QString, QString> queued = ScoreLoad::queuedScores(db);
            for (auto it = confirmed.cbegin(); it != confirmed.cend(); ++it) {
                QVERIFY2(finals.value(it.key()) == it.value(),
                         qPrintable(u"run %1 lost %2"_s.arg(run).arg(it.key())));
                QVERIFY2(queued.value(it.key()) == it.value(),
                         qPrintable(u"run %1 lost the queue row of %2"_s.arg(run).arg(it.key())));
            }
        }
    }

    // Killed right after it answered for a confirmed score, most likely before
    // its copy took it, a standby leaves a file that opens whole with every
    // score confirmed, and follows on without --force; another meet is refused.
    // Last, as it shuts this address out: a wrong operator PIN gets nothing.
    void aKilledStandbyLosesNothingAndFollowsOn() {
        const QString copy = mStandbyFolder.filePath(u"answer.tallvane"_s);
        QString web;
        std::unique_ptr<ChildProgram> primary = startPrimary(u"answer.tallvane"_s, &web);
        QVERIFY(!web.isEmpty());
        const QString target = primary->waitListening();
        std::unique_ptr<ChildProgram> standby = startStandby(copy, web);
        QVERIFY(!standby->waitForLine(u"In step with "_s).isEmpty());
        QVERIFY(!primary->waitForLine(u"is in step"_s).isEmpty());
        TestStation judge(quint16(target.section(u':', 1).toUInt()));
        QCOMPARE(judge.loginJudge(u"Vault"_s, u"Answer"_s, Pin), u"AUTHRESP|0|3"_s);
        for (int num = 1000; num < 1005; ++num) {
            QCOMPARE(judge.ask(ScoreLoad::sendScore(num, u"Vault"_s)), u"SCORECONFIRM|0"_s);
        }
        standby->process().kill();
        QVERIFY(standby->process().waitForFinished(DeadlineMs));
        qInfo("journal left: %lld bytes",
              static_cast<long long>(QFileInfo(ReplicaJournal::pathFor(copy)).size()));
        QCOMPARE(integrity(copy), u"ok"_s);
        {
            MeetDatabase db;
            QVERIFY2(db.open(copy), qPrintable(db.lastError()));
            const QHash<QString, QString> finals = ScoreLoad::storedFinals(db);
            for (int num = 1000; num < 1005; ++num)
                QVERIFY2(finals.contains(u"%1/Vault"_s.arg(num)), qPrintable(QString::number(num)));
            QVERIFY(!QFile::exists(ReplicaJournal::pathFor(copy)));
        }
        standby = startStandby(copy, web);
        QVERIFY2(!standby->waitForLine(u"In step with "_s).isEmpty(),
                 qPrintable(standby->everything() + u" PRIMARY: "_s + primary->everything()));
        QVERIFY(standby->stop(SIGTERM));
        const ChildProgram::Finished refused =
            ChildProgram::runTallvane({u"serve"_s, mTemp.createSampleMeet(u"other.tallvane"_s),
                                       u"--follow"_s, web, u"--operator-pin"_s, OperatorPin},
                                      mStandbyFolder.path());
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains(u"--force"_s), qPrintable(refused.err));

        // A wrong operator PIN gets nothing of the meet; after five, even the
        // right one is turned away for a while.
        ReplicaFile guesses;
        QString error;
        QVERIFY2(guesses.open(mStandbyFolder.filePath(u"guess.tallvane"_s), &error),
                 qPrintable(error));
        const auto refusal = [&](const QString& pin) {
            ReplicaFollower guess(QUrl(web), pin, guesses);
            QSignalSpy told(&guess, &ReplicaFollower::refused);
            QSignalSpy meet(&guess, &ReplicaFollower::meetReceived);
            guess.start();
            return told.wait(10000) && meet.isEmpty() ? told[0][0].toString() : QString();
        };
        for (int i = 0; i < 5; ++i)
            QCOMPARE(refusal(u"111111"_s), u"Wrong operator PIN"_s);
        QVERIFY(refusal(OperatorPin).startsWith(u"Too many"_s));
        QVERIFY(primary->stop(SIGTERM));
    }

    void losingSightOfEachOtherLeavesOnePrimaryOnceTheySeeAgain() {
        QString web;
        std::unique_ptr<ChildProgram> primary = startPrimary(u"sight.tallvane"_s, &web);
        QVERIFY(!web.isEmpty());
        Relay relay(QUrl(web).port());
        std::unique_ptr<ChildProgram> standby = startStandby(
            mStandbyFolder.filePath(u"sight.tallvane"_s),
            u"http://127.0.0.1:%1/"_s.arg(relay.port()),
            {u"--take-over-after"_s, u"3"_s, u"--web-port"_s, QString::number(freePort())});
        QVERIFY2(!standby->waitForLine(u"In step with "_s).isEmpty(),
                 qPrintable(standby->everything()));
        // Only the stream between them breaks: the standby goes on alone, and
        // the primary, seeing it serve the meet under a newer epoch, stops.
        relay.cut();
        QVERIFY(!standby->waitForLine(u"Taking over from "_s).isEmpty());
        QVERIFY(primary->process().waitForFinished(DeadlineMs));
        QCOMPARE(primary->process().exitCode(), 1);
        QVERIFY(primary->everything().contains(u"took this meet over"_s));
        QVERIFY(standby->stop(SIGTERM));
    }

    void aStandbyCutOffIsLetGoAndCatchesUp() {
        QString web;
        std::unique_ptr<ChildProgram> primary = startPrimary(u"cut.tallvane"_s, &web);
        QVERIFY(!web.isEmpty());
        const QString target = primary->waitListening();
        Relay relay(QUrl(web).port());
        ReplicaFile file;
        QString error;
        QVERIFY2(file.open(mStandbyFolder.filePath(u"cut.tallvane"_s), &error), qPrintable(error));
        ReplicaFollower follower(QUrl(u"http://127.0.0.1:%1/"_s.arg(relay.port())), OperatorPin,
                                 file);
        QSignalSpy inStep(&follower, &ReplicaFollower::inStep);
        follower.start();
        QVERIFY(inStep.wait(DeadlineMs));
        const int pageCount = inStep.first().at(1).toInt();
        QCOMPARE(inStep.first().at(0).toInt(), pageCount); // the first copy is whole
        QVERIFY(!primary->waitForLine(u"is in step"_s).isEmpty());

        TestStation judge(quint16(target.section(u':', 1).toUInt()));
        QCOMPARE(judge.loginJudge(u"Vault"_s, u"Cut"_s, Pin), u"AUTHRESP|0|3"_s);
        // A question asked right after a score is answered after its confirmation.
        judge.send(ScoreLoad::sendScore(1000, u"Vault"_s));
        QCOMPARE(judge.ask(u"GYMNASTQUERY|1000|Vault|2"_s), u"SCORECONFIRM|0"_s);
        QVERIFY(!judge.next().isEmpty());

        // Cut off: the primary waits its two seconds, then confirms alone.
        relay.cut();
        QVERIFY(judge.ask(ScoreLoad::sendScore(1001, u"Vault"_s), 500).isEmpty());
        QCOMPARE(judge.next(10000), u"SCORECONFIRM|0"_s);
        QString alerts;
        QVERIFY(QTest::qWaitFor(
            [&] {
                alerts += QString::fromLocal8Bit(primary->process().readAllStandardError());
                return alerts.contains(u"Standby at 127.0.0.1 stopped answering; scores are "
                                       "confirmed without it"_s);
            },
            DeadlineMs));
        QCOMPARE(judge.ask(ScoreLoad::sendScore(1002, u"Vault"_s)), u"SCORECONFIRM|0"_s);

        // Back: only what changed meanwhile is copied.
        inStep.clear();
        relay.mend();
        QVERIFY(inStep.wait(DeadlineMs));
        QVERIFY2(inStep.first().at(0).toInt() < pageCount / 2,
                 qPrintable(
                     u"%1 of %2 pages copied"_s.arg(inStep.first().at(0).toInt()).arg(pageCount)));
        follower.stop();
        file.close();
        MeetDatabase copy;
        QVERIFY(copy.open(mStandbyFolder.filePath(u"cut.tallvane"_s)));
        QCOMPARE(ScoreLoad::storedFinals(copy).size(), 3);
        QVERIFY(primary->stop(SIGTERM));
    }

    // The copy follows everything written to the primary's meet file, not
    // only what the primary itself commits: scores confirmed one by one while
    // another connection of the same file (as the desktop keeps) writes rows
    // and checkpoints the log in every way, and the copy then equals the
    // primary, every row of every table.
    void theCopyTakesOtherConnectionsWritesAndCheckpoints() {
        QString web;
        QString meet;
        const auto primary = startPrimary(u"writers.tallvane"_s, &web, &meet);
        QVERIFY(!web.isEmpty());
        const QString target = primary->waitListening();
        const QString copy = mStandbyFolder.filePath(u"writers.tallvane"_s);
        const auto standby = startStandby(copy, web);
        QVERIFY2(!standby->waitForLine(u"In step with "_s).isEmpty(),
                 qPrintable(standby->everything()));
        QVERIFY(!primary->waitForLine(u"is in step"_s).isEmpty());

        TestStation judge(quint16(target.section(u':', 1).toUInt()));
        QCOMPARE(judge.loginJudge(u"Vault"_s, u"Writers"_s, Pin), u"AUTHRESP|0|3"_s);
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
            other.setDatabaseName(meet);
            QVERIFY(other.open());
            QSqlQuery query(other);
            const QStringList checkpoints{u"PASSIVE"_s, u"RESTART"_s, u"TRUNCATE"_s};
            for (int i = 0; i < 240; ++i) {
                QCOMPARE(judge.ask(ScoreLoad::sendScore(1000 + i, u"Vault"_s)),
                         u"SCORECONFIRM|0"_s);
                if (i % 3 == 0) {
                    query.prepare(u"INSERT OR REPLACE INTO TallvaneSettings (Name, Value) "
                                  "VALUES (?, ?)"_s);
                    query.addBindValue(u"Other%1"_s.arg(i % 40));
                    query.addBindValue(QString(100 + i * 7, QChar(u'a' + i % 26)));
                    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
                }
                // A checkpoint that must wait for the primary is skipped, as it would be.
                if (i % 20 == 10 && query.exec(u"PRAGMA wal_checkpoint(%1)"_s.arg(
                                        checkpoints[(i / 20) % checkpoints.size()]))) {
                    while (query.next()) {
                    }
                }
            }
        }
        QSqlDatabase::removeDatabase(u"other"_s);
        // Both read at once per try: the primary's display loop goes on changing the queue.
        QVERIFY2(QTest::qWaitFor([&] { return everyRow(copy) == everyRow(meet); }, DeadlineMs),
                 qPrintable(standby->everything()));
        QVERIFY(everyRow(copy).filter(u"TallvaneSettings: Other"_s).size() == 40);
        QVERIFY(standby->stop(SIGTERM));
        QVERIFY(primary->stop(SIGTERM));
    }
};

QTEST_GUILESS_MAIN(TestStandby)
#include "tst_standby.moc"
