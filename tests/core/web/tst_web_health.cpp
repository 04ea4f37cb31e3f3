#include "childprogram.h"
#include "webmeetfixture.h"
#include "webrequests.h"
#include "webteststation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Qt::Literals::StringLiterals;

// Every seat of the meet and how its device is doing, as the operator's
// "/api/health" tells it.
class TestWebHealth : public QObject {
    Q_OBJECT

    struct Meet : WebMeetFixture {
        WebRequests requests{web.port()};
        QByteArray cookie;

        Meet() { f.server().stopHeartbeats(); }

        bool logIn() {
            cookie = requests.cookieFor(f.state().operatorPin());
            return !cookie.isEmpty();
        }
        QJsonArray seats() {
            return QJsonDocument::fromJson(requests.get(u"/api/health"_s, cookie)->readAll())
                .object()
                .value(u"seats"_s)
                .toArray();
        }
        QJsonObject seat(const QString& label) {
            for (const QJsonValue& seat : seats()) {
                if (seat[u"seat"_s].toString() == label)
                    return seat.toObject();
            }
            return {};
        }
        int alertsContaining(const QString& text) {
            return int(f.meet().alerts().alerts().filter(text).size());
        }
    };

    static bool hasMark(const QJsonObject& seat, const QString& start) {
        const QJsonArray marks = seat[u"marks"_s].toArray();
        return std::any_of(marks.begin(), marks.end(), [&start](const QJsonValue& mark) {
            return mark.toString().startsWith(start);
        });
    }

private Q_SLOTS:
    // With no station, every judge's seat of every event is listed, empty.
    void everyExpectedSeatIsListed() {
        Meet m;
        QVERIFY(m.f.started());
        QCOMPARE(WebRequests::status(*m.requests.get(u"/api/health"_s)), 401);
        QVERIFY(m.logIn());
        const int judges = m.f.state().numJudges();
        QVERIFY(judges > 0);
        const QJsonArray seats = m.seats();
        QCOMPARE(seats.size(), 4 * judges);
        QCOMPARE(seats.first()[u"seat"_s].toString(), u"Vault judge 1"_s);
        QCOMPARE(seats.last()[u"seat"_s].toString(), u"Floor judge %1"_s.arg(judges));
        QCOMPARE(seats.last()[u"state"_s].toString(), u"empty"_s);
        QCOMPARE(seats.last()[u"marks"_s].toArray(), QJsonArray{u"Empty seat"_s});
    }

    // A browser pad tells its battery and the scores waiting in its outbox; a
    // low battery and an outbox that stays full are marked, each with one alert.
    void aPadsBatteryAndOutboxAreShown() {
        Meet m;
        QVERIFY(m.f.started());
        QVERIFY(m.logIn());
        m.pages.seats().setOutboxWait(300);
        WebTestStation pad(m.web.port());
        QCOMPARE(pad.loginJudge(u"Bars"_s, 2, m.f.pin()),
                 u"AUTHRESP|0|%1"_s.arg(m.f.state().numJudges()));
        pad.send(u"PADSTATE|15|0|2|Test tablet"_s);
        QTRY_COMPARE(m.seat(u"Bars judge 2"_s)[u"battery"_s].toInt(), 15);
        const QJsonObject seat = m.seat(u"Bars judge 2"_s);
        QCOMPARE(seat[u"outbox"_s].toInt(), 2);
        QCOMPARE(seat[u"charging"_s].toBool(true), false);
        QCOMPARE(seat[u"transport"_s].toString(), u"browser"_s);
        QCOMPARE(seat[u"agent"_s].toString(), u"Test tablet"_s);
        QCOMPARE(seat[u"state"_s].toString(), u"logged in"_s);
        QVERIFY(seat[u"marks"_s].toArray().contains(u"Battery low: 15 %"_s));
        QTRY_VERIFY(hasMark(m.seat(u"Bars judge 2"_s), u"2 scores waiting for"_s));
        QTRY_COMPARE(m.alertsContaining(u"2 scores have waited"_s), 1);
        // Told once, however long it lasts.
        QSignalSpy raised(&m.f.meet().alerts(), &OperatorAlerts::alertRaised);
        QVERIFY(!raised.wait(2 * StationSeats::RefreshMs + 200));
        QCOMPARE(m.alertsContaining(u"battery at 15 %"_s), 1);
        QCOMPARE(m.alertsContaining(u"2 scores have waited"_s), 1);

        // The outbox empties and the pad is charged: the marks go.
        pad.send(u"PADSTATE|80|1|0|Test tablet"_s);
        QTRY_COMPARE(m.seat(u"Bars judge 2"_s)[u"marks"_s].toArray(), QJsonArray());
    }

