#include "results/resultsbook.h"
#include "tempmeet.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Places and team scores worked out from a real meet file: the sample meet
// (starting 2026-03-14; level 4 divides into Junior, up to 9, and Senior)
// with its gymnasts replaced by each case's own, all in session 1.
class TestResultsPlaces : public QObject {
    Q_OBJECT

    // "NUM LEVEL AGE GYM VAULT BARS BEAM FLOOR": AGE J (born 2018) or S (born
    // 2012), "-" for a missing final, a NUM starting with "*" is scratched.
    // The all-around is the sum of the finals, as the score path stores it.
    static void addGymnast(MeetDatabase& db, const QString& line) {
        const QStringList f = line.split(u' ');
        QVariantList finals;
        std::optional<double> allAround;
        for (int i = 4; i < 8; ++i) {
            finals.append(f[i] == u"-"_s ? QVariant() : QVariant(f[i].toDouble()));
            if (f[i] != u"-"_s)
                allAround = allAround.value_or(0.0) + f[i].toDouble();
        }
        QVERIFY(db.execute(
            u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, Birthday, "
            "Session, Gym, Scratched, E1Final, E2Final, E3Final, E4Final, AA) "
            "VALUES(1, ?, 'First', 'Last', ?, ?, '1', ?, ?, ?, ?, ?, ?, ?)"_s,
            {QString(f[0]).remove(u'*'), f[1], f[2] == u"J"_s ? u"2018-06-01"_s : u"2012-06-01"_s,
             f[3].toInt(), f[0].startsWith(u'*') ? 1 : 0, finals[0], finals[1], finals[2],
             finals[3], allAround ? QVariant(*allAround) : QVariant()}));
    }
    static QString placeText(const std::optional<int>& place) {
        return place ? QString::number(*place) : u"-"_s;
    }
    static QString placesText(const ResultPlaces& places) {
        QStringList texts;
        for (const auto& place : places)
            texts.append(placeText(place));
        return texts.join(u' ');
    }
    static QString scoreText(const std::optional<double>& score) {
        return score ? QString::number(*score) : u"-"_s;
    }

private Q_SLOTS:
    void placesAndTeams_data() {
        QTest::addColumn<QStringList>("gymnasts");
        // "NUM DIVISION VAULT BARS BEAM FLOOR AA" places, group by group.
        QTest::addColumn<QStringList>("places");
        // Level 4 teams: "GYM VAULT BARS BEAM FLOOR AA PLACE", best first.
        QTest::addColumn<QStringList>("teams");

        QTest::newRow("ties at the top skip the next place")
            << QStringList{u"1 4 J 1 9.5 9 9 9"_s, u"2 4 J 1 9.5 8 8 8"_s, u"3 4 J 1 9.3 7 7 7"_s}
            << QStringList{u"1 Junior 1 1 1 1 1"_s, u"2 Junior 1 2 2 2 2"_s,
                           u"3 Junior 3 3 3 3 3"_s}
            << QStringList{u"Riverside 28.3 24 24 24 100.3 1"_s};
        QTest::newRow("ties in the middle, all-around equal by another sum")
            << QStringList{u"1 4 J 1 9.6 9.1 9.05 8.4"_s, u"2 4 J 2 9.4 9.2 9.15 8.4"_s,
                           u"3 4 J 2 9.4 9.3 8.35 9.1"_s, u"4 4 J 1 9.2 9 9 8.9"_s}
            << QStringList{u"1 Junior 1 3 2 3 1"_s, u"2 Junior 2 2 1 3 1"_s,
                           u"3 Junior 2 1 4 1 1"_s, u"4 Junior 4 4 3 2 4"_s}
            << QStringList{u"O'Malley 18.8 18.5 17.5 17.5 72.3 1"_s,
                           u"Riverside 18.8 18.1 18.05 17.3 72.25 2"_s};
        QTest::newRow("missing finals have no place; scratched are left out")
            << QStringList{u"1 4 J 1 9 - 9 -"_s, u"2 4 J 1 8 8 - -"_s, u"*3 4 J 1 10 10 10 10"_s,
                           u"4 4 J 1 - - - -"_s}
            << QStringList{u"1 Junior 1 - 1 - 1"_s, u"2 Junior 2 1 - - 2"_s,
                           u"4 Junior - - - - -"_s}
            << QStringList{u"Riverside 17 8 9 - 34 1"_s};
        QTest::newRow("two divisions of one level, another level apart")
            << QStringList{u"1 4 J 1 9 9 9 9"_s, u"2 4 S 2 8 8 8 8"_s, u"3 4 S 1 9.5 9 9 9"_s,
                           u"4 5 J 2 7 7 7 7"_s}
            << QStringList{u"1 Junior 1 1 1 1 1"_s, u"3 Senior 1 1 1 1 1"_s,
                           u"2 Senior 2 2 2 2 2"_s, u"4 - 1 1 1 1 1"_s}
            << QStringList{u"Riverside 18.5 18 18 18 72.5 1"_s, u"O'Malley 8 8 8 8 32 2"_s};
        QTest::newRow("best three count; a gym with fewer sums what it has")
            << QStringList{u"1 4 J 1 9 9 9 9"_s, u"2 4 J 1 8 8 8 8"_s, u"3 4 J 1 7 7 7 7"_s,
                           u"4 4 J 1 9.9 - 6 6"_s, u"5 4 J 2 9.95 9.95 9.95 9.95"_s}
            << QStringList{u"5 Junior 1 1 1 1 1"_s, u"1 Junior 3 2 2 2 2"_s,
                           u"2 Junior 4 3 3 3 3"_s, u"3 Junior 5 4 4 4 4"_s,
                           u"4 Junior 2 - 5 5 5"_s}
            << QStringList{u"Riverside 26.9 24 24 24 98.9 1"_s,
                           u"O'Malley 9.95 9.95 9.95 9.95 39.8 2"_s};
    }
    void placesAndTeams() {
        QFETCH(QStringList, gymnasts);
        QFETCH(QStringList, places);
        QFETCH(QStringList, teams);
        TempMeet temp;
        MeetDatabase db;
        QVERIFY(db.open(temp.createSampleMeet()) && db.execute(u"DELETE FROM Gymnasts"_s));
        for (const QString& line : gymnasts)
            addGymnast(db, line);

        ResultsBook book(db);
        QString error;
        const auto results = book.session(u"1"_s, &error);
        QVERIFY2(results, qPrintable(error));
        QStringList placed;
        for (const SessionResults::Group& group : results->groups()) {
            for (const GymnastResult& gymnast : group.gymnasts) {
                const QString division = gymnast.division.isEmpty() ? u"-"_s : gymnast.division;
                placed.append(gymnast.num + u' ' + division + u' ' + placesText(gymnast.places));
            }
        }
        QCOMPARE(placed, places);

        QStringList teamLines;
        for (const TeamResult& team : results->teams(u"4"_s)) {
            QStringList texts{team.gym};
            for (const auto& score : team.scores)
                texts.append(scoreText(score));
            texts.append(placeText(team.places[ResultColumns::AllAround]));
            teamLines.append(texts.join(u' '));
        }
        QCOMPARE(teamLines, teams);
    }

    // Between changes of the meet the results are worked out once, however
    // often they are asked for.
    void resultsAreWorkedOutOncePerChange() {
        TempMeet temp;
        MeetDatabase db;
        QVERIFY(db.open(temp.createSampleMeet()));
        ResultsBook book(db);
        QVERIFY(book.session(u"1"_s) && book.session(u"1"_s));
        QCOMPARE(book.computations(), 1);
        db.changes().scoreStored(u"1"_s);
        QVERIFY(book.session(u"1"_s));
        QCOMPARE(book.computations(), 2);
    }
};

QTEST_GUILESS_MAIN(TestResultsPlaces)
#include "tst_results_places.moc"
