#include "db/meetdatabase.h"
#include "entry/entrygymnast.h"
#include "entry/panelscore.h"
#include "judging/formatscore.h"
#include "tempmeet.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using PanelScore::Attempt;

namespace {

// The cases the judge pad's own tests read too: both implementations must agree.
QJsonObject panelCases() {
    QFile file(TALLVANE_SOURCE_DIR u"/tests/data/panelcases.json"_s);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return QJsonDocument::fromJson(file.readAll()).object();
}

Attempt row(const QJsonValue& value) {
    const QJsonObject boxes = value.toObject();
    Attempt attempt;
    const QJsonArray judges = boxes[u"judges"_s].toArray();
    for (qsizetype i = 0; i < judges.size() && i < PanelScore::MaxJudges; ++i)
        attempt.judges[size_t(i)] = judges[i].toString();
    attempt.adjustment = boxes[u"adjustment"_s].toString();
    attempt.start = boxes[u"start"_s].toString();
    return attempt;
}

} // namespace

Q_DECLARE_METATYPE(Attempt)

class TestEntryPanelScore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatsTypedScores_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        for (const QJsonValue& pair : panelCases()[u"formatScore"_s].toArray()) {
            const QString typed = pair[0].toString();
            QTest::addRow("\"%s\"", qPrintable(typed)) << typed << pair[1].toString();
        }
    }
    void formatsTypedScores() {
        QFETCH(QString, typed);
        QTEST(formatScore(typed), "shown");
    }

    void computesTheFinal_data() {
        QTest::addColumn<QString>("event");
        QTest::addColumn<int>("judges");
        QTest::addColumn<Attempt>("first");
        QTest::addColumn<Attempt>("second");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("bScore");
        QTest::addColumn<QString>("secondBScore");
        QTest::addColumn<QString>("final");
        for (const QJsonValue& value : panelCases()[u"panel"_s].toArray()) {
            const QJsonObject c = value.toObject();
            QTest::newRow(qPrintable(c[u"name"_s].toString()))
                << c[u"event"_s].toString() << c[u"judges"_s].toInt() << row(c[u"first"_s])
                << row(c[u"second"_s]) << c[u"complete"_s].toBool(true) << c[u"bScore"_s].toString()
                << c[u"secondBScore"_s].toString() << c[u"final"_s].toString();
        }
    }
    void computesTheFinal() {
        QFETCH(QString, event);
        QFETCH(int, judges);
        QFETCH(Attempt, first);
        QFETCH(Attempt, second);
        const PanelScore::Result result = PanelScore::compute(event, judges, first, second);
        QTEST(result.complete, "complete");
        QTEST(result.bScore, "bScore");
        QTEST(result.secondBScore, "secondBScore");
        QTEST(result.finalText, "final");
    }

    void submitsWhatAStationWouldSend_data() {
        QTest::addColumn<QJsonObject>("c");
        for (const QJsonValue& value : panelCases()[u"messages"_s].toArray())
            QTest::newRow(qPrintable(value[u"event"_s].toString())) << value.toObject();
    }

    // A manual entry is the score a judge station (or a judge pad) would send for the same boxes.
    void submitsWhatAStationWouldSend() {
        QFETCH(QJsonObject, c);
        const QString event = c[u"event"_s].toString();
        const Attempt first = row(c[u"first"_s]);
        const Attempt second = row(c[u"second"_s]);
        const auto result = PanelScore::compute(event, c[u"judges"_s].toInt(), first, second);
        QVERIFY(
            PanelScore::submittedScore(c[u"number"_s].toString(), event, first, second, result) ==
            SubmittedScore::fromFields(c[u"message"_s].toString().split(u'|')));
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
