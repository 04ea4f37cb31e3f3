#include "childprogram.h"
#include "db/meetevents.h"
#include "firstrow.h"
#include "judging/scoreinquiries.h"
#include "results/resultstablemodel.h"
#include "serverfixture.h"
#include "shell/meetinfo.h"
#include "web/resultsapi.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// What every view of the results shows, through the real server: the desk's
// results grid, the results API, a judge's gymnast answer and the printed
// results. A score held for review and a score under inquiry until it is
// released or decided; a gymnast's age group when the meet's date moves.
class TestResultsViews : public QObject {
    Q_OBJECT

    // Gymnast `num`'s row on /api/results of her session.
    static QJsonObject apiRow(ServerFixture& f, const QString& num) {
        const QString session =
            firstRow(f.db(), u"SELECT Session FROM Gymnasts WHERE Num = ?"_s, {num}).value(0);
        const auto reply = ResultsApi(f.db(), {})
                               .answer(u"/api/results"_s, QUrlQuery(u"session="_s + session), {});
        for (const QJsonValue row : QJsonDocument::fromJson(reply->body)[u"rows"_s].toArray()) {
            if (row[u"num"_s] == num)
                return row.toObject();
        }
        return QJsonObject();
    }

    // The cell of gymnast `num`'s number on the desk's Results grid as `filter`
    // shows it; invalid when she is not listed.
    static QModelIndex onTheGrid(ResultsTableModel& grid, const ResultsFilter& filter,
                                 const QString& num) {
        if (!grid.show(filter))
            return {};
        return grid.match(grid.index(0, 1), Qt::DisplayRole, num, 1, Qt::MatchExactly).value(0);
    }

    // Gymnast 102's Floor on /api/results: the score, its place and the field
    // `mark` ("review" or "inquiry").
    static QJsonObject floorOf102(ServerFixture& f, const QString& mark) {
        const QJsonObject row = apiRow(f, u"102"_s);
        return QJsonObject{{u"Floor"_s, row[u"Floor"_s]},
                           {u"place"_s, row[u"places"_s][u"Floor"_s]},
                           {mark, row[mark]}};
    }

    // Gymnast 102's Floor cell in the desk's Results grid.
    static QString floorOnTheGrid(ServerFixture& f) {
        ResultsFilter filter;
        filter.session =
            firstRow(f.db(), u"SELECT Session FROM Gymnasts WHERE Num = '102'"_s).value(0);
        ResultsTableModel grid(f.db());
        const int floorColumn = 3 + int(MeetEvents::names().indexOf(u"Floor"_s));
        return onTheGrid(grid, filter, u"102"_s).siblingAtColumn(floorColumn).data().toString();
    }

    // Gymnast 102's Floor score of 9 sent by Floor's judge 1 and shown and
    // confirmed by the display "Hall", which is returned with the judge.
    static std::pair<TestStation*, TestStation*> floorScoreShown(ServerFixture& f) {
        f.run(u"UPDATE Gymnasts SET E4Final = NULL"_s);
        TestStation& display = f.display(u"Hall"_s);
        TestStation& floor = f.judge(u"Floor"_s);
        f.services().dispatch().loop(u"Floor"_s)->start();
        if (floor.ask(u"SENDSCORE|102|3|1|Floor|9|||||||||9|9.0|0"_s) != u"SCORECONFIRM|0"_s ||
            !display.next().startsWith(u"SETSCORE|Floor|102|"_s))
            return {nullptr, nullptr};
        display.send(u"CONFIRMSCORE|102|Floor"_s);
        const bool sent = QTest::qWaitFor([&f] {
            return firstRow(f.db(), u"SELECT Status FROM ScoreBoardQueue"_s).value(0) == u"Sent"_s;
        });
        return sent ? std::pair{&display, &floor} : std::pair<TestStation*, TestStation*>{};
    }

