// What a standby is sent after each commit, read from the write-ahead log:
// over many commits from the meet's own connection and from a second one, with
// checkpoints of every kind between them (the log started again, cut to
// nothing), the image kept up to date equals the database byte for byte,
// and most commits are told by the log alone.
#include "db/logcheckpoints.h"
#include "db/meetdatabase.h"
#include "db/pageimage.h"
#include "db/tallvanesettings.h"
#include "db/waltail.h"
#include "tempmeet.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestWalTail : public QObject {
    Q_OBJECT

    TempMeet mTemp;

private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestWalTail)
#include "tst_waltail.moc"
