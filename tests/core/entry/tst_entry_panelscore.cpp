#include "db/meetdatabase.h"
#include "entry/entrygymnast.h"
#include "entry/panelscore.h"
#include "tempmeet.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using PanelScore::Attempt;

namespace {

Attempt row(const QStringList& judges, const QString& adjustment = {}, const QString& start = {}) {
    Attempt attempt;
    for (int i = 0; i < judges.size(); ++i)
        attempt.judges[size_t(i)] = judges[i];
    attempt.adjustment = adjustment;
    attempt.start = start;
    return attempt;
}

} // namespace

Q_DECLARE_METATYPE(Attempt)

class TestEntryPanelScore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void computesTheFinal_data() {
        QTest::addColumn<QString>("event");
        QTest::addColumn<int>("judges");
        QTest::addColumn<Attempt>("first");
        QTest::addColumn<Attempt>("second");
        QTest::addColumn<QString>("bScore");
        QTest::addColumn<QString>("secondBScore");
        QTest::addColumn<QString>("final");
        const QStringList four{u"9.000"_s, u"9.200"_s, u"9.400"_s, u"8.800"_s};
        QTest::newRow("four judges drop high and low")
            << u"Bars"_s << 4 << row(four, u"-0.1"_s) << Attempt() << u"9.100"_s << QString()
            << u"9.000"_s;
        QTest::newRow("three judges average")
            << u"Beam"_s << 3 << row({u"9.000"_s, u"9.100"_s, u"9.300"_s}) << Attempt()
            << u"9.133"_s << QString() << u"9.133"_s;
        QTest::newRow("one judge") << u"Floor"_s << 1 << row({u"8.750"_s}, u"0.1"_s) << Attempt()
                                   << u"8.750"_s << QString() << u"8.850"_s;
        QTest::newRow("adjustment that is no number counts as none")
            << u"Floor"_s << 2 << row({u"9.000"_s, u"9.100"_s}, u"x"_s) << Attempt() << u"9.050"_s
            << QString() << u"9.050"_s;
        QTest::newRow("halfway rounds away from zero")
            << u"Bars"_s << 2 << row({u"9.105"_s, u"9.100"_s}) << Attempt() << u"9.103"_s
            << QString() << u"9.103"_s;
        QTest::newRow("vault, better result of two judges")
            << u"Vault"_s << 2 << row({u"9.000"_s, u"9.200"_s}, u"-0.3"_s)
            << row({u"8.900"_s, u"9.000"_s}) << u"9.100"_s << u"8.950"_s << u"8.950"_s;
        QTest::newRow("vault, first attempt better")
            << u"Vault"_s << 2 << row({u"9.500"_s, u"9.500"_s}) << row({u"9.000"_s, u"9.000"_s})
            << u"9.500"_s << u"9.000"_s << u"9.500"_s;
        QTest::newRow("vault, one judge tie takes the second")
            << u"Vault"_s << 1 << row({u"9.200"_s}, u"0.1"_s) << row({u"9.200"_s}, u"-0.2"_s)
            << u"9.200"_s << u"9.200"_s << u"9.000"_s;
        QTest::newRow("vault, one judge compares before adjustments")
            << u"Vault"_s << 1 << row({u"9.300"_s}, u"-1"_s) << row({u"9.200"_s}) << u"9.300"_s
            << u"9.200"_s << u"8.300"_s;
        QTest::newRow("vault, no second attempt")
            << u"Vault"_s << 2 << row({u"9.000"_s, u"9.200"_s}) << Attempt() << u"9.100"_s
            << u"0.000"_s << u"9.100"_s;
    }
    void computesTheFinal() {
        QFETCH(QString, event);
        QFETCH(int, judges);
        QFETCH(Attempt, first);
        QFETCH(Attempt, second);
        const PanelScore::Result result = PanelScore::compute(event, judges, first, second);
        QVERIFY(result.complete);
        QTEST(result.bScore, "bScore");
        QTEST(result.secondBScore, "secondBScore");
        QTEST(result.finalText, "final");
    }

    void anEmptyJudgeBoxLeavesNoFinal() {
        const Attempt missingSecond = row({u"9.000"_s, QString(), u"9.300"_s});
        QVERIFY(!PanelScore::compute(u"Beam"_s, 3, missingSecond, {}).complete);
        // Judges beyond the panel's count are not looked at.
        QVERIFY(PanelScore::compute(u"Beam"_s, 1, missingSecond, {}).complete);
    }

    // A manual entry is the score a judge station would send for the same boxes.
    void submitsWhatAStationWouldSend() {
        const Attempt first = row({u"9.000"_s, u"9.200"_s}, u"-0.3"_s, u"10.000"_s);
        const Attempt second = row({u"8.900"_s, u"9.000"_s}, {}, u"9.800"_s);
        const auto vault = PanelScore::compute(u"Vault"_s, 2, first, second);
        const QString vaultMessage = u"SENDSCORE|101|2|1|Vault|9.000|9.200||||||10.000|-0.3|9.100|"
                                     "8.950|8.900|9.000||||||9.800||8.950|0"_s;
        QVERIFY(PanelScore::submittedScore(u"101"_s, u"Vault"_s, first, second, vault) ==
                SubmittedScore::fromFields(vaultMessage.split(u'|')));
        const auto bars = PanelScore::compute(u"Bars"_s, 2, first, {});
        const SubmittedScore score =
            PanelScore::submittedScore(u"007"_s, u"Bars"_s, first, {}, bars);
        const QString barsMessage =
            u"SENDSCORE|007|2|1|Bars|9.000|9.200||||||10.000|-0.3|9.100|8.800|0"_s;
        QVERIFY(score == SubmittedScore::fromFields(barsMessage.split(u'|')));
        QCOMPARE(score.finalText, u"8.800"_s);
        QVERIFY(SubmittedScore::fromFields(QString(barsMessage.chopped(1) + u'1').split(u'|'))
                    .testScore);
    }

    void loadsTheGymnastWithStoredScores() {
        TempMeet temp;
        MeetDatabase db;
        QVERIFY(db.open(temp.createSampleMeet()));
        QVERIFY(db.execute(u"UPDATE Gymnasts SET E1S1 = 9.1, E1S2 = 9, E1Adj = -1, E1Start = 10, "
                           "E7S1 = 8.95 WHERE Num = ?"_s,
                           {u"101"_s}));
        EntryGymnast gymnast;
        QVERIFY(EntryGymnast::load(db, u"101"_s, u"Vault"_s, 2, QDate(2026, 3, 14), &gymnast));
        QVERIFY(gymnast.found);
        QCOMPARE(gymnast.nameLine, u"101 - Ava Brooks"_s);
        QCOMPARE(gymnast.gymName, u"Riverside"_s);
        QCOMPARE(gymnast.ageDivision, u"Junior"_s);
        QCOMPARE(gymnast.first.judges[0], u"9.100"_s);
        QCOMPARE(gymnast.first.judges[1], u"9.000"_s);
        QCOMPARE(gymnast.first.adjustment, u"-1.000"_s);
        QCOMPARE(gymnast.first.start, u"10.000"_s);
        QCOMPARE(gymnast.second.judges[0], u"8.950"_s);
        QCOMPARE(gymnast.second.judges[1], QString()); // Null stays empty

        QVERIFY(EntryGymnast::load(db, u"999"_s, u"Bars"_s, 2, QDate(2026, 3, 14), &gymnast));
        QVERIFY(!gymnast.found);
    }
};

QTEST_GUILESS_MAIN(TestEntryPanelScore)
#include "tst_entry_panelscore.moc"