    // "PADSTATE" is a browser's message: over TCP it is an unknown command,
    // and it counts for nothing before a log-in.
    void onlyALoggedInBrowserReportsAPadState() {
        Meet m;
        QVERIFY(m.f.started());
        QVERIFY(m.logIn());
        TestStation& tcp = m.f.judge(u"Beam"_s, 1);
        tcp.send(u"PADSTATE|10|0|3|x"_s);
        WebTestStation early(m.web.port());
        QVERIFY(early.waitConnected());
        early.send(u"PADSTATE|10|0|3|x"_s);
        QCOMPARE(early.loginJudge(u"Beam"_s, 2, m.f.pin()).left(11), u"AUTHRESP|0|"_s);
        tcp.send(u"SENDSCORE2|101|2|Beam|9.100"_s); // the TCP judge is heard after it
        QTRY_COMPARE(m.seat(u"Beam judge 1"_s)[u"lastScore"_s].toString(), u"#101 9.100"_s);
        QVERIFY(m.seat(u"Beam judge 1"_s)[u"battery"_s].isNull());
        QCOMPARE(m.seat(u"Beam judge 1"_s)[u"transport"_s].toString(), u"TCP"_s);
        QVERIFY(m.seat(u"Beam judge 2"_s)[u"battery"_s].isNull());
    }

    // A station that misses a heartbeat round is silent, then gone when
    // logged out; the one that answers shows its round trip.
    void aSilentStationTurnsSilentThenGone() {
        Meet m;
        QVERIFY(m.f.started());
        QVERIFY(m.logIn());
        m.pages.seats().setSilentAfter(100);
        TestStation& alive = m.f.judge(u"Vault"_s, 1);
        alive.setAnswerHeartbeats(true);
        m.f.judge(u"Vault"_s, 2); // answers no heartbeat
        m.f.server().heartbeatRound();
        QTRY_VERIFY(
            m.seat(u"Vault judge 2"_s)[u"stateText"_s].toString().startsWith(u"silent for"_s));
        QVERIFY(m.seat(u"Vault judge 2"_s)[u"marks"_s].toArray().contains(u"Silent"_s));
        QTRY_VERIFY(m.seat(u"Vault judge 1"_s)[u"roundTripMs"_s].isDouble());
        QCOMPARE(m.seat(u"Vault judge 1"_s)[u"state"_s].toString(), u"logged in"_s);
        QTRY_COMPARE(m.alertsContaining(u"is silent"_s), 1);

        m.f.server().removeSilentStations();
        const QJsonObject gone = m.seat(u"Vault judge 2"_s);
        QCOMPARE(gone[u"state"_s].toString(), u"gone"_s);
        QVERIFY(gone[u"stateText"_s].toString().startsWith(u"gone since "_s));
        QCOMPARE(gone[u"address"_s].toString(), u"127.0.0.1"_s);
        QCOMPARE(gone[u"marks"_s].toArray(), QJsonArray{u"Empty seat"_s});
        QCOMPARE(m.alertsContaining(u"Vault judge 2 (127.0.0.1) is gone"_s), 1);

        // Stopping the server logs judge 1 out on purpose: no alert of it.
        m.f.server().shutdown();
        QCOMPARE(m.seat(u"Vault judge 1"_s)[u"state"_s].toString(), u"gone"_s);
        QCOMPARE(m.alertsContaining(u"is gone"_s), 1);
    }

    // The simulator, as a browser station, fills a seat with a pad's report.
    void theSimulatorReportsAPadState() {
        Meet m;
        QVERIFY(m.f.started());
        QVERIFY(m.logIn());
        ChildProgram pad(QStringLiteral(TALLVANE_STATION_BIN),
                         {u"127.0.0.1:%1"_s.arg(m.web.port()), u"--web"_s, u"--judge"_s, u"Floor"_s,
                          u"3"_s, u"--pin"_s, m.f.pin(), u"--battery"_s, u"12"_s, u"--outbox"_s,
                          u"1"_s},
                         m.f.state().dataFolder());
        QTRY_COMPARE_WITH_TIMEOUT(m.seat(u"Floor judge 3"_s)[u"battery"_s].toInt(), 12, 15000);
        QCOMPARE(m.seat(u"Floor judge 3"_s)[u"outbox"_s].toInt(), 1);
        QCOMPARE(m.seat(u"Floor judge 3"_s)[u"agent"_s].toString(), u"tallvane-station"_s);
    }
};

QTEST_GUILESS_MAIN(TestWebHealth)
#include "tst_web_health.moc"
