#include "firstrow.h"
#include "serverfixture.h"
#include "shell/scorerange.h"
#include "web/meetwebpages.h"
#include "webrequests.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Scores as a primary station sends them: SENDSCORE|num|judges|mode|event, judges
// 1-7, start, adjustment, B score, final, for Vault the second vault, the test flag.
// The meet's maximum score holds against every score that arrives. A judge's
// questions: the gymnast's scores, the squad's running order.
class TestJudgingScores : public QObject {
    Q_OBJECT

    QStringList queueRows(ServerFixture& f) {
        return allRows(f.db(),
                       u"SELECT num, GymnastName, EventName, Score, Status FROM ScoreBoardQueue"_s);
    }
    static double pagesMaxScore(MeetWebPages& pages) {
        WebRequests requests(pages.web().port());
        const QJsonObject meet =
            QJsonDocument::fromJson(requests.get(u"/api/meet"_s)->readAll()).object();
        return meet.value(u"maxScore"_s).toDouble(-1);
    }

private Q_SLOTS:
    // Vault counts for the all-around; Bars leaves the counting vault alone.
    void scoresAreStoredAndCounted() {
        SERVER_FIXTURE(f);
        f.run(
            u"UPDATE Gymnasts SET E2Final = 9.1, E3Final = NULL, E4Final = 8.8 WHERE Num = '101'"_s);
        f.run(u"UPDATE Gymnasts SET E1Final = 9.0, E7AAFinal = NULL, AAAdj = 0.5, "
              "E2Final = 5 WHERE Num = '102'"_s);
        TestStation& vault = f.judge(u"Vault"_s);
        QCOMPARE(
            vault.ask(
                u"SENDSCORE|101|3|1|Vault|9.3|9.4||||||10||9.35|9.35|9.2||9.0|||||9.8|0.1|abc|0"_s),
            u"SCORECONFIRM|0"_s);

        // Judges 5-7 are not stored; a value that is no number is stored as Null.
        QCOMPARE(firstRow(f.db(), u"SELECT E1Final, E7AAFinal, AA, E1Start, E1Adj, E1BScore, E1S2, "
                                  "E1S3, E1S5, E7S1, E7S2, E7Start, E7Adj, E7BScore FROM Gymnasts "
                                  "WHERE Num = '101'"_s),
                 QStringList({u"9.35"_s, u"9.35"_s, u"27.25"_s, u"10"_s, u"<null>"_s, u"9.35"_s,
                              u"9.4"_s, u"<null>"_s, u"<null>"_s, u"9.2"_s, u"<null>"_s, u"9.8"_s,
                              u"0.1"_s, u"<null>"_s}));
        TestStation& bars = f.judge(u"Bars"_s);
        QCOMPARE(bars.ask(u"SENDSCORE|102|3|1|Bars|9|9.2|9.1||||||-0.1|9.2|9.1|0"_s),
                 u"SCORECONFIRM|0"_s);
        QCOMPARE(firstRow(f.db(), u"SELECT E2Final, AA, E7AAFinal, E2Start, E2Adj FROM Gymnasts "
                                  "WHERE Num = '102'"_s),
                 QStringList({u"9.1"_s, u"18.6"_s, u"<null>"_s, u"<null>"_s, u"-0.1"_s}));
        QCOMPARE(queueRows(f), QStringList({u"101|Ava Brooks|Vault|9.350|Queued"_s,
                                            u"102|Maya O'Neil|Bars|9.100|Queued"_s}));
        QCOMPARE(f.services().queue().grid()->scoreCount(), 2);
    }

