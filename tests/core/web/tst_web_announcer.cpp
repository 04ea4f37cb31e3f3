#include "manualscore.h"
#include "webmeetfixture.h"
#include "webrequests.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <QWebSocket>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// The announcer's API: who is on each event, the session's placed rows with
// their squads and running order, refusals, and nothing a spectator may not see.
class TestWebAnnouncer : public QObject {
    Q_OBJECT

    struct Meet : WebMeetFixture {
        WebRequests requests{web.port()};

        std::unique_ptr<QNetworkReply> get(const QString& path) { return requests.get(path); }
        QJsonObject announcer(int session = 1) {
            auto reply = get(u"/api/announcer?session=%1"_s.arg(session));
            return QJsonDocument::fromJson(reply->readAll()).object();
        }
        QJsonValue underway(const QString& event, int session = 1) {
            return announcer(session)[u"underway"_s].toObject()[event];
        }
        bool store(const QString& num, const QString& event, const QString& final) {
            return storeFinal(f.services(), num, event, final);
        }
    };

    static int status(QNetworkReply& reply) { return WebRequests::status(reply); }

private Q_SLOTS:
    void refusesBadQueries_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("status");
        QTest::newRow("none") << u""_s << 400;
        QTest::newRow("not a number") << u"session=one"_s << 400;
        QTest::newRow("twice") << u"session=1&session=1"_s << 400;
        QTest::newRow("unknown parameter") << u"session=1&level=4"_s << 400;
        QTest::newRow("no such session") << u"session=77"_s << 404;
    }
    void refusesBadQueries() {
        QFETCH(QString, query);
        QFETCH(int, status);
        Meet m;
        QVERIFY(m.f.started());
        auto reply = m.get(u"/api/announcer?"_s + query);
        QCOMPARE(TestWebAnnouncer::status(*reply), status);
        QVERIFY(
            !QJsonDocument::fromJson(reply->readAll()).object()[u"error"_s].toString().isEmpty());
    }

    // Each event is on the gymnast its judges looked up or scored last among
    // those of the session asked for; a number that finds no one moves nothing.
    void followsLookupsAndScores() {
        Meet m;
        QVERIFY(m.f.started());
        QWebSocket viewer;
        QSignalSpy heard(&viewer, &QWebSocket::textMessageReceived);
        viewer.open(QUrl(u"ws://127.0.0.1:%1/updates"_s.arg(m.web.port())));
        QTRY_COMPARE(m.pages.updates().viewerCount(), 1);
        for (const QString& event : {u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s})
            QCOMPARE(m.underway(event), QJsonValue(QJsonValue::Null));

        TestStation& vault = m.f.judge(u"Vault"_s);
        vault.send(u"GYMNASTQUERY|0103|Vault|1"_s);
        QVERIFY(vault.next().startsWith(u"GYMNASTQUERYRESP|0|"_s));
        // The viewers' thread may have told it while the answer was awaited.
        QVERIFY(!heard.isEmpty() || heard.wait(2000));
        QCOMPARE(heard.takeFirst().value(0).toString(), u"{\"type\":\"underway\"}"_s);
        QCOMPARE(m.underway(u"Vault"_s), QJsonValue(u"103"_s));
        QCOMPARE(m.underway(u"Bars"_s), QJsonValue(QJsonValue::Null));

        vault.send(u"GYMNASTQUERY|99999|Vault|1"_s);
        QVERIFY(vault.next().startsWith(u"GYMNASTQUERYRESP|"_s));
        vault.send(u"GYMNASTQUERY|201|Vault|1"_s); // of session 2
        QVERIFY(vault.next().startsWith(u"GYMNASTQUERYRESP|0|"_s));
        QCOMPARE(m.underway(u"Vault"_s), QJsonValue(u"103"_s));
        QCOMPARE(m.underway(u"Vault"_s, 2), QJsonValue(u"201"_s));

        QVERIFY(m.store(u"101"_s, u"Vault"_s, u"9.4"_s));
        QCOMPARE(m.underway(u"Vault"_s), QJsonValue(u"101"_s));
    }

    // Names, gyms, levels, divisions, squads, running order, scores and
    // places: nothing else leaves, not a birthday nor a PIN.
    void carriesOnlyPublicData() {
        Meet m;
        QVERIFY(m.f.started());
        auto reply = m.get(u"/api/announcer?session=1"_s);
        QCOMPARE(status(*reply), 200);
        const QByteArray body = reply->readAll();
        QVERIFY(!body.contains(m.f.pin().toLatin1()));
        QVERIFY(!body.contains(m.f.state().operatorPin().toLatin1()));
        const QSet<QString> allowed{u"num"_s,   u"name"_s,  u"gym"_s,    u"level"_s,  u"division"_s,
                                    u"squad"_s, u"order"_s, u"Vault"_s,  u"Bars"_s,   u"Beam"_s,
                                    u"Floor"_s, u"AA"_s,    u"places"_s, u"review"_s, u"inquiry"_s};
        const QJsonArray rows = QJsonDocument::fromJson(body).object()[u"rows"_s].toArray();
        QVERIFY(!rows.isEmpty());
        for (const QJsonValue& row : rows) {
            for (const QString& key : row.toObject().keys())
                QVERIFY2(allowed.contains(key), qPrintable(key));
        }
    }
};

QTEST_GUILESS_MAIN(TestWebAnnouncer)
#include "tst_web_announcer.moc"
