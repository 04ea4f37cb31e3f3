#include "db/meetdatabase.h"
#include "db/tallvanesettings.h"
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

    // The stored rows as "NUM EVENT SCORE STATUS CORRECTED SECONDS", in storing order.
    QStringList stored() {
        return allRows(mDb, u"SELECT num, EventName, Score, Status, corrected, DisplaySeconds "
                            "FROM ScoreBoardQueue ORDER BY rowid"_s);
    }
    // The grid's rows as "NUM EVENT SCORE CORRECTED", top first.
    QStringList grid() const {
        QStringList rows;
        for (int row = 0; row < mQueue->grid()->rowCount(); ++row) {
            QStringList cells;
            for (int column : {QueueGridModel::NumColumn, QueueGridModel::EventColumn,
                               QueueGridModel::ScoreColumn, QueueGridModel::CorrectedColumn})
                cells << cell(row, column);
            rows << cells.join(u' ');
        }
        return rows;
    }
    QString cell(int row, int column) const {
        return mQueue->grid()->index(row, column).data().toString();
    }
    // Queues a score received `second` seconds after noon.
    void queue(int second, const QString& num, const QString& event, const QString& score,
               const QString& name = u"Ava Brooks"_s, bool corrected = false) {
        mNow = Noon.addSecs(second);
        QString error;
        QVERIFY2(mQueue->queueScore(num, name, event, score, corrected, &error), qPrintable(error));
    }

