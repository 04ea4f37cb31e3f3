#include "db/logcheckpoints.h"
#include "db/sqlitestatement.h"
#include "emptymeet.h"
#include "judging/idlecheckpoints.h"

#include <QFileInfo>
#include <QTest>

#include <sqlite3.h>

#include <cstdint>

using namespace Qt::Literals::StringLiterals;

class TestIdleCheckpoints : public QObject {
    Q_OBJECT

    // Commits one change long enough for a log past SQLite's own limit: its
    // own checkpoints would have copied it into the meet file at the commit.
    static void growLog(MeetDatabase& db) {
        QVERIFY(db.execute(u"CREATE TABLE IF NOT EXISTS LogFiller(Value TEXT)"_s));
        QVERIFY(db.beginTransaction());
        for (int i = 0; i < IdleCheckpoints::Frames + 200; ++i)
            QVERIFY(db.execute(u"INSERT INTO LogFiller(Value) VALUES(?)"_s, {QString(3000, u'x')}));
        QVERIFY(db.commit());
    }

    static qint64 fileSize(MeetDatabase& db) { return QFileInfo(db.filePath()).size(); }

private Q_SLOTS:
    // A long log is left alone by the commits that grow it, and copied into
    // the meet file once they have stopped and no score waits.
    void longLogCheckpointedOnceQuiet() {
        EmptyMeet meet;
        IdleCheckpoints checkpoints(meet.db, [] { return false; });
        QVERIFY(checkpoints.holdsLog());
        const qint64 before = fileSize(meet.db);
        growLog(meet.db);
        QCOMPARE(fileSize(meet.db), before);
        QTRY_VERIFY_WITH_TIMEOUT(fileSize(meet.db) > before, 5000);
    }

    // A standby's hold of the log is kept; SQLite's own checkpoints are taken
    // over again once it lets go, and handed back at the end.
    void standbyHoldKept() {
        EmptyMeet meet;
        LogCheckpoints standby(meet.db);
        {
            IdleCheckpoints checkpoints(meet.db, [] { return false; });
            standby.hold();
            checkpoints.afterCommit();
            QVERIFY(!checkpoints.holdsLog());
            const qint64 before = fileSize(meet.db);
            growLog(meet.db);
            checkpoints.afterCommit();
            QVERIFY(!checkpoints.holdsLog());
            QCOMPARE(fileSize(meet.db), before);

            standby.release();
            checkpoints.afterCommit();
            QVERIFY(checkpoints.holdsLog());
        }
        sqlite3* connection = SqliteStatement::handleOf(meet.db.connection());
        void* reportsTo = sqlite3_wal_hook(connection, nullptr, nullptr);
        QCOMPARE(reinterpret_cast<std::intptr_t>(reportsTo),
                 std::intptr_t(IdleCheckpoints::Frames));
    }
};

QTEST_GUILESS_MAIN(TestIdleCheckpoints)
#include "tst_idlecheckpoints.moc"
