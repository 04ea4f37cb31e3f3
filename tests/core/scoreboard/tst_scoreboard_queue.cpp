#include "db/meetdatabase.h"
#include "firstrow.h"
#include "scoreboard/displayseconds.h"
#include "scoreboard/queuekey.h"
#include "scoreboard/scorequeue.h"
#include "tempmeet.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {
const QDateTime Noon(QDate(2026, 3, 14), QTime(12, 0, 0));
}

class TestScoreboardQueue : public QObject {
    Q_OBJECT

    TempMeet mTemp;
    MeetDatabase mDb;
    DisplaySeconds mSeconds;
    std::unique_ptr<ScoreQueue> mQueue;
    QDateTime mNow;

    DbRows tableRows() {
        return mDb.select(u"SELECT rowid AS rid, num, GymnastName, EventName, Score, "
                          "DisplaySeconds, QueueTimeNum, Status, corrected FROM ScoreBoardQueue "
                          "ORDER BY rowid"_s);
    }
    // The queue's one stored row: score, status, corrected, display seconds.
    QStringList onlyRow() {
        const DbRows rows = tableRows();
        if (rows.count() != 1)
            return {u"%1 rows"_s.arg(rows.count())};
        return firstRow(mDb, u"SELECT Score, Status, corrected, DisplaySeconds "
                             "FROM ScoreBoardQueue"_s);
    }
    QString cell(int row, int column) const {
        return mQueue->grid()->index(row, column).data().toString();
    }
    void queue(const QString& num, const QString& name, const QString& event, const QString& score,
               bool corrected = false) {
        QString error;
        QVERIFY2(mQueue->queueScore(num, name, event, score, corrected, &error), qPrintable(error));
    }

private Q_SLOTS:
    void init() {
        QVERIFY(mDb.open(mTemp.createSampleMeet(QUuid::createUuid().toString(QUuid::Id128))));
        mQueue = std::make_unique<ScoreQueue>(mDb, mSeconds);
        mNow = Noon;
        mQueue->setClock([this] { return mNow; });
    }
    void cleanup() {
        mQueue.reset();
        mDb.close();
    }

    void keysSortInTimeOrderAtAnyHour() {
        const QDate day(2026, 3, 14);
        const QString tenPast = queueKey(QDateTime(day, QTime(0, 10, 0)));
        const QString noon = queueKey(QDateTime(day, QTime(12, 0, 0)));
        QCOMPARE(noon, QString::number(QDate(1899, 12, 30).daysTo(day)) + u"5000000"_s);
        QVERIFY(tenPast.endsWith(u"0069444"_s));
        QVERIFY(tenPast < noon);
        QVERIFY(noon < queueKey(QDateTime(day, QTime(23, 59, 59))));
        QVERIFY(queueKey(QDateTime(day, QTime(23, 59, 59))) <
                queueKey(QDateTime(day.addDays(1), QTime(0, 0, 0))));
        QCOMPARE(queueTimeFromText(queueTimeText(Noon)), Noon);
    }

    void emptyQueueShowsOneEmptyRow() {
        const QueueGridModel* grid = mQueue->grid();
        QCOMPARE(grid->rowCount(), 1);
        QVERIFY(!grid->hasScores());
        QCOMPARE(cell(0, QueueGridModel::NumColumn), QString());
        QCOMPARE(mQueue->removeQuestion(0), QString());
    }

