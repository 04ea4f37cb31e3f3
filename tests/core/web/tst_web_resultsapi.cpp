#include "db/meetdatabase.h"
#include "tempmeet.h"
#include "web/resultsapi.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The results API on the sample meet (session 1: 101 and 102 in level 4,
// 103 in level 5; session 2: 201), with a few scores stored.
class TestWebResultsApi : public QObject {
    Q_OBJECT

    std::unique_ptr<TempMeet> mTemp;
    std::unique_ptr<MeetDatabase> mDb;
    std::unique_ptr<ResultsApi> mApi;
    QString mCurrent = u"1"_s;

    ApiReply get(const QString& pathAndQuery, const QByteArray& ifNoneMatch = {}) {
        const QUrl url(u"http://phone"_s + pathAndQuery);
        const auto reply = mApi->answer(url.path(), QUrlQuery(url), ifNoneMatch);
        if (!reply)
            qFatal("not an API path: %s", qPrintable(pathAndQuery));
        return *reply;
    }
    static QJsonValue json(const ApiReply& reply) {
        const QJsonDocument document = QJsonDocument::fromJson(reply.body);
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

    void shapes() {
        QCOMPARE(json(get(u"/api/sessions"_s)),
                 QJsonValue(QJsonArray{QJsonObject{{u"id"_s, 1},
                                                   {u"description"_s, u"Saturday AM"_s},
                                                   {u"current"_s, true}},
                                       QJsonObject{{u"id"_s, 2},
                                                   {u"description"_s, u"Saturday PM"_s},
                                                   {u"current"_s, false}}}));

        const QJsonObject results = json(get(u"/api/results?session=1"_s)).toObject();
        QCOMPARE(results[u"session"_s].toInt(), 1);
        const QJsonArray rows = results[u"rows"_s].toArray();
        QCOMPARE(rows.size(), 3);
        const QJsonObject first = rows[0].toObject();
        QCOMPARE(first, (QJsonObject{{u"num"_s, u"102"_s},
                                     {u"name"_s, u"Maya O'Neil"_s},
                                     {u"gym"_s, u"O'Malley"_s},
                                     {u"level"_s, u"4"_s},
                                     {u"division"_s, u"Senior"_s},
                                     {u"Vault"_s, 9},
                                     {u"Bars"_s, 9},
                                     {u"Beam"_s, 9},
                                     {u"Floor"_s, 9.15},
                                     {u"AA"_s, 36.15},
                                     {u"places"_s, QJsonObject{{u"Vault"_s, 1},
                                                               {u"Bars"_s, 1},
                                                               {u"Beam"_s, 2},
                                                               {u"Floor"_s, 2},
                                                               {u"AA"_s, 1}}}}));
        QCOMPARE(rows[1].toObject()[u"Bars"_s], QJsonValue(QJsonValue::Null));
        QCOMPARE(rows[1].toObject()[u"places"_s].toObject()[u"Bars"_s],
                 QJsonValue(QJsonValue::Null));
        for (const QByteArray secret : {"1990", "Birthday", "USAG", "address", "PIN"})
            QVERIFY2(!get(u"/api/results?session=1"_s).body.contains(secret), secret.constData());

        const QJsonObject teams = json(get(u"/api/teams?session=1&level=4"_s)).toObject();
        const QJsonArray list = teams[u"teams"_s].toArray();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].toObject()[u"gym"_s].toString(), u"O'Malley"_s);
        QCOMPARE(list[0].toObject()[u"place"_s].toInt(), 1);
        QCOMPARE(list[1].toObject()[u"AA"_s].toDouble(), 26.85);
    }

    void filtersAndRefusals_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("nums"); // the rows' numbers, or the teams' gyms
        QTest::newRow("level") << u"/api/results?session=1&level=5"_s << 200 << u"103"_s;
        QTest::newRow("gym") << u"/api/results?session=1&gym=2"_s << 200 << u"102"_s;
        QTest::newRow("division, any case")
            << u"/api/results?session=1&division=senior"_s << 200 << u"102 101"_s;
        QTest::newRow("other session") << u"/api/results?session=2"_s << 200 << u"201"_s;
        QTest::newRow("one counting score")
            << u"/api/teams?session=1&level=4&counting=1"_s << 200 << u"O'Malley Riverside"_s;
        QTest::newRow("no session") << u"/api/results"_s << 400 << QString();
        QTest::newRow("session no number") << u"/api/results?session=one"_s << 400 << QString();
        QTest::newRow("session negative") << u"/api/results?session=-1"_s << 400 << QString();
        QTest::newRow("gym no number") << u"/api/results?session=1&gym=x"_s << 400 << QString();
        QTest::newRow("teams without level") << u"/api/teams?session=1"_s << 400 << QString();
        QTest::newRow("counting zero")
            << u"/api/teams?session=1&level=4&counting=0"_s << 400 << QString();
        QTest::newRow("unknown session") << u"/api/results?session=7"_s << 404 << QString();
        QTest::newRow("unknown session, teams")
            << u"/api/teams?session=7&level=4"_s << 404 << QString();
    }
    void filtersAndRefusals() {
        QFETCH(QString, request);
        QFETCH(int, status);
        QFETCH(QString, nums);
        const ApiReply reply = get(request);
        QCOMPARE(reply.status, status);
        const QJsonObject body = json(reply).toObject();
        if (status != 200) {
            QVERIFY(!body[u"error"_s].toString().isEmpty());
            return;
        }
        QStringList found;
        for (const QJsonValue row : body[u"rows"_s].toArray())
            found.append(row[u"num"_s].toString());
        for (const QJsonValue team : body[u"teams"_s].toArray())
            found.append(team[u"gym"_s].toString());
        QCOMPARE(found.join(u' '), nums);
    }

    // Unchanged answers are 304 for the ETag they carried and are worked out
    // once per change of the meet; a stored score changes answer and ETag.
    void etagsAndOneComputationPerChange() {
        const ApiReply first = get(u"/api/results?session=1"_s);
        QVERIFY(first.etag.startsWith('"'));
        const ApiReply again = get(u"/api/results?session=1"_s, first.etag);
        QCOMPARE(again.status, 304);
        QVERIFY(again.body.isEmpty());
        QCOMPARE(get(u"/api/results?session=1"_s, "\"other\"").status, 200);
        get(u"/api/results?session=1&level=4"_s);
        get(u"/api/teams?session=1&level=4"_s);
        QCOMPARE(mApi->computations(), 1);

        QVERIFY(mDb->execute(u"UPDATE Gymnasts SET E2Final = 9.9 WHERE Num = '101'"_s));
        mDb->changes().scoreStored(u"1"_s);
        const ApiReply changed = get(u"/api/results?session=1"_s, first.etag);
        QCOMPARE(changed.status, 200);
        QVERIFY(changed.etag != first.etag);
        QCOMPARE(mApi->computations(), 2);

        // The current session is part of the sessions' answer.
        const QByteArray sessions = get(u"/api/sessions"_s).etag;
        mCurrent = u"2"_s;
        QCOMPARE(get(u"/api/sessions"_s, sessions).status, 200);
    }
};

QTEST_GUILESS_MAIN(TestWebResultsApi)
#include "tst_web_resultsapi.moc"