    // A test score and one for a number the meet does not know are confirmed
    // and queued, and change no gymnast; the unknown number is reported.
    void scoresOfNoGymnastAreOnlyQueued() {
        SERVER_FIXTURE(f);
        TestStation& floor = f.judge(u"Floor"_s);
        const QStringList before = allRows(f.db(), u"SELECT * FROM Gymnasts"_s);
        floor.send(u"SENDSCORE|101|3|1|Floor|9|9||||||10||9|953|1"_s);
        floor.send(u"SENDSCORE|4242|3|1|Floor|8|||||||||8|8.8|0"_s);
        QCOMPARE(floor.next() + floor.next(), u"SCORECONFIRM|0SCORECONFIRM|0"_s);
        QCOMPARE(allRows(f.db(), u"SELECT * FROM Gymnasts"_s), before);
        QCOMPARE(queueRows(f), QStringList({u"101|Test Gymnast|Floor|9.530|Queued"_s,
                                            u"4242|<null>|Floor|8.800|Queued"_s}));
        QCOMPARE(f.alerts().alerts().size(), 1);
        for (const QString& text : {u"4242"_s, u"Floor"_s, u"8.8"_s, u"station"_s})
            QVERIFY2(f.alerts().alerts().constFirst().contains(text), qPrintable(text));
    }

    // A judge's score, the final or the start that is no number.
    void unusableScoresAreRefusedUnconfirmed_data() {
        QTest::addColumn<QString>("message");
        QTest::newRow("judge") << u"SENDSCORE|101|3|1|Beam|9|9;DROP||||||||9|9.1|0"_s;
        QTest::newRow("final") << u"SENDSCORE|101|3|1|Beam|||||||||||9,1|0"_s;
        QTest::newRow("start") << u"SENDSCORE|101|3|1|Beam||||||||ten|||9.1|0"_s;
    }

    void unusableScoresAreRefusedUnconfirmed() {
        QFETCH(QString, message);
        SERVER_FIXTURE(f);
        TestStation& beam = f.judge(u"Beam"_s);
        const QStringList before = firstRow(f.db(), u"SELECT * FROM Gymnasts"_s);
        beam.send(message);
        QTRY_COMPARE(f.alerts().alerts().size(), 1);
        QVERIFY2(f.alerts().alerts().constFirst().contains(u"NOT stored"_s), qPrintable(message));
        // Answered in order: nothing came before it.
        QCOMPARE(beam.ask(u"CLIENTBEAT"_s), u"BEATRESPONSE"_s);
        QCOMPARE(firstRow(f.db(), u"SELECT * FROM Gymnasts"_s), before);
        QCOMPARE(queueRows(f).size(), 0);
    }