    // Gymnast 101 of the sample meet (level 4, born 2016-05-02, session 1)
    // in her level's age groups Junior (0 to 9, id 1) and Senior (10 to 99,
    // id 2) on the grid.
    static QString gridDivision(ResultsTableModel& grid) {
        QStringList in;
        for (const auto& [ageId, name] : {std::pair{1, u"Junior"_s}, std::pair{2, u"Senior"_s}}) {
            ResultsFilter filter;
            filter.session = u"1"_s;
            filter.ageId = ageId;
            if (onTheGrid(grid, filter, u"101"_s).isValid())
                in.append(name);
        }
        return in.join(u'+');
    }

    static QString padAgeGroup(TestStation& vault) {
        return vault.ask(u"GYMNASTQUERY|101|Vault|2"_s).split(u'|').value(7);
    }

    static QString printedDivision(ServerFixture& f) {
        const QString csv = f.temp().path(u"results.csv"_s);
        QFile::remove(csv);
        const auto done = ChildProgram::runTallvane(
            {u"results"_s, f.db().filePath(), u"--session"_s, u"1"_s, u"--csv"_s, csv},
            f.temp().folder());
        QFile file(csv);
        if (done.status != 0 || !file.open(QIODevice::ReadOnly))
            return done.err;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u"\r\n"_s)) {
            const QStringList fields = line.split(u',');
            if (fields.value(4) == u"101"_s)
                return fields.value(2);
        }
        return u"(not printed)"_s;
    }

