#include "firstrow.h"
#include "serverfixture.h"

#include <QSet>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Scores as a primary station sends them: SENDSCORE|num|judges|mode|event, judges
// 1-7, start, adjustment, B score, final, for Vault the second vault, the test flag.
class TestJudgingScores : public QObject {
    Q_OBJECT

    QStringList queueRows(ServerFixture& f) {
        return allRows(f.db(),
                       u"SELECT num, GymnastName, EventName, Score, Status FROM ScoreBoardQueue"_s);
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
};

QTEST_GUILESS_MAIN(TestJudgingScores)
#include "tst_judging_scores.moc"
