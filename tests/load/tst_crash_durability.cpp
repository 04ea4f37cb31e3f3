// A scoring server killed (SIGKILL) amid a flow of scores has lost no score it
// confirmed ("SCORECONFIRM|0"): each is in its gymnast's row and waiting in the
// scoreboard queue with its score history entry, never one without the others. Runs `tallvane
// serve` and four `tallvane-station` judges as real processes.
#include "db/meetdatabase.h"
#include "scoreload.h"
#include "servedmeet.h"
#include "tempmeet.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <memory>
#include <signal.h>

using namespace Qt::Literals::StringLiterals;

using namespace ServedMeet;

namespace {

constexpr int ScoresPerJudge = 30;

} // namespace

class TestCrashDurability : public QObject {
    Q_OBJECT

    TempMeet mTemp;

private Q_SLOTS:
    void confirmedScoresSurviveAKill() {
        const int runs = qEnvironmentVariableIntValue("TALLVANE_CRASH_RUNS") > 0
                             ? qEnvironmentVariableIntValue("TALLVANE_CRASH_RUNS")
                             : 20;
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

        for (int run = 0; run < runs; ++run) {
            const QString meet = mTemp.path(u"run%1.tallvane"_s.arg(run));
            QVERIFY(QFile::copy(base, meet));
            // From before the first confirmation to near the end of the flow.
            const int killAfter = int(random.bounded(4 * ScoresPerJudge * 9 / 10));
            qInfo("run %d: kill after %d confirmations", run, killAfter);

            std::unique_ptr<ChildProgram> server = serve(meet, mTemp.folder());
            const QString target = server->waitListening(DeadlineMs);
            QVERIFY2(!target.isEmpty(), qPrintable(server->everything()));
            const Judges judges = startJudges(target, mTemp.folder(), 1000, ScoresPerJudge);
            QTRY_VERIFY_WITH_TIMEOUT(confirmations(judges) >= killAfter, DeadlineMs);
            server->process().kill();
            QVERIFY(server->process().waitForFinished(DeadlineMs));
            for (auto& judge : judges)
                QVERIFY(judge->process().waitForFinished(DeadlineMs));

            const QHash<QString, QString> confirmed = confirmedFinals(judges);
            QVERIFY(confirmed.size() >= killAfter);

            // The meet opens again after the crash and serves; a clean stop
            // then leaves the file for the checks.
            server = serve(meet, mTemp.folder());
            QVERIFY2(!server->waitListening(DeadlineMs).isEmpty(),
                     qPrintable(server->everything()));
            QVERIFY2(server->stop(SIGTERM), qPrintable(server->everything()));

            MeetDatabase db;
            QVERIFY2(db.open(meet), qPrintable(db.lastError()));
            QCOMPARE(db.select(u"SELECT SocketID FROM Connections"_s).count(), 0);
            // A score and its queue row are stored together or not at all, each once.
            const QHash<QString, QString> finals = ScoreLoad::storedFinals(db);
            QCOMPARE(db.select(u"SELECT * FROM ScoreBoardQueue"_s).count(), finals.size());
            QCOMPARE(ScoreLoad::queuedScores(db), finals);
            // ... and with its history entry, one per score.
            QCOMPARE(db.select(u"SELECT * FROM ScoreHistory"_s).count(), finals.size());
            QCOMPARE(ScoreLoad::recordedFinals(db), finals);
            for (auto it = confirmed.begin(); it != confirmed.end(); ++it)
                QVERIFY2(finals.value(it.key()) == it.value(),
                         qPrintable(u"run %1 lost %2"_s.arg(run).arg(it.key())));
            db.close();
            for (const QString& file : QStringList{meet, meet + u"-wal"_s, meet + u"-shm"_s})
                QFile::remove(file);
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashDurability)
#include "tst_crash_durability.moc"
