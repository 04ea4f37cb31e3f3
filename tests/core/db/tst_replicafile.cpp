// A standby's copy and what feeds it. What a standby is sent after each
// commit is read from the write-ahead log; commits wait for a sync by hand
// while it copies. Its copy keeps a journal: what was acknowledged is on the
// disk before the copy takes it, a copy stopped in between (its files as a
// kill leaves them) is whole and takes the journal when opened again, and a
// journal is read only on top of the very contents it was started on.
#include "db/deferredsync.h"
#include "db/logcheckpoints.h"
#include "db/meetdatabase.h"
#include "db/meetfiles.h"
#include "db/pageimage.h"
#include "db/replicafile.h"
#include "db/replicajournal.h"
#include "db/tallvanesettings.h"
#include "db/waltail.h"
#include "tempmeet.h"

#include <QFile>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// Pages of `image` that differ from `older`, as a batch.
QList<std::pair<int, QByteArray>> changedPages(const PageImage& image, const PageImage& older) {
    QList<std::pair<int, QByteArray>> pages;
    for (const int index : image.pagesDifferentFrom(older))
        pages.append({index, image.page(index).toByteArray()});
    return pages;
}

// The rows added, read from the file as it is (its journal not taken); -1
// when it is not whole.
int bareRows(const QString& path) {
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"bare"_s);
        db.setDatabaseName(path);
        QSqlQuery query(db);
        if (db.open() && query.exec(u"PRAGMA integrity_check"_s) && query.next() &&
            query.value(0).toString() == u"ok"_s &&
            query.exec(u"SELECT count(*) FROM TallvaneSettings WHERE Name LIKE 'Row%'"_s) &&
            query.next())
            rows = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(u"bare"_s);
    return rows;
}

// The rows added, as any program opening the meet file sees them.
int rowsIn(const QString& path) {
    MeetDatabase db;
    if (!db.open(path) ||
        db.select(u"PRAGMA integrity_check"_s).text(0, u"integrity_check"_s) != u"ok"_s)
        return -1;
    return db.select(u"SELECT count(*) AS n FROM TallvaneSettings WHERE Name LIKE 'Row%'"_s)
        .value(0, 0)
        .toInt();
}

// The files of a meet as they are on the disk now, copied to `folder`.
QString snapshot(const QString& path, const QString& folder) {
    const QString copy = folder + u"/snapshot.tallvane"_s;
    for (const QString& suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-standby"_s}) {
        QFile::remove(copy + suffix);
        if (suffix != u"-shm"_s && QFile::exists(path + suffix))
            QFile::copy(path + suffix, copy + suffix);
    }
    return copy;
}

} // namespace

class TestReplicaFile : public QObject {
    Q_OBJECT

    TempMeet mTemp;
    MeetDatabase mPrimary;
    int mRows = 0;
    PageImage mSent;
    QString mCopyPath;
    std::unique_ptr<QLockFile> mLock; // held as a standby holds its copy
    ReplicaFile mCopy;

    // Adds `count` rows to the primary and sends the copy the pages that changed.
    bool commitAndSend(int count) {
        TallvaneSettings settings(mPrimary);
        for (int i = 0; i < count; ++i, ++mRows) {
            if (!settings.setValue(u"Row%1"_s.arg(mRows), QString(300, QChar(u'a' + i % 26))))
                return false;
        }
        QString error;
        const std::optional<PageImage> image = PageImage::read(mPrimary, &error);
        if (!image || !mCopy.write(image->pageSize(), image->pageCount(),
                                   changedPages(*image, mSent), &error))
            return false;
        mSent = *image;
        return true;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(mPrimary.open(mTemp.createSampleMeet(u"primary.tallvane"_s)));
        mCopyPath = mTemp.path(u"copy.tallvane"_s);
        QString error;
        mLock = MeetFiles::lockMeetFile(mCopyPath, &error);
        QVERIFY2(mLock, qPrintable(error));
        QVERIFY2(mCopy.open(mCopyPath, &error), qPrintable(error));
        QVERIFY(commitAndSend(10));
        // The first copy is written whole; the journal is empty after it.
        QCOMPARE(mCopy.pendingBatches(), 0);
        QCOMPARE(rowsIn(mCopyPath), 10);
    }

    void aCopyStoppedBeforeItTookTheJournalLosesNothing() {
        QVERIFY(commitAndSend(5));
        QVERIFY(commitAndSend(40)); // the table grows by pages
        QCOMPARE(mCopy.pendingBatches(), 2);
        QTemporaryDir crashed;
        const QString left = snapshot(mCopyPath, crashed.path());
        // The file alone is the meet as it was before the batches, whole;
        // opened, it takes them.
        QCOMPARE(bareRows(left), 10);
        QCOMPARE(rowsIn(left), 55);
        QVERIFY(!QFile::exists(ReplicaJournal::pathFor(left)));

        // The running copy takes its journal when the primary is quiet.
        QString error;
        QVERIFY2(mCopy.applyPending(&error), qPrintable(error));
        QCOMPARE(mCopy.pendingBatches(), 0);
        QCOMPARE(rowsIn(mCopyPath), 55);
    }