    void firstScoreThenReplacementWhileQueued() {
        queue(u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.350"_s);
        QCOMPARE(onlyRow(), QStringList({u"9.350"_s, u"Queued"_s, u"0"_s, u"30"_s}));
        QCOMPARE(mQueue->grid()->rowCount(), 1);
        QCOMPARE(cell(0, QueueGridModel::ScoreColumn), u"9.350"_s);
        QCOMPARE(cell(0, QueueGridModel::CorrectedColumn), u"False"_s);
        QCOMPARE(mQueue->grid()->index(0, 3).data(QueueGridModel::BackgroundRgbRole).toInt(),
                 0xFFFFFF);

        mNow = Noon.addSecs(60);
        queue(u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.400"_s);
        QCOMPARE(onlyRow(), QStringList({u"9.400"_s, u"Queued"_s, u"0"_s, u"30"_s}));
        QCOMPARE(tableRows().text(0, u"QueueTimeNum"_s), queueKey(Noon.addSecs(60)));
        QCOMPARE(mQueue->grid()->rowCount(), 1);
        QCOMPARE(cell(0, QueueGridModel::ScoreColumn), u"9.400"_s);
    }

    void sameNumberOtherEventIsItsOwnRow() {
        queue(u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.350"_s);
        mNow = Noon.addSecs(1);
        queue(u"101"_s, u"Ava Brooks"_s, u"Bars"_s, u"9.100"_s);
        mNow = Noon.addSecs(2);
        queue(u"101"_s, u"Ava Brooks"_s, u"Bars"_s, u"9.200"_s);
        QCOMPARE(tableRows().count(), 2);
        QCOMPARE(mQueue->grid()->scoreCount(), 2);
        QCOMPARE(cell(0, QueueGridModel::ScoreColumn), u"9.350"_s);
        QCOMPARE(cell(1, QueueGridModel::ScoreColumn), u"9.200"_s);
    }

    void correctionAfterSentWaitsAgainMarked() {
        queue(u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.350"_s);
        const std::optional<QueueEntry> offered = mQueue->nextWaiting(u"Vault"_s);
        QVERIFY(offered);
        QVERIFY(mQueue->markShown(*offered));
        QCOMPARE(tableRows().text(0, u"Status"_s), u"Sent"_s);
        QVERIFY(!mQueue->grid()->hasScores());

        mNow = Noon.addSecs(120);
        queue(u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.450"_s);
        QCOMPARE(onlyRow(), QStringList({u"9.450"_s, u"Queued"_s, u"1"_s, u"30"_s}));
        QCOMPARE(cell(0, QueueGridModel::CorrectedColumn), u"True"_s);
        QCOMPARE(mQueue->grid()->index(0, 2).data(QueueGridModel::BackgroundRgbRole).toInt(),
                 0xEBAEAE);
        QVERIFY(mQueue->nextWaiting(u"Vault"_s)->corrected);

        // Replaced again before it is shown: still a correction of what shows.
        mNow = Noon.addSecs(180);
        queue(u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.500"_s);
        QCOMPARE(tableRows().value(0, u"corrected"_s).toInt(), 1);
        QCOMPARE(cell(0, QueueGridModel::CorrectedColumn), u"True"_s);
    }

    // First and last names of 50 characters each make a display name one
    // longer than its column: it is cut, and the score is queued.
    void longNamesAreCutToTheirColumn() {
        const QString name = QString(50, u'A') + u' ' + QString(50, u'B');
        queue(u"101"_s, name, u"Vault"_s, u"9.350"_s);
        QCOMPARE(tableRows().text(0, u"GymnastName"_s), name.left(100));
    }

    void testScoreRules() {
        // Test scores always get a row of their own...
        queue(u"999"_s, u"Test Gymnast"_s, u"Beam"_s, u"9.000"_s);
        queue(u"999"_s, u"Test Gymnast"_s, u"Beam"_s, u"8.000"_s);
        QCOMPARE(tableRows().count(), 2);
        QCOMPARE(mQueue->grid()->scoreCount(), 2);
        // ...except when the number's real score for the event is waiting.
        queue(u"101"_s, u"Ava Brooks"_s, u"Beam"_s, u"9.100"_s);
        queue(u"101"_s, u"Test Gymnast"_s, u"Beam"_s, u"1.000"_s);
        QCOMPARE(tableRows().count(), 3);

        // A shown test score is deleted, and only the one that was shown.
        std::optional<QueueEntry> first = mQueue->nextWaiting(u"Beam"_s);
        QCOMPARE(first->score, u"9.000"_s);
        QVERIFY(mQueue->markShown(*first));
        QCOMPARE(tableRows().count(), 2);
        QCOMPARE(mQueue->grid()->scoreCount(), 2);
        QCOMPARE(mQueue->nextWaiting(u"Beam"_s)->score, u"8.000"_s);
    }

    void replacedWhileOnDisplayStaysWaitingAsCorrection() {
        queue(u"102"_s, u"Maya O'Neil"_s, u"Floor"_s, u"9.000"_s);
        const std::optional<QueueEntry> offered = mQueue->nextWaiting(u"Floor"_s);
        mNow = Noon.addSecs(5);
        queue(u"102"_s, u"Maya O'Neil"_s, u"Floor"_s, u"9.100"_s);
        QVERIFY(mQueue->markShown(*offered));
        QCOMPARE(onlyRow(), QStringList({u"9.100"_s, u"Queued"_s, u"1"_s, u"30"_s}));
        QCOMPARE(cell(0, QueueGridModel::CorrectedColumn), u"True"_s);
    }

    void removeTheOnlyScoreKeepsTheEmptyRow() {
        queue(u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.350"_s);
        QCOMPARE(mQueue->removeQuestion(0),
                 u"Remove score for gymnast 101 from scoreboard queue?"_s);
        QSignalSpy changed(mQueue->grid(), &QAbstractItemModel::dataChanged);
        QVERIFY(mQueue->removeQueueRow(0));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(mQueue->grid()->rowCount(), 1);
        QVERIFY(!mQueue->grid()->hasScores());
        QCOMPARE(tableRows().count(), 0);
        QVERIFY(!mQueue->removeQueueRow(0));
    }

    void expediteGoesBeforeTheEarliestWaitingScore() {
        queue(u"101"_s, u"Ava Brooks"_s, u"Bars"_s, u"9.100"_s);
        mNow = Noon.addSecs(30);
        queue(u"102"_s, u"Maya O'Neil"_s, u"Vault"_s, u"9.000"_s);
        mNow = Noon.addSecs(60);
        queue(u"103"_s, u"Zoë Carter"_s, u"Bars"_s, u"8.900"_s);
        QCOMPARE(cell(2, QueueGridModel::NumColumn), u"103"_s);

        QVERIFY(mQueue->expediteQueueRow(2));
        QCOMPARE(cell(0, QueueGridModel::NumColumn), u"103"_s);
        QCOMPARE(cell(0, QueueGridModel::RecvTimeColumn), queueTimeText(Noon.addSecs(-10)));
        QCOMPARE(mQueue->nextWaiting(u"Bars"_s)->num, u"103"_s);

        // The top row itself moves 10 s earlier still.
        QVERIFY(mQueue->expediteQueueRow(0));
        QCOMPARE(cell(0, QueueGridModel::KeyColumn), queueKey(Noon.addSecs(-20)));
    }

    void reloadShowsTheWaitingRowsInOrder() {
        queue(u"101"_s, u"Ava Brooks"_s, u"Bars"_s, u"9.100"_s);
        mNow = Noon.addSecs(-3600);
        queue(u"102"_s, u"Maya O'Neil"_s, u"Vault"_s, u"9.000"_s, true);
        mNow = Noon.addSecs(10);
        queue(u"103"_s, u"Zoë Carter"_s, u"Beam"_s, u"8.800"_s);
        QVERIFY(mQueue->markShown(*mQueue->nextWaiting(u"Beam"_s)));

        ScoreQueue restarted(mDb, mSeconds);
        QVERIFY(restarted.reload());
        const QueueGridModel* grid = restarted.grid();
        QCOMPARE(grid->scoreCount(), 2);
        QCOMPARE(grid->index(0, 1).data().toString(), u"102"_s);
        QVERIFY(grid->index(0, 1).data(QueueGridModel::CorrectedRole).toBool());
        QCOMPARE(grid->index(1, 1).data().toString(), u"101"_s);
    }
};

QTEST_GUILESS_MAIN(TestScoreboardQueue)
#include "tst_scoreboard_queue.moc"
