#include "serverfixture.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestJudgingQueries : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TestJudgingQueries)
#include "tst_judging_queries.moc"
