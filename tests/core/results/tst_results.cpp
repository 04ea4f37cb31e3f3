#include "datarows.h"
#include "db/meetdatabase.h"
#include "db/tables/gymnaststable.h"
#include "results/resultsbook.h"
#include "tempmeet.h"
#include "web/resultsapi.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Results worked out from a real meet file, and the results API that serves
// them. The sample meet starts 2026-03-14; level 4 divides into Junior (up to
// 9) and Senior. Session 1: 101 and 102 in level 4, 103 in level 5 (born
// 1990 here); session 2: 201; a few scores stored.
class TestResults : public QObject {
    Q_OBJECT

    std::unique_ptr<TempMeet> mTemp;
    std::unique_ptr<MeetDatabase> mDb;
    std::unique_ptr<ResultsApi> mApi;
    QString mCurrent = u"1"_s;

    // "NUM LEVEL AGE GYM VAULT BARS BEAM FLOOR": AGE J (born 2018) or S (born
    // 2012), "-" for a missing final, a NUM starting with "*" is scratched.
    // The all-around is the sum of the finals, as the score path stores it.
    void addGymnast(const QString& line) {
        const QStringList f = line.split(u' ');
        QVariantList finals;
        std::optional<double> allAround;
        for (int i = 4; i < 8; ++i) {
            finals.append(f[i] == u"-"_s ? QVariant() : QVariant(f[i].toDouble()));
            if (f[i] != u"-"_s)
                allAround = allAround.value_or(0.0) + f[i].toDouble();
        }
        QVERIFY(mDb->execute(
            u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, Birthday, "
            "Session, Gym, Scratched, E1Final, E2Final, E3Final, E4Final, AA) "
            "VALUES(1, ?, 'First', 'Last', ?, ?, '1', ?, ?, ?, ?, ?, ?, ?)"_s,
            {QString(f[0]).remove(u'*'), f[1], f[2] == u"J"_s ? u"2018-06-01"_s : u"2012-06-01"_s,
             f[3].toInt(), f[0].startsWith(u'*') ? 1 : 0, finals[0], finals[1], finals[2],
             finals[3], allAround ? QVariant(*allAround) : QVariant()}));
    }
    // A place or score, "-" for none.
    template <typename T>
    static QString text(const std::optional<T>& value) {
        return value ? QString::number(*value) : u"-"_s;
    }

    ApiReply get(const QString& pathAndQuery, const QByteArray& ifNoneMatch = {}) {
        const QUrl url(u"http://phone"_s + pathAndQuery);
        const auto reply = mApi->answer(url.path(), QUrlQuery(url), ifNoneMatch);
        if (!reply)
            qFatal("not an API path: %s", qPrintable(pathAndQuery));
        return *reply;
    }
    static QJsonValue json(const ApiReply& reply) { return json(reply.body); }
    static QJsonValue json(const QByteArray& text) {
        const QJsonDocument document = QJsonDocument::fromJson(text);
        return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    }

private Q_SLOTS:
    void init() {
        mTemp = std::make_unique<TempMeet>();
        mDb = std::make_unique<MeetDatabase>();
        QVERIFY(mDb->open(mTemp->createSampleMeet()));
        QVERIFY(mDb->execute(u"UPDATE Gymnasts SET E1Final = 8.55, E3Final = 9.1, "
                             "E4Final = 9.2, AA = 26.85 WHERE Num = '101'"_s));
        QVERIFY(mDb->execute(u"UPDATE Gymnasts SET E1Final = 9, E2Final = 9, E3Final = 9, "
                             "E4Final = 9.15, AA = 36.15, Scratched = 0 WHERE Num = '102'"_s));
        QVERIFY(mDb->execute(u"UPDATE Gymnasts SET Birthday = '1990-01-01' WHERE Num = '103'"_s));
        mApi = std::make_unique<ResultsApi>(*mDb, [this] { return mCurrent; });
    }
    void cleanup() {
        mApi.reset();
        mDb.reset();
        mTemp.reset();
    }

