#include "db/tallvanesettings.h"
#include "firstrow.h"
#include "serverfixture.h"
#include "shell/scorerange.h"
#include "transfer/transferexport.h"
#include "transferfiles.h"
#include "web/meetwebpages.h"
#include "webrequests.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The meet's maximum score: kept in the meet file beside the meet tables, told
// to the pads, and held against every score that arrives.
class TestMeetScoreRange : public QObject {
    Q_OBJECT

    static double pagesMaxScore(MeetWebPages& pages) {
        WebRequests requests(pages.web().port());
        const QJsonObject meet =
            QJsonDocument::fromJson(requests.get(u"/api/meet"_s)->readAll()).object();
        return meet.value(u"maxScore"_s).toDouble(-1);
    }

private Q_SLOTS:
    // Opening a meet adds Tallvane's own table; the transfer file never
    // carries it, so the export stays as it was.
    void theMaximumIsTheMeetsOwnAndNeverExported() {
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        QVERIFY(TransferExport::exportMeetFile(meet, temp.path(u"before.rxt"_s)).ok);

        SERVER_FIXTURE(f, meet);
        MeetWebPages pages(f.state(), f.meet());
        f.state().setWebPortNumber(u"0"_s);
        pages.start();
        QCOMPARE(firstRow(f.db(), u"SELECT count(*) FROM sqlite_master WHERE name = ?"_s,
                          {TallvaneSettings::TableName}),
                 QStringList{u"1"_s});
        QCOMPARE(pagesMaxScore(pages), 10.0);
        QVERIFY(ScoreRange::store(f.db(), 16.5));
        QCOMPARE(pagesMaxScore(pages), 16.5);

        QVERIFY(TransferExport::exportMeetFile(meet, temp.path(u"after.rxt"_s)).ok);
        QCOMPARE(TransferFiles::read(temp.path(u"after.rxt"_s)),
                 TransferFiles::read(temp.path(u"before.rxt"_s)));
    }

    void outOfRangeScoresAreNamed_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problem");
        QTest::newRow("the maximum") << u"Final"_s << u"10"_s << QString();
        QTest::newRow("zero") << u"Start"_s << u"0"_s << QString();
        QTest::newRow("no number") << u"Judge 1"_s << u"x"_s << QString();
        QTest::newRow("above") << u"Judge 2"_s << u"86"_s
                               << u"Judge 2: 86.000 is above the maximum score of 10."_s;
        QTest::newRow("below") << u"Final"_s << u"-0.2"_s << u"Final: -0.200 is below 0."_s;
    }
    void outOfRangeScoresAreNamed() {
        QFETCH(QString, what);
        QFETCH(QString, text);
        QFETCH(QString, problem);
        QCOMPARE(ScoreRange().problem(what, text), problem);
    }

    // Out of range from a station: stored and confirmed all the same, and
    // the operator told the gymnast, the event and the score.
    void outOfRangeStationScoresRaiseAnAlert() {
        SERVER_FIXTURE(f);
        TestStation& floor = f.judge(u"Floor"_s);
        for (const QString& score :
             {u"101|3|1|Floor|9|95|9.2|||||10||9.1|9.1|0"_s,
              u"102|3|1|Floor|9|9|9|||||10||9|52.1|0"_s, u"103|3|1|Floor|9|9|9|||||10||9|9|0"_s})
            QCOMPARE(floor.ask(u"SENDSCORE|"_s + score), u"SCORECONFIRM|0"_s);
        QCOMPARE(allRows(f.db(), u"SELECT Num, E4S2, E4Final FROM Gymnasts WHERE E4Final "
                                 "IS NOT NULL ORDER BY Num"_s),
                 QStringList({u"101|95|9.1"_s, u"102|9|52.1"_s, u"103|9|9"_s}));
        const QStringList alerts = f.alerts().alerts();
        QCOMPARE(alerts.size(), 2);
        for (const QString& text :
             {u"101 Ava Brooks"_s, u"Floor"_s, u"Judge 2: 95.000 is above the maximum score"_s})
            QVERIFY2(alerts[0].contains(text), qPrintable(alerts[0]));
        QVERIFY2(alerts[1].contains(u"Final: 52.100"_s), qPrintable(alerts[1]));

        // A meet with a higher maximum takes 52.1 as it is.
        QVERIFY(ScoreRange::store(f.db(), 60));
        QCOMPARE(floor.ask(u"SENDSCORE|102|3|1|Floor|9|9|9|||||10||9|52.1|0"_s),
                 u"SCORECONFIRM|0"_s);
        QCOMPARE(f.alerts().alerts().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestMeetScoreRange)
#include "tst_meet_scorerange.moc"