private Q_SLOTS:
    void init() {
        QVERIFY(mDb.open(mTemp.createSampleMeet(QUuid::createUuid().toString(QUuid::Id128))));
        QVERIFY(TallvaneSettings(mDb).ensureTables());
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
        const QString late = queueKey(QDateTime(day, QTime(23, 59, 59)));
        QVERIFY(noon < late);
        QVERIFY(late < queueKey(QDateTime(day.addDays(1), QTime(0, 0, 0))));
        QCOMPARE(queueTimeFromText(queueTimeText(Noon)), Noon);
    }

    // Rows are matched by number and event: a replacement while queued takes
    // the row's place and time; another event of the same gymnast is its own row.
    void replacementsAndOtherEvents() {
        queue(0, u"101"_s, u"Vault"_s, u"9.350"_s);
        QCOMPARE(stored(), QStringList{u"101|Vault|9.350|Queued|0|30"_s});
        QCOMPARE(grid(), QStringList{u"101 Vault 9.350 False"_s});
        QVERIFY(!mQueue->grid()->index(0, 3).data(QueueGridModel::CorrectedRole).toBool());

        queue(60, u"101"_s, u"Vault"_s, u"9.400"_s);
        QCOMPARE(stored(), QStringList{u"101|Vault|9.400|Queued|0|30"_s});
        QCOMPARE(firstRow(mDb, u"SELECT QueueTimeNum FROM ScoreBoardQueue"_s),
                 QStringList{queueKey(Noon.addSecs(60))});
        queue(61, u"101"_s, u"Bars"_s, u"9.100"_s);
        queue(62, u"101"_s, u"Bars"_s, u"9.200"_s);
        QCOMPARE(grid(), (QStringList{u"101 Vault 9.400 False"_s, u"101 Bars 9.200 False"_s}));
        QCOMPARE(stored().size(), 2);

        // First and last names of 50 characters each make a display name one
        // longer than its column: it is cut, and the score is queued.
        const QString name = QString(50, u'A') + u' ' + QString(50, u'B');
        queue(63, u"102"_s, u"Vault"_s, u"9.000"_s, name);
        QCOMPARE(firstRow(mDb, u"SELECT GymnastName FROM ScoreBoardQueue WHERE num = '102'"_s),
                 QStringList{name.left(100)});
        queue(64, u"101"_s, u"Vault"_s, u"9.450"_s); // behind the scores queued since
        QCOMPARE(grid().constLast(), u"101 Vault 9.450 False"_s);
    }

    void correctionAfterSentWaitsAgainMarked() {
        queue(0, u"101"_s, u"Vault"_s, u"9.350"_s);
        const std::optional<QueueEntry> offered = mQueue->nextWaiting(u"Vault"_s);
        QVERIFY(offered);
        QVERIFY(mQueue->markShown(*offered));
        QCOMPARE(stored(), QStringList{u"101|Vault|9.350|Sent|0|30"_s});
        // The shown mark commits without a sync; every score after it syncs.
        QCOMPARE(firstRow(mDb, u"PRAGMA synchronous"_s), QStringList{u"2"_s});
        QVERIFY(!mQueue->grid()->hasScores());

        queue(120, u"101"_s, u"Vault"_s, u"9.450"_s);
        QCOMPARE(stored(), QStringList{u"101|Vault|9.450|Queued|1|30"_s});
        QCOMPARE(grid(), QStringList{u"101 Vault 9.450 True"_s});
        QVERIFY(mQueue->grid()->index(0, 2).data(QueueGridModel::CorrectedRole).toBool());
        QVERIFY(mQueue->nextWaiting(u"Vault"_s)->corrected);

        // Replaced again before it is shown: still a correction of what shows.
        queue(180, u"101"_s, u"Vault"_s, u"9.500"_s);
        QCOMPARE(stored(), QStringList{u"101|Vault|9.500|Queued|1|30"_s});
        QCOMPARE(grid(), QStringList{u"101 Vault 9.500 True"_s});

        // Replaced while on display: it waits again, as a correction.
        queue(200, u"102"_s, u"Floor"_s, u"9.000"_s);
        const std::optional<QueueEntry> shown = mQueue->nextWaiting(u"Floor"_s);
        queue(205, u"102"_s, u"Floor"_s, u"9.100"_s);
        QVERIFY(mQueue->markShown(*shown));
        QCOMPARE(stored().last(), u"102|Floor|9.100|Queued|1|30"_s);
        QCOMPARE(grid().last(), u"102 Floor 9.100 True"_s);
    }

    void testScoreRules() {
        const QString test = u"Test Gymnast"_s;
        // Test scores always get a row of their own...
        queue(0, u"999"_s, u"Beam"_s, u"9.000"_s, test);
        queue(0, u"999"_s, u"Beam"_s, u"8.000"_s, test);
        QCOMPARE(mQueue->grid()->scoreCount(), 2);
        // ...but one for a number whose real score for the event waits is dropped.
        queue(0, u"101"_s, u"Beam"_s, u"9.100"_s);
        queue(0, u"101"_s, u"Beam"_s, u"1.000"_s, test);
        QCOMPARE(stored().size(), 3);

        // A shown test score is deleted, and only the one that was shown.
        std::optional<QueueEntry> first = mQueue->nextWaiting(u"Beam"_s);
        QCOMPARE(first->score, u"9.000"_s);
        QVERIFY(mQueue->markShown(*first));
        QCOMPARE(stored(),
                 (QStringList{u"999|Beam|8.000|Queued|0|30"_s, u"101|Beam|9.100|Queued|0|30"_s}));
        QCOMPARE(mQueue->grid()->scoreCount(), 2);
    }

    // An empty queue still shows one empty row.
    void removeTheOnlyScoreKeepsTheEmptyRow() {
        QCOMPARE(mQueue->removeQuestion(0), QString());
        queue(0, u"101"_s, u"Vault"_s, u"9.350"_s);
        QSignalSpy changed(mQueue->grid(), &QAbstractItemModel::dataChanged);
        QVERIFY(mQueue->removeQueueRow(0));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(mQueue->grid()->rowCount(), 1);
        QVERIFY(!mQueue->grid()->hasScores());
        QCOMPARE(cell(0, QueueGridModel::NumColumn), QString());
        QCOMPARE(stored(), QStringList());
        QVERIFY(!mQueue->removeQueueRow(0));
    }

    void expediteGoesBeforeTheEarliestWaitingScore() {
        queue(0, u"101"_s, u"Bars"_s, u"9.100"_s);
        queue(30, u"102"_s, u"Vault"_s, u"9.000"_s, u"Maya O'Neil"_s);
        queue(60, u"103"_s, u"Bars"_s, u"8.900"_s, u"Zoë Carter"_s);
        QVERIFY(mQueue->expediteQueueRow(2));
        QCOMPARE(cell(0, QueueGridModel::NumColumn), u"103"_s);
        QCOMPARE(cell(0, QueueGridModel::RecvTimeColumn), queueTimeText(Noon.addSecs(-10)));
        QCOMPARE(mQueue->nextWaiting(u"Bars"_s)->num, u"103"_s);

        // The top row itself moves 10 s earlier still.
        QVERIFY(mQueue->expediteQueueRow(0));
        QCOMPARE(cell(0, QueueGridModel::KeyColumn), queueKey(Noon.addSecs(-20)));
    }

    void reloadShowsTheWaitingRowsInOrder() {
        queue(0, u"101"_s, u"Bars"_s, u"9.100"_s);
        queue(-3600, u"102"_s, u"Vault"_s, u"9.000"_s, u"Maya O'Neil"_s, true);
        queue(10, u"103"_s, u"Beam"_s, u"8.800"_s, u"Zoë Carter"_s);
        QVERIFY(mQueue->markShown(*mQueue->nextWaiting(u"Beam"_s)));
        // A restarted server rebuilds its grid from the meet file.
        mQueue = std::make_unique<ScoreQueue>(mDb, mSeconds);
        QVERIFY(mQueue->reload());
        QCOMPARE(grid(), (QStringList{u"102 Vault 9.000 True"_s, u"101 Bars 9.100 False"_s}));
    }
};

QTEST_GUILESS_MAIN(TestScoreboardQueue)
#include "tst_scoreboard_queue.moc"