    void aJournalAppliesOnlyOnTopOfWhatItWasStartedOn() {
        QVERIFY(commitAndSend(3));
        QVERIFY(commitAndSend(3));
        QTemporaryDir crashed;
        const QString left = snapshot(mCopyPath, crashed.path());
        const QString journal = ReplicaJournal::pathFor(left);
        // The last batch's end never written, as by a stop amid its
        // writing: it was never acknowledged, and the batches before it
        // still count.
        QFile cut(journal);
        QVERIFY(cut.open(QIODevice::ReadWrite) && cut.seek(mCopy.pendingBytes() - 100));
        QCOMPARE(cut.write(QByteArray(100, 0)), 100);
        cut.close();
        QString error;
        QVERIFY2(ReplicaFile::applyLeftJournal(left, &error), qPrintable(error));
        QCOMPARE(rowsIn(left), 58);

        // A copy that has taken the batches already gains nothing from them again.
        const QString again = snapshot(mCopyPath, crashed.path());
        QVERIFY(QFile::copy(ReplicaJournal::pathFor(mCopyPath), journal + u".kept"_s));
        QVERIFY2(ReplicaFile::applyLeftJournal(again, &error), qPrintable(error));
        QCOMPARE(rowsIn(again), 61);
        QVERIFY(QFile::rename(journal + u".kept"_s, journal));
        QVERIFY2(ReplicaFile::applyLeftJournal(again, &error), qPrintable(error));
        QCOMPARE(rowsIn(again), 61);

        // Another meet's file beside that journal is left as it is.
        const QString other = mTemp.createSampleMeet(u"other.tallvane"_s);
        {
            MeetDatabase db;
            QVERIFY(db.open(other));
            QVERIFY(TallvaneSettings(db).setValue(u"Row0"_s, u"x"_s));
        }
        QVERIFY(QFile::copy(ReplicaJournal::pathFor(mCopyPath), ReplicaJournal::pathFor(other)));
        QVERIFY2(ReplicaFile::applyLeftJournal(other, &error), qPrintable(error));
        QCOMPARE(rowsIn(other), 1);
    }

    // What a standby is sent after each commit, read from the write-ahead log:
    // over many commits from the meet's own connection and from a second one, with
    // checkpoints of every kind between them (the log started again, cut to
    // nothing), the image kept up to date equals the database byte for byte,
    // and most commits are told by the log alone.
    void theImageFollowsEveryCommitAndCheckpoint() {
        const QString path = mTemp.createSampleMeet(u"tail.tallvane"_s);
        MeetDatabase db;
        QVERIFY(db.open(path));
        LogCheckpoints checkpoints(db);
        checkpoints.hold();
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery query(other);
            WalTail tail(path);
            QString error;
            std::optional<PageImage> image = tail.readWhole(db, &error);
            QVERIFY2(image, qPrintable(error));
            QRandomGenerator random(2024);
            TallvaneSettings settings(db);
            const int commits = 600;
            for (int i = 0; i < commits; ++i) {
                const int what = int(random.bounded(20));
                const QString name = u"Row%1"_s.arg(random.bounded(400));
                // Long values: the table grows by pages and shrinks again.
                const QString value(int(random.bounded(2000)), QChar(u'a' + i % 26));
                if (what < 12) {
                    QVERIFY2(settings.setValue(name, value), qPrintable(settings.lastError()));
                } else if (what < 16) {
                    // The desktop's other connections write the same file.
                    query.prepare(u"INSERT OR REPLACE INTO TallvaneSettings (Name, Value) "
                                  "VALUES (?, ?)"_s);
                    query.addBindValue(name);
                    query.addBindValue(value);
                    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
                } else if (what == 16) {
                    QVERIFY(query.exec(u"DELETE FROM TallvaneSettings WHERE Name LIKE 'Row1%'"_s));
                } else if (what == 17) {
                    QVERIFY(checkpoints.checkpoint());
                } else if (what == 18) {
                    // Someone else's checkpoints: the log starts again, or is cut.
                    QVERIFY(query.exec(random.bounded(2) ? u"PRAGMA wal_checkpoint(RESTART)"_s
                                                         : u"PRAGMA wal_checkpoint(TRUNCATE)"_s));
                    while (query.next()) {
                    }
                }
                // Now and then several commits go by before the next look.
                if (random.bounded(4) == 0)
                    continue;
                QVERIFY2(tail.bringUpToDate(*image, db, &error), qPrintable(error));
                const std::optional<PageImage> now = PageImage::read(db, &error);
                QVERIFY2(now, qPrintable(error));
                QVERIFY2(image->bytes() == now->bytes(),
                         qPrintable(u"differs after commit %1 (%2)"_s.arg(i).arg(what)));
            }
            qInfo("%lld of the looks read from the log alone",
                  static_cast<long long>(tail.readsFromLog()));
            QVERIFY(tail.readsFromLog() > commits / 2);
        }
        QSqlDatabase::removeDatabase(u"other"_s);
    }

    // Commits that wait for a sync by hand: while deferred they no longer sync
    // by themselves, a sync by hand covers them, and restoring brings back a
    // sync on each commit, whatever happened meanwhile.
    void deferredThenRestored() {
        MeetDatabase db;
        QVERIFY(db.open(mTemp.createSampleMeet(u"deferred.tallvane"_s)));
        const auto syncLevel = [&db] {
            return db.select(u"PRAGMA synchronous"_s).value(0, 0).toInt();
        };
        QCOMPARE(syncLevel(), 2); // full
        {
            DeferredSync sync(db);
            QString error;
            QVERIFY2(sync.defer(&error), qPrintable(error));
            QCOMPARE(syncLevel(), 1); // normal: the log is synced by hand
            QVERIFY(TallvaneSettings(db).setValue(u"Deferred"_s, u"1"_s));
            QVERIFY2(sync.syncNow(&error), qPrintable(error));
            QVERIFY2(sync.restore(&error), qPrintable(error));
            QCOMPARE(syncLevel(), 2);
            QVERIFY(!sync.isDeferred());
            QVERIFY(sync.defer(&error));
        }
        // Given up while deferred, it leaves full sync behind.
        QCOMPARE(syncLevel(), 2);
    }
};

QTEST_GUILESS_MAIN(TestReplicaFile)
#include "tst_replicafile.moc"