    // Scores that arrive together share one commit; the one whose write fails
    // is undone alone, unconfirmed and reported, and the others stand.
    void oneFailedScoreLeavesItsGroupStored() {
        SERVER_FIXTURE(f);
        f.run(u"UPDATE Gymnasts SET E1Final = NULL, E2Final = NULL, E3Final = NULL, "
              "E4Final = NULL, AAAdj = NULL"_s);
        // The engine refuses 102's write, as a full disk or a locked file would.
        f.run(u"CREATE TRIGGER refuse BEFORE UPDATE ON Gymnasts WHEN OLD.Num = '102' BEGIN "
              "SELECT RAISE(ABORT, 'disk I/O error'); END"_s);
        TestStation& floor = f.judge(u"Floor"_s);
        TestStation& bars = f.judge(u"Bars"_s);
        TestStation& vault = f.judge(u"Vault"_s);
        floor.send(u"SENDSCORE|101|3|1|Floor|9|||||||||9|9|0"_s);
        bars.send(u"SENDSCORE|102|3|1|Bars|8|||||||||8|8|0"_s);
        vault.send(u"SENDSCORE|101|3|1|Vault|9.3|9.4||||||10||9.35|9.5||0"_s);
        floor.send(u"SENDSCORE|103|3|1|Floor|7|||||||||7|7|0"_s);
        floor.send(u"GYMNASTQUERY|101|Floor|1"_s);
        bars.send(u"CLIENTBEAT"_s);

        // A station's answers keep the order of its messages, and what it
        // asks after a score sees that score.
        QCOMPARE(floor.next() + floor.next(), u"SCORECONFIRM|0SCORECONFIRM|0"_s);
        QVERIFY(floor.next().startsWith(u"GYMNASTQUERYRESP|0|Ava|Brooks|"_s));
        QCOMPARE(vault.next(), u"SCORECONFIRM|0"_s);
        QCOMPARE(bars.next(), u"BEATRESPONSE"_s);
        QVERIFY(bars.pending().isEmpty());

        // The later score of gymnast 101 counted the earlier one.
        QCOMPARE(allRows(f.db(), u"SELECT Num, AA, E2Final, E4Final FROM Gymnasts ORDER BY Num"_s),
                 QStringList({u"101|18.5|<null>|9"_s, u"102|<null>|<null>|<null>"_s,
                              u"103|7|<null>|7"_s, u"201|<null>|<null>|<null>"_s}));
        QCOMPARE(f.alerts().alerts().size(), 1);
        for (const QString& text : {u"102"_s, u"disk I/O error"_s})
            QVERIFY2(f.alerts().alerts().constFirst().contains(text), qPrintable(text));
        // Queued in the order they arrived: which of two stations' messages is
        // read first is the network's choice, a station's own order is kept.
        const QStringList queued = allRows(f.db(), u"SELECT num, EventName FROM ScoreBoardQueue "
                                                   "ORDER BY QueueTimeNum, rowid"_s);
        QCOMPARE(QSet<QString>(queued.cbegin(), queued.cend()),
                 QSet<QString>({u"101|Floor"_s, u"101|Vault"_s, u"103|Floor"_s}));
        QVERIFY(queued.indexOf(u"101|Floor"_s) < queued.indexOf(u"103|Floor"_s));
        QCOMPARE(f.services().queue().grid()->scoreCount(), 3);
    }

    void secondaryScoresReachJudgeOneOfTheirEvent() {
        SERVER_FIXTURE(f);
        TestStation& bars = f.judge(u"Bars"_s, 1);
        TestStation& vault = f.judge(u"Vault"_s, 1);
        TestStation& beam = f.judge(u"beam"_s, 1); // the event's name in another letter case
        const QList<std::pair<QString, TestStation*>> forwarded{
            {u"Bars|9.1"_s, &bars},
            {u"Vault|9.1|9.4"_s, &vault},
            {u"Beam|8.8"_s, &beam},
            {u"Floor|9.1"_s, nullptr}}; // no judge 1: dropped, still confirmed
        for (const auto& [scores, primary] : forwarded) {
            TestStation& second = f.judge(scores.section(u'|', 0, 0), 2);
            second.send(u"SENDSCORE2|123|2|"_s + scores);
            if (primary) {
                const QStringList fields = scores.split(u'|');
                QCOMPARE(primary->next(),
                         u"SECONDARYSCORE|2|"_s + fields[1] + u'|' + fields.value(2));
            }
            QCOMPARE(second.next(), u"SCORECONFIRM|0"_s);
        }
        for (TestStation* primary : {&bars, &vault, &beam})
            QVERIFY(primary->pending().isEmpty());
    }
    // The meet's maximum, kept in the meet file beside the meet tables, is
    // told to the pads.
    void theMaximumIsToldToThePads() {
        SERVER_FIXTURE(f);
        MeetWebPages pages(f.state(), f.meet());
        f.state().setWebPortNumber(u"0"_s);
        pages.start();
        QCOMPARE(pagesMaxScore(pages), 10.0);
        QVERIFY(ScoreRange::store(f.db(), 16.5));
        QCOMPARE(pagesMaxScore(pages), 16.5);
    }

