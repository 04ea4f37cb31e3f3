#include "db/meetdatabase.h"
#include "firstrow.h"
#include "tempmeet.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The lookup indexes a meet file gains when it is opened.
class TestMeetIndexes : public QObject {
    Q_OBJECT

    static QStringList waitingIndex(MeetDatabase& db) {
        return firstRow(db, u"SELECT sql FROM sqlite_master WHERE name = 'TallvaneQueueWaiting'"_s);
    }

private Q_SLOTS:
    // A file whose waiting-scores index an earlier version made otherwise
    // gets it as it is made now, and its rows read through it as before.
    void anOlderIndexIsMadeAgain() {
        TempMeet temp;
        const QString path = temp.createMeetFile();
        QString made;
        {
            MeetDatabase db;
            QVERIFY2(db.open(path), qPrintable(db.lastError()));
            made = waitingIndex(db).value(0);
            for (const QString& sql :
                 {u"DROP INDEX TallvaneQueueWaiting"_s,
                  u"CREATE INDEX TallvaneQueueWaiting "
                  "ON ScoreBoardQueue(Status, EventName, QueueTimeNum)"_s,
                  u"INSERT INTO ScoreBoardQueue(num, EventName, QueueTimeNum, Status) "
                  "VALUES('101', 'Vault', '1', 'Queued'), ('102', 'Vault', '0', 'Sent')"_s})
                QVERIFY2(db.execute(sql), qPrintable(db.lastError()));
        }
        QVERIFY(made.contains(u"WHERE Status = 'Queued'"_s));

        MeetDatabase db;
        QVERIFY2(db.open(path), qPrintable(db.lastError()));
        QCOMPARE(waitingIndex(db), QStringList{made});
        QCOMPARE(firstRow(db, u"SELECT num FROM ScoreBoardQueue WHERE Status = 'Queued' AND "
                              "EventName = 'Vault' ORDER BY QueueTimeNum"_s),
                 QStringList{u"101"_s});
        // Opened again, it stays as it is.
        QVERIFY(db.open(path));
        QCOMPARE(waitingIndex(db), QStringList{made});
    }
};

QTEST_GUILESS_MAIN(TestMeetIndexes)
#include "tst_meetindexes.moc"
