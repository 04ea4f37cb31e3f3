// A standby's copy with its journal: what was acknowledged is on the disk
// before the copy takes it, a copy stopped in between (its files as a kill
// leaves them) is whole and takes the journal when opened again, and a
// journal is read only on top of the very contents it was started on.
#include "db/meetdatabase.h"
#include "db/meetfiles.h"
#include "db/pageimage.h"
#include "db/replicafile.h"
#include "db/replicajournal.h"
#include "db/tallvanesettings.h"
#include "tempmeet.h"

#include <QFile>
#include <QLockFile>
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

QString integrityOf(MeetDatabase& db) {
    return db.select(u"PRAGMA integrity_check"_s).text(0, u"integrity_check"_s);
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
    if (!db.open(path) || integrityOf(db) != u"ok"_s)
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
};

QTEST_GUILESS_MAIN(TestReplicaFile)
#include "tst_replicafile.moc"