    // Out of range from a station: stored and confirmed all the same, and
    // the operator told the gymnast, the event and the score.
    void outOfRangeStationScoresRaiseAnAlert() {
        SERVER_FIXTURE(f);
        TestStation& floor = f.judge(u"Floor"_s);
        // A start of 10 and one of 0 are in range.
        for (const QString& score :
             {u"101|3|1|Floor|9|95|9.2|||||10||9.1|9.1|0"_s,
              u"102|3|1|Floor|9|9|9|||||10||9|52.1|0"_s, u"103|3|1|Floor|9|9|9|||||0||9|-0.2|0"_s})
            QCOMPARE(floor.ask(u"SENDSCORE|"_s + score), u"SCORECONFIRM|0"_s);
        QCOMPARE(allRows(f.db(), u"SELECT Num, E4S2, E4Final FROM Gymnasts WHERE E4Final "
                                 "IS NOT NULL ORDER BY Num"_s),
                 QStringList({u"101|95|9.1"_s, u"102|9|52.1"_s, u"103|9|-0.2"_s}));
        const QStringList alerts = f.alerts().alerts();
        QCOMPARE(alerts.size(), 3);
        for (const QString& text :
             {u"101 Ava Brooks"_s, u"Floor"_s, u"Judge 2: 95.000 is above the maximum score"_s})
            QVERIFY2(alerts[0].contains(text), qPrintable(alerts[0]));
        QVERIFY2(alerts[1].contains(u"Final: 52.100"_s), qPrintable(alerts[1]));
        QVERIFY2(alerts[2].contains(u"Final: -0.200 is below 0."_s), qPrintable(alerts[2]));

        // A meet with a higher maximum takes 52.1 as it is.
        QVERIFY(ScoreRange::store(f.db(), 60));
        QCOMPARE(floor.ask(u"SENDSCORE|102|3|1|Floor|9|9|9|||||10||9|52.1|0"_s),
                 u"SCORECONFIRM|0"_s);
        QCOMPARE(f.alerts().alerts().size(), 3);
    }

    // A Vault reply carries both vaults, other events none; squad lists; an
    // unreadable meet.
    void gymnastQueryReplies() {
        SERVER_FIXTURE(f);
        // Ten in the year the meet starts (Senior), though her birthday comes
        // after its first day.
        f.run(u"UPDATE Gymnasts SET E1S1 = 9.35, E1S2 = 9.4, E1Start = 10.0, E1Adj = 0.1, "
              "E7S1 = 8.9, E7Adj = 0, Birthday = '2016-05-02' WHERE Num = '102'"_s);
        TestStation& vault = f.judge(u"Vault"_s, 2);
        QCOMPARE(vault.ask(u"GYMNASTQUERY|102|Vault|2"_s),
                 u"GYMNASTQUERYRESP|0|Maya|O'Neil|O'Malley|4|A|Senior|"
                 "9.35|9.4||||||10|0.1|8.9|||||||"
                 "|0|102"_s);
        QCOMPARE(vault.ask(u"GYMNASTQUERY|102|Floor|2"_s),
                 u"GYMNASTQUERYRESP|0|Maya|O'Neil|O'Malley|4|A|Senior||||||||||102"_s);

        // The number asked is read as a number: leading zeros go, numbers past 16
        // and 32 bits and text are nobody, an empty one is 0.
        const QString ava = vault.ask(u"GYMNASTQUERY|0101|Vault|2"_s);
        QVERIFY2(ava.startsWith(u"GYMNASTQUERYRESP|0|Ava|Brooks|"_s), qPrintable(ava));
        QVERIFY2(ava.endsWith(u"|101"_s), qPrintable(ava));
        for (const QString& number :
             {u"555"_s, u""_s, u"40000"_s, u"99999999999"_s, u"1' OR '1'='1"_s}) {
            QCOMPARE(vault.ask(u"GYMNASTQUERY|"_s + number + u"|Vault|2"_s),
                     u"GYMNASTQUERYRESP|1|Gymnast %1 not found"_s.arg(number.isEmpty() ? u"0"_s
                                                                                       : number));
        }

        // Squad lists, in their order, with the scores there are.
        TestStation& beam = f.judge(u"Beam"_s);
        QCOMPARE(beam.ask(u"GETSQUADLIST|1|A|Beam"_s),
                 u"SQUADLIST|2|101 - Ava Brooks,|102 - Maya O'Neil,|0"_s);
        f.run(u"UPDATE Gymnasts SET E3Final = 9.05 WHERE Num = '102'"_s);
        f.run(u"UPDATE Gymnasts SET \"Order\" = 3 WHERE Num = '101'"_s);
        f.run(u"INSERT INTO Gymnasts(Num, First_Name, Last_Name, \"Session\", Squad, Scratched) "
              "VALUES('104', 'Gone', 'Home', '1', 'A', 1)"_s);
        QCOMPARE(beam.ask(u"GETSQUADLIST|1|A|Beam"_s),
                 u"SQUADLIST|2|102 - Maya O'Neil,9.05|101 - Ava Brooks,|0"_s);
        QCOMPARE(beam.ask(u"GETSQUADLIST|9|Z|Beam"_s), u"SQUADLIST|0|0"_s);
        QCOMPARE(beam.ask(u"GETSQUADLIST|1|A' OR '1'='1|Beam"_s), u"SQUADLIST|0|0"_s);

        // Age groups that cannot be read: the operator is told, the judge gets nothing.
        f.run(u"ALTER TABLE \"Age Groups\" RENAME TO Unreadable"_s);
        beam.send(u"GYMNASTQUERY|101|Beam|3"_s);
        QCOMPARE(beam.ask(u"CLIENTBEAT"_s), u"BEATRESPONSE"_s); // no half answer came first
        QCOMPARE(f.alerts().alerts().size(), 1);
        QVERIFY(f.alerts().alerts().first().contains(u"Gymnast query for number 101 failed"_s));
    }

