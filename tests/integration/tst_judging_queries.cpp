#include "serverfixture.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {
const QDate Today(2026, 5, 2);
}

class TestJudgingQueries : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void vaultReplyCarriesBothVaults() {
        SERVER_FIXTURE(f);
        f.services().queries().setToday([] { return Today; });
        f.run(u"UPDATE Gymnasts SET E1S1 = 9.35, E1S2 = 9.4, E1Start = 10.0, E1Adj = 0.1, "
              "E7S1 = 8.9, E7Adj = 0 WHERE Num = '102'"_s);
        TestStation& vault = f.judge(u"Vault"_s, 2);
        vault.send(u"GYMNASTQUERY|102|Vault|2"_s);
        QCOMPARE(vault.next(), u"GYMNASTQUERYRESP|0|Maya|O'Neil|O'Malley|4|A|Senior|"
                               "9.35|9.4||||||10|0.1|8.9|||||||"
                               "|0|102"_s);
        vault.send(u"GYMNASTQUERY|102|Floor|2"_s);
        QCOMPARE(vault.next(),
                 u"GYMNASTQUERYRESP|0|Maya|O'Neil|O'Malley|4|A|Senior||||||||||102"_s);
    }

    void ageGroupOnTheQueryDay_data() {
        QTest::addColumn<QVariant>("birthday");
        QTest::addColumn<QString>("group");
        QTest::newRow("tenth birthday today") << QVariant(u"2016-05-02"_s) << u"Senior"_s;
        QTest::newRow("tenth birthday tomorrow") << QVariant(u"2016-05-03"_s) << u"Junior"_s;
        QTest::newRow("no birthday") << QVariant() << u"Junior"_s;
    }
    void ageGroupOnTheQueryDay() {
        QFETCH(QVariant, birthday);
        QFETCH(QString, group);
        SERVER_FIXTURE(f);
        f.services().queries().setToday([] { return Today; });
        f.run(u"UPDATE Gymnasts SET Birthday = ? WHERE Num = '101'"_s, {birthday});
        TestStation& beam = f.judge(u"Beam"_s);
        beam.send(u"GYMNASTQUERY|101|Beam|3"_s);
        QCOMPARE(beam.next().split(u'|').value(7), group);
    }

    void unreadableAgeGroupsReachTheOperator() {
        SERVER_FIXTURE(f);
        f.run(u"ALTER TABLE \"Age Groups\" RENAME TO Unreadable"_s);
        TestStation& beam = f.judge(u"Beam"_s);
        beam.send(u"GYMNASTQUERY|101|Beam|3"_s);
        beam.send(u"CLIENTBEAT"_s);
        QCOMPARE(beam.next(), u"BEATRESPONSE"_s); // no half answer came first
        QCOMPARE(f.alerts().alerts().size(), 1);
        QVERIFY(f.alerts().alerts().first().contains(u"Gymnast query for number 101 failed"_s));
    }

    void numbersAreReadAsNumbers_data() {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("reply");
        QTest::newRow("leading zero") << u"0101"_s << u"GYMNASTQUERYRESP|0|Ava|Brooks"_s;
        QTest::newRow("unknown") << u"555"_s << u"GYMNASTQUERYRESP|1|Gymnast 555 not found"_s;
        QTest::newRow("empty is 0") << u""_s << u"GYMNASTQUERYRESP|1|Gymnast 0 not found"_s;
        QTest::newRow("beyond 16 bits")
            << u"40000"_s << u"GYMNASTQUERYRESP|1|Gymnast 40000 not found"_s;
        QTest::newRow("beyond 32 bits")
            << u"99999999999"_s << u"GYMNASTQUERYRESP|1|Gymnast 99999999999 not found"_s;
        QTest::newRow("not a number")
            << u"1' OR '1'='1"_s << u"GYMNASTQUERYRESP|1|Gymnast 1' OR '1'='1 not found"_s;
    }
    void numbersAreReadAsNumbers() {
        QFETCH(QString, asked);
        QFETCH(QString, reply);
        SERVER_FIXTURE(f);
        TestStation& bars = f.judge(u"Bars"_s, 2);
        bars.send(u"GYMNASTQUERY|"_s + asked + u"|Bars|2"_s);
        const QString answer = bars.next();
        QVERIFY2(answer.startsWith(reply), qPrintable(answer));
        if (reply.contains(u"Ava"_s))
            QVERIFY(answer.endsWith(u"|101"_s));
    }

    void judgeOneAsksForThePanel() {
        SERVER_FIXTURE(f);
        TestStation& first = f.judge(u"Floor"_s, 1);
        TestStation& second = f.judge(u"Floor"_s, 2);
        TestStation& third = f.judge(u"Floor"_s, 3);
        TestStation& otherEvent = f.judge(u"Beam"_s, 2);

        second.send(u"GYMNASTQUERY|103|Floor|2"_s);
        const QString reply = second.next();
        QVERIFY(reply.startsWith(u"GYMNASTQUERYRESP|0|Zoë|Carter|Riverside|5|B|"_s));
        first.send(u"GYMNASTQUERY|103|Floor|1"_s);
        QCOMPARE(first.next(), reply);
        QCOMPARE(second.next(), reply);
        QCOMPARE(third.next(), reply);

        // A not-found answer stays with the judge who asked.
        first.send(u"GYMNASTQUERY|7|Floor|1"_s);
        QCOMPARE(first.next(), u"GYMNASTQUERYRESP|1|Gymnast 7 not found"_s);
        first.send(u"CLIENTBEAT"_s);
        QCOMPARE(first.next(), u"BEATRESPONSE"_s);
        QVERIFY(second.pending().isEmpty() && third.pending().isEmpty());
        QVERIFY(otherEvent.pending().isEmpty());

        // A judge logged in under the event's name in another letter case is
        // on the panel all the same.
        TestStation& beamFirst = f.judge(u"Beam"_s, 1);
        TestStation& beamThird = f.judge(u"beam"_s, 3);
        beamFirst.send(u"GYMNASTQUERY|103|Beam|1"_s);
        const QString beamReply = beamFirst.next();
        QCOMPARE(otherEvent.next(), beamReply);
        QCOMPARE(beamThird.next(), beamReply);

        // A one-judge panel keeps its answers to itself.
        f.state().setNumJudges(1);
        first.send(u"GYMNASTQUERY|103|Floor|1"_s);
        QCOMPARE(first.next(), reply);
        second.send(u"CLIENTBEAT"_s);
        QCOMPARE(second.next(), u"BEATRESPONSE"_s);
    }

    void squadListsWithAndWithoutScores() {
        SERVER_FIXTURE(f);
        TestStation& beam = f.judge(u"Beam"_s);
        beam.send(u"GETSQUADLIST|1|A|Beam"_s);
        QCOMPARE(beam.next(), u"SQUADLIST|2|101 - Ava Brooks,|102 - Maya O'Neil,|0"_s);

        f.run(u"UPDATE Gymnasts SET E3Final = 9.05 WHERE Num = '102'"_s);
        f.run(u"UPDATE Gymnasts SET \"Order\" = 3 WHERE Num = '101'"_s);
        f.run(u"INSERT INTO Gymnasts(Num, First_Name, Last_Name, \"Session\", Squad, Scratched) "
              "VALUES('104', 'Gone', 'Home', '1', 'A', 1)"_s);
        beam.send(u"GETSQUADLIST|1|A|Beam"_s);
        QCOMPARE(beam.next(), u"SQUADLIST|2|102 - Maya O'Neil,9.05|101 - Ava Brooks,|0"_s);

        beam.send(u"GETSQUADLIST|9|Z|Beam"_s);
        QCOMPARE(beam.next(), u"SQUADLIST|0|0"_s);
        beam.send(u"GETSQUADLIST|1|A' OR '1'='1|Beam"_s);
        QCOMPARE(beam.next(), u"SQUADLIST|0|0"_s);
    }
};

QTEST_GUILESS_MAIN(TestJudgingQueries)
#include "tst_judging_queries.moc"