private Q_SLOTS:
    // A score held as it arrives is stored and confirmed, but reaches no
    // display and no place; released, the displays get it as a correction of
    // the score they had shown.
    void aHeldScoreWaitsForItsRelease() {
        SERVER_FIXTURE(f);
        const auto [display, floor] = floorScoreShown(f);
        QVERIFY(display);

        f.services().queue().setHoldNewScores(u"Floor"_s, true);
        QCOMPARE(floor->ask(u"SENDSCORE|102|3|1|Floor|9.5|||||||||9.5|9.5|0"_s),
                 u"SCORECONFIRM|0"_s);
        const QueueGridModel& grid = *f.services().queue().grid();
        QCOMPARE(grid.data(grid.index(0, QueueGridModel::StatusColumn)).toString(), u"Held"_s);
        QCOMPARE(floorOf102(f, u"review"_s), QJsonObject({{u"Floor"_s, QJsonValue::Null},
                                                          {u"place"_s, QJsonValue::Null},
                                                          {u"review"_s, QJsonArray{u"Floor"_s}}}));
        QCOMPARE(display->next(300), QString()); // held: never offered

        QString error;
        QVERIFY2(f.services().queue().releaseQueueRow(0, &error), qPrintable(error));
        QCOMPARE(display->next(), u"SETSCORE|Floor|102|Maya O'Neil|9.500|30000|1"_s);
        QCOMPARE(floorOf102(f, u"review"_s)[u"Floor"_s], QJsonValue(9.5));
        QVERIFY(floorOf102(f, u"review"_s)[u"review"_s].toArray().isEmpty());
        QCOMPARE(allRows(f.db(), u"SELECT Kind FROM ScoreHistory ORDER BY Seq"_s),
                 QStringList({u"score"_s, u"correction"_s, u"hold"_s, u"release"_s}));
    }

    // An open inquiry marks the score on the results (the API and the desk's
    // grid) and in the queue; the score keeps its place until the decision.
    // One inquiry per score, and only against a score; the time limit counts
    // from when it was shown.
    void anInquiryMarksTheScoreUntilDecided() {
        SERVER_FIXTURE(f);
        const auto [display, floor] = floorScoreShown(f);
        QVERIFY(display);

        ScoreInquiries inquiries(f.db());
        const QDateTime now = QDateTime::currentDateTime();
        QCOMPARE(inquiries.timeLimitMinutes(), ScoreInquiries::DefaultMinutes);
        QCOMPARE(inquiries.minutesSinceShown(u"102"_s, u"Floor"_s, now.addSecs(15 * 60)),
                 std::optional<qint64>(15));
        QCOMPARE(inquiries.minutesSinceShown(u"101"_s, u"Floor"_s, now), std::nullopt);
        QVERIFY(!inquiries.file(u"101"_s, u"Floor"_s, u"Coach Lee"_s, false, now));
        QVERIFY2(inquiries.lastError().contains(u"no Floor score"_s),
                 qPrintable(inquiries.lastError()));
        QVERIFY2(inquiries.file(u"102"_s, u"Floor"_s, u"Coach Lee"_s, true, now),
                 qPrintable(inquiries.lastError()));
        QVERIFY(!inquiries.file(u"102"_s, u"Floor"_s, u"Coach Kim"_s, false, now));
        QVERIFY2(inquiries.lastError().contains(u"under inquiry already (filed by Coach Lee)"_s),
                 qPrintable(inquiries.lastError()));
        QCOMPARE(floorOf102(f, u"inquiry"_s),
                 QJsonObject(
                     {{u"Floor"_s, 9.0}, {u"place"_s, 1}, {u"inquiry"_s, QJsonArray{u"Floor"_s}}}));
        QCOMPARE(floorOnTheGrid(f), u"9.000 (Under inquiry)"_s);

        // A corrected score waiting for the displays carries the mark.
        QCOMPARE(floor->ask(u"SENDSCORE|102|3|1|Floor|9|||||||||9|9.2|0"_s), u"SCORECONFIRM|0"_s);
        const QueueGridModel& grid = *f.services().queue().grid();
        const QModelIndex status = grid.index(0, QueueGridModel::StatusColumn);
        QCOMPARE(grid.data(status).toString(), u"Under inquiry"_s);

        QVERIFY2(inquiries.decideScoreStands(u"102"_s, u"Floor"_s, u"seen on video"_s, now),
                 qPrintable(inquiries.lastError()));
        QCOMPARE(grid.data(status).toString(), u"Queued"_s);
        QVERIFY(floorOf102(f, u"inquiry"_s)[u"inquiry"_s].toArray().isEmpty());
        QCOMPARE(floorOnTheGrid(f), u"9.200"_s);
        QVERIFY(!inquiries.decideScoreStands(u"102"_s, u"Floor"_s, u"again"_s, now));
        QCOMPARE(firstRow(f.db(), u"SELECT Note FROM ScoreHistory WHERE Kind = 'inquiry'"_s),
                 QStringList{u"filed by Coach Lee, past the time limit for inquiries"_s});
    }

    // A new start date moves her age group everywhere at once, and the meet's
    // live results hear that every session changed.
    void newStartDateMovesTheAgeGroupEverywhere() {
        SERVER_FIXTURE(f);
        ResultsTableModel grid(f.db());
        TestStation& vault = f.judge(u"Vault"_s, 2);
        const auto views = [&] {
            return QStringList{gridDivision(grid), apiRow(f, u"101"_s)[u"division"_s].toString(),
                               padAgeGroup(vault), printedDivision(f)};
        };
        QCOMPARE(views(), QStringList(4, u"Senior"_s)); // ten in 2026

        QSignalSpy told(&f.db().changes(), &MeetChanges::resultsChangedIn);
        QString error;
        const MeetInfo::Edits edits{u"2025-03-14"_s, u"2025-03-15"_s, 3, u"10"_s};
        QCOMPARE(MeetInfo::save(f.state(), edits, &error), MeetInfo::Result::Ok);
        QCOMPARE(views(), QStringList(4, u"Junior"_s)); // nine in 2025
        QCOMPARE(told.size(), 2);
        QCOMPARE((QStringList{told[0][0].toString(), told[1][0].toString()}),
                 QStringList({u"1"_s, u"2"_s}));

        // Saving the same date again changes nothing anyone must hear of.
        QCOMPARE(MeetInfo::save(f.state(), edits, &error), MeetInfo::Result::Ok);
        QCOMPARE(told.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestResultsViews)
#include "tst_results_views.moc"
