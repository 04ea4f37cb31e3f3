// A standby's copy follows everything written to the primary's meet file,
// not only what the primary itself commits: scores confirmed one by one while
// another connection of the same file (as the desktop keeps) writes rows and
// checkpoints the log in every way, and the copy then equals the primary, every
// row of every table. Real `tallvane serve` processes, real TCP on 127.0.0.1.
#include "db/meetdatabase.h"
#include "scoreload.h"
#include "servedmeet.h"
#include "tempmeet.h"
#include "teststation.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <signal.h>

using namespace Qt::Literals::StringLiterals;

using namespace ServedMeet;

class TestStandbyWriters : public QObject {
    Q_OBJECT

    TempMeet mTemp;
    QTemporaryDir mStandbyFolder;

private Q_SLOTS:
    void theCopyTakesOtherConnectionsWritesAndCheckpoints() {
        const QString meet = mTemp.createSampleMeet(u"writers.tallvane"_s);
        {
            MeetDatabase db;
            QVERIFY(db.open(meet) && ScoreLoad::addGymnasts(db, 1000, 60));
            QVERIFY(writeOperatorPin(mTemp.folder()));
        }
        const auto primary = serve(meet, mTemp.folder());
        const QString web = webAddress(*primary);
        QVERIFY2(!web.isEmpty(), qPrintable(primary->everything()));
        const QString target = primary->waitListening();
        const QString copy = mStandbyFolder.filePath(u"writers.tallvane"_s);
        const auto standby = follow(copy, web, mStandbyFolder.path());
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
                judge.send(ScoreLoad::sendScore(1000 + i, u"Vault"_s));
                QCOMPARE(judge.next(), u"SCORECONFIRM|0"_s);
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

QTEST_GUILESS_MAIN(TestStandbyWriters)
#include "tst_standby_writers.moc"
