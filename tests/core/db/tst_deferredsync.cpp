// Commits that wait for a sync by hand: while deferred they no longer sync
// by themselves, a sync by hand covers them, and restoring brings back a
// sync on each commit, whatever happened meanwhile.
#include "db/deferredsync.h"
#include "db/meetdatabase.h"
#include "db/tallvanesettings.h"
#include "tempmeet.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestDeferredSync : public QObject {
    Q_OBJECT

    static int syncLevel(MeetDatabase& db) {
        return db.select(u"PRAGMA synchronous"_s).value(0, 0).toInt();
    }

private Q_SLOTS:
    void deferredThenRestored() {
        TempMeet temp;
        MeetDatabase db;
        QVERIFY(db.open(temp.createSampleMeet()));
        QCOMPARE(syncLevel(db), 2); // full
        {
            DeferredSync sync(db);
            QString error;
            QVERIFY2(sync.defer(&error), qPrintable(error));
            QCOMPARE(syncLevel(db), 1); // normal: the log is synced by hand
            QVERIFY(TallvaneSettings(db).setValue(u"Deferred"_s, u"1"_s));
            QVERIFY2(sync.syncNow(&error), qPrintable(error));
            QVERIFY2(sync.restore(&error), qPrintable(error));
            QCOMPARE(syncLevel(db), 2);
            QVERIFY(!sync.isDeferred());
            QVERIFY(sync.defer(&error));
        }
        // Given up while deferred, it leaves full sync behind.
        QCOMPARE(syncLevel(db), 2);
    }
};

QTEST_GUILESS_MAIN(TestDeferredSync)
#include "tst_deferredsync.moc"
