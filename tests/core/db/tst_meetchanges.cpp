#include "datarows.h"
#include "db/dbsavepoint.h"
#include "db/dbtransaction.h"
#include "db/meetchanges.h"
#include "db/tables/gymnaststable.h"
#include "db/tallvanesettings.h"
#include "judging/scorestore.h"
#include "scoreboard/displayseconds.h"
#include "scoreboard/scorequeue.h"
#include "tempmeet.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

MeetChange changeAt(const QSignalSpy& spy, int i) {
    return spy.at(i).at(0).value<MeetChange>();
}

// The changes a spy heard, as "table num event".
QStringList heard(const QSignalSpy& spy) {
    QStringList all;
    for (int i = 0; i < spy.size(); ++i) {
        const MeetChange change = changeAt(spy, i);
        all.append(QStringList{change.table, change.num, change.event}.join(u' '));
    }
    return all;
}

SubmittedScore score(const QString& num, const QString& event, const QString& final) {
    SubmittedScore submitted;
    submitted.num = num;
    submitted.event = event;
    submitted.finalText = final;
    return submitted;
}

} // namespace

class TestMeetChanges : public QObject {
    Q_OBJECT

    std::unique_ptr<TempMeet> mTemp;
    std::unique_ptr<MeetDatabase> mDb;

    bool storeBeam(const QString& num, double final) {
        return GymnastsTable(*mDb).storeScore(num, u"Beam"_s, u"1"_s, {{u"E3Final"_s, final}});
    }

private Q_SLOTS:
    void init() {
        mTemp = std::make_unique<TempMeet>();
        mDb = std::make_unique<MeetDatabase>();
        QVERIFY2(mDb->open(mTemp->createSampleMeet()), qPrintable(mDb->lastError()));
        QVERIFY(TallvaneSettings(*mDb).ensureTables());
    }
    void cleanup() {
        mDb.reset();
        mTemp.reset();
    }

    // A score is told once its transaction commits, with its table, row,
    // gymnast, event and session; one that rolls back is never told.
    void scoreToldOnlyOnceCommitted_data() {
        addDataRows<QString, bool>({"name", "commit"},
                                   {{u"committed"_s, true}, {u"rolled back"_s, false}});
    }
    void scoreToldOnlyOnceCommitted() {
        QFETCH(bool, commit);
        QSignalSpy committed(&mDb->changes(), &MeetChanges::committed);
        QSignalSpy results(&mDb->changes(), &MeetChanges::resultsChangedIn);
        const quint64 countBefore = mDb->changes().count();
        {
            DbTransaction transaction(*mDb);
            QVERIFY(storeBeam(u"102"_s, 9.1));
            QCOMPARE(committed.size(), 0);
            if (commit)
                QVERIFY(transaction.commit());
        }
        QCOMPARE(committed.size(), commit ? 1 : 0);
        QCOMPARE(results.size(), commit ? 1 : 0);
        QCOMPARE(mDb->changes().count(), countBefore + (commit ? 1 : 0));
        if (!commit)
            return;
        const MeetChange change = changeAt(committed, 0);
        QCOMPARE(change.table, u"Gymnasts"_s);
        QCOMPARE(change.keys, QStringList{u"102"_s});
        QCOMPARE(change.num, u"102"_s);
        QCOMPARE(change.event, u"Beam"_s);
        QVERIFY(change.isScore());
        QCOMPARE(results.at(0).at(0).toString(), u"1"_s);
    }

    // Scores stored together each have a savepoint: the one undone is never
    // told, the others are when the whole batch commits.
    void undoneSavepointDropsOnlyItsChange() {
        QSignalSpy committed(&mDb->changes(), &MeetChanges::committed);
        DbTransaction transaction(*mDb);
        for (const auto& [num, kept] : {std::pair{u"101"_s, true}, std::pair{u"102"_s, false}}) {
            DbSavepoint savepoint(*mDb);
            QVERIFY(storeBeam(num, 9.2));
            QVERIFY(kept ? savepoint.release() : savepoint.undo());
        }
        QVERIFY(storeBeam(u"103"_s, 9.4));
        QVERIFY(committed.isEmpty());
        QVERIFY(transaction.commit());
        QCOMPARE(heard(committed), (QStringList{u"Gymnasts 101 Beam"_s, u"Gymnasts 103 Beam"_s}));
    }

    // A listener that changes the meet again when it hears of a change (a
    // standby's copy, a history row) loses nothing: its own change is told
    // after the one it heard, and a change outside a transaction at once.
    void listenerMayChangeTheMeetAgain() {
        QSignalSpy committed(&mDb->changes(), &MeetChanges::committed);
        connect(&mDb->changes(), &MeetChanges::committed, this, [this](const MeetChange& change) {
            if (change.num != u"101"_s)
                return;
            DbTransaction again(*mDb);
            QVERIFY(storeBeam(u"102"_s, 9.5));
            QVERIFY(again.commit());
        });
        {
            DbTransaction transaction(*mDb);
            QVERIFY(storeBeam(u"101"_s, 9.6));
            QVERIFY(transaction.commit());
        }
        QVERIFY(storeBeam(u"103"_s, 9.7));
        QCOMPARE(heard(committed), (QStringList{u"Gymnasts 101 Beam"_s, u"Gymnasts 102 Beam"_s,
                                                u"Gymnasts 103 Beam"_s}));
    }

    // The score path as stations use it: the gymnast's row, the history entry
    // and the queue row are told after the batch commits; an unknown number
    // changes no gymnast and no results, only the history and the queue.
    void storedScoresTellTheirRows() {
        DisplaySeconds seconds;
        ScoreQueue queue(*mDb, seconds);
        ScoreStore store(*mDb, queue);
        QSignalSpy committed(&mDb->changes(), &MeetChanges::committed);
        QSignalSpy results(&mDb->changes(), &MeetChanges::resultsChangedIn);
        QList<ScoreRequest> requests(2);
        requests[0].score = score(u"201"_s, u"Floor"_s, u"9.65"_s);
        requests[1].score = score(u"555"_s, u"Bars"_s, u"8"_s);
        const QList<ScoreOutcome> outcomes = store.store(requests);
        QVERIFY(outcomes.at(0).stored && outcomes.at(1).stored);
        QCOMPARE(heard(committed),
                 (QStringList{u"Gymnasts 201 Floor"_s, u"ScoreHistory 201 Floor"_s,
                              u"ScoreBoardQueue 201 Floor"_s, u"ScoreHistory 555 Bars"_s,
                              u"ScoreBoardQueue 555 Bars"_s}));
        QCOMPARE(results.size(), 1);
        QCOMPARE(results.at(0).at(0).toString(), u"2"_s);
    }

    // A gymnast moved to another session changes the results of both.
    void movedGymnastChangesBothSessions() {
        GymnastsTable gymnasts(*mDb);
        auto details = gymnasts.details(u"101"_s);
        QVERIFY(details && *details);
        (*details)->session = u"2"_s;
        QSignalSpy results(&mDb->changes(), &MeetChanges::resultsChangedIn);
        QVERIFY(gymnasts.saveDetails(**details));
        QCOMPARE(results.size(), 2);
        QCOMPARE(results.at(0).at(0).toString(), u"1"_s);
        QCOMPARE(results.at(1).at(0).toString(), u"2"_s);
    }
};

QTEST_GUILESS_MAIN(TestMeetChanges)
#include "tst_meetchanges.moc"