    void shapesAndVersions() {
        QCOMPARE(json(get(u"/api/sessions"_s)),
                 json(R"([{"id": 1, "description": "Saturday AM", "current": true},
                          {"id": 2, "description": "Saturday PM", "current": false}])"));
        const QJsonObject results = json(get(u"/api/results?session=1"_s)).toObject();
        QCOMPARE(results[u"session"_s].toInt(), 1);
        const QJsonArray rows = results[u"rows"_s].toArray();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], json(R"({"num": "102", "name": "Maya O'Neil", "gym": "O'Malley",
            "level": "4", "division": "Senior", "Vault": 9, "Bars": 9, "Beam": 9, "Floor": 9.15,
            "AA": 36.15, "places": {"Vault": 1, "Bars": 1, "Beam": 2, "Floor": 2, "AA": 1}})"));
        QCOMPARE(rows[1][u"Bars"_s], QJsonValue(QJsonValue::Null));
        QCOMPARE(rows[1][u"places"_s][u"Bars"_s], QJsonValue(QJsonValue::Null));

        const QJsonArray teams = json(get(u"/api/teams?session=1&level=4"_s))[u"teams"_s].toArray();
        QCOMPARE(teams.size(), 2);
        QCOMPARE((QList<QJsonValue>{teams[0][u"gym"_s], teams[0][u"place"_s], teams[1][u"AA"_s]}),
                 (QList<QJsonValue>{u"O'Malley"_s, 1, 26.85}));

        // Unchanged answers are 304 for the ETag they carried and are worked out
        // once per change of the meet; a stored score changes answer and ETag.
        const ApiReply first = get(u"/api/results?session=1"_s);
        QVERIFY(first.etag.startsWith('"'));
        const ApiReply again = get(u"/api/results?session=1"_s, first.etag);
        QCOMPARE(again.status, 304);
        QVERIFY(again.body.isEmpty());
        QCOMPARE(get(u"/api/results?session=1"_s, "\"other\"").status, 200);
        get(u"/api/results?session=1&level=4"_s);
        get(u"/api/teams?session=1&level=4"_s);
        QCOMPARE(mApi->computations(), 1);

        QVERIFY(GymnastsTable(*mDb).storeScore(u"101"_s, u"Bars"_s, u"1"_s, {{u"E2Final"_s, 9.9}}));
        const ApiReply changed = get(u"/api/results?session=1"_s, first.etag);
        QCOMPARE(changed.status, 200);
        QVERIFY(changed.etag != first.etag);
        QCOMPARE(mApi->computations(), 2);

        // The current session is part of the sessions' answer.
        const QByteArray sessions = get(u"/api/sessions"_s).etag;
        mCurrent = u"2"_s;
        QCOMPARE(get(u"/api/sessions"_s, sessions).status, 200);
    }

    // Each request, its status and the rows' numbers or the teams' gyms it
    // answers; a refusal says why.
    void filtersAndRefusals_data() {
        addDataRows<QString, int, QString>(
            {"request", "status", "nums"},
            {{u"/api/results?session=1&level=5"_s, 200, u"103"_s},
             {u"/api/results?session=1&gym=2"_s, 200, u"102"_s},
             {u"/api/results?session=1&division=senior"_s, 200, u"102 101"_s}, // any case
             {u"/api/results?session=2"_s, 200, u"201"_s},
             {u"/api/teams?session=1&level=4&counting=1"_s, 200, u"O'Malley Riverside"_s},
             {u"/api/results"_s, 400, u"error"_s},
             {u"/api/results?session=-1"_s, 400, u"error"_s},
             {u"/api/results?session=1&gym=x"_s, 400, u"error"_s},
             {u"/api/teams?session=1"_s, 400, u"error"_s},
             {u"/api/teams?session=1&level=4&counting=0"_s, 400, u"error"_s},
             {u"/api/results?session=7"_s, 404, u"error"_s},
             {u"/api/teams?session=7&level=4"_s, 404, u"error"_s},
             {u"/api/results?session=1&junk=1"_s, 400, u"error"_s},
             {u"/api/results?session=1&session=2"_s, 400, u"error"_s}});
    }

    void filtersAndRefusals() {
        QFETCH(QString, request);
        QFETCH(int, status);
        QFETCH(QString, nums);
        const ApiReply reply = get(request);
        const QJsonObject body = json(reply).toObject();
        QStringList found;
        for (const QJsonValue row : body[u"rows"_s].toArray())
            found.append(row[u"num"_s].toString());
        for (const QJsonValue team : body[u"teams"_s].toArray())
            found.append(team[u"gym"_s].toString());
        if (!body[u"error"_s].toString().isEmpty())
            found.append(u"error"_s);
        QCOMPARE(reply.status, status);
        QCOMPARE(found.join(u' '), nums);
    }

    // Answers are kept by what they depend on, not by the request's text;
    // what is kept stays within its bound whatever is asked.
    void keptAnswersAreBounded() {
        get(u"/api/results?session=1&level=4"_s);
        get(u"/api/results?level=4&session=1"_s);
        get(u"/api/results?level=%34&session=1"_s);
        QCOMPARE(mApi->keptReplies(), 1);
        const QString junk(1024 * 1024, u'x');
        for (int i = 0; i < 80; ++i) {
            QCOMPARE(get(u"/api/teams?session=1&level="_s + junk + QString::number(i)).status, 200);
            QVERIFY(mApi->keptBytes() <= ResultsApi::MaxKeptBytes);
        }
        for (int i = 0; i < ResultsApi::MaxKeptReplies * 2; ++i)
            get(u"/api/results?session=1&gym="_s + QString::number(i + 1));
        QVERIFY(mApi->keptReplies() <= ResultsApi::MaxKeptReplies);
    }

    // Places and team scores, the sample meet's gymnasts replaced by each
    // case's own, all in session 1.
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
        QVERIFY(mDb->execute(u"DELETE FROM Gymnasts"_s));
        for (const QString& line : gymnasts)
            addGymnast(line);

        ResultsBook book(*mDb);
        QString error;
        const auto results = book.session(u"1"_s, &error);
        QVERIFY2(results, qPrintable(error));
        QStringList placed;
        for (const SessionResults::Group& group : results->groups()) {
            for (const GymnastResult& gymnast : group.gymnasts) {
                QStringList texts{gymnast.num,
                                  gymnast.division.isEmpty() ? u"-"_s : gymnast.division};
                for (const auto& place : gymnast.places)
                    texts.append(text(place));
                placed.append(texts.join(u' '));
            }
        }
        QCOMPARE(placed, places);

        QStringList teamLines;
        for (const TeamResult& team : results->teams(u"4"_s)) {
            QStringList texts{team.gym};
            for (const auto& score : team.scores)
                texts.append(text(score));
            texts.append(text(team.places[ResultColumns::AllAround]));
            teamLines.append(texts.join(u' '));
        }
        QCOMPARE(teamLines, teams);
    }
};

QTEST_GUILESS_MAIN(TestResults)
#include "tst_results.moc"