    void judgeOneAsksForThePanel() {
        SERVER_FIXTURE(f);
        QList<TestStation*> floor;
        for (int judge = 1; judge <= 3; ++judge)
            floor << &f.judge(u"Floor"_s, judge);
        TestStation& beam = f.judge(u"Beam"_s, 2);

        // The second judge's answer is her own; the first's goes to the panel.
        const QString reply = floor[1]->ask(u"GYMNASTQUERY|103|Floor|2"_s);
        QVERIFY(reply.startsWith(u"GYMNASTQUERYRESP|0|Zoë|Carter|Riverside|5|B|"_s));
        floor[0]->send(u"GYMNASTQUERY|103|Floor|1"_s);
        for (TestStation* judge : floor)
            QCOMPARE(judge->next(), reply);

        // A not-found answer stays with the judge who asked.
        QCOMPARE(floor[0]->ask(u"GYMNASTQUERY|7|Floor|1"_s),
                 u"GYMNASTQUERYRESP|1|Gymnast 7 not found"_s);
        QCOMPARE(floor[0]->ask(u"CLIENTBEAT"_s), u"BEATRESPONSE"_s);
        for (TestStation* other : {floor[1], floor[2], &beam})
            QVERIFY(other->pending().isEmpty());

        // Judge 1 logged in under the event's name in another letter case
        // asks for the panel all the same.
        TestStation& beamFirst = f.judge(u"beam"_s, 1);
        beamFirst.send(u"GYMNASTQUERY|103|Beam|1"_s);
        QCOMPARE(beam.next(), beamFirst.next());

        // A one-judge panel keeps its answers to itself.
        f.state().setNumJudges(1);
        QCOMPARE(floor[0]->ask(u"GYMNASTQUERY|103|Floor|1"_s), reply);
        QCOMPARE(floor[1]->ask(u"CLIENTBEAT"_s), u"BEATRESPONSE"_s);
    }
};

QTEST_GUILESS_MAIN(TestJudgingScores)
#include "tst_judging_scores.moc"
