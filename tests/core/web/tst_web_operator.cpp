#include "childprogram.h"
#include "scoreboard/adfiles.h"
#include "webmeetfixture.h"
#include "webrequests.h"
#include "webteststation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Qt::Literals::StringLiterals;

// The operator's pages: a log-in with the operator PIN, a session cookie, and
// their APIs closed to everybody else; every seat of the meet and how its
// device is doing, as "/api/health" tells it; and the dress rehearsal through
// the real server: browser pads tap OK, a browser board answers by showing
// itself, TCP stations answer a heartbeat, and the list says which seat
// answered, which did not and which is empty.
class TestWebOperator : public QObject {
    Q_OBJECT

    static constexpr int TimeLimitMs = 1500;

    struct Meet : WebMeetFixture {
        WebRequests requests{web.port()};
        Rehearsal& rehearsal = pages.rehearsal();
        QByteArray cookie;

        Meet() {
            f.server().stopHeartbeats(); // only the rehearsal's heartbeats go out
            rehearsal.setTimeLimit(TimeLimitMs);
            // An operator API to knock on.
            pages.addOperatorRoute(u"/api/probe"_s,
                                   [](const HttpRequest&) { return HttpReply(R"({"probe":1})"); });
        }
        QString operatorPin() { return f.state().operatorPin(); }

        bool logIn() {
            cookie = requests.cookieFor(operatorPin());
            return !cookie.isEmpty();
        }
        std::unique_ptr<QNetworkReply> logInWith(const QString& pin) {
            return requests.post(u"/api/operator/login"_s, {}, pin.toUtf8());
        }
        int statusOf(const QByteArray& cookie) {
            return status(*requests.get(u"/api/probe"_s, cookie));
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

    static int status(QNetworkReply& reply) { return WebRequests::status(reply); }
    static bool hasMark(const QJsonObject& seat, const QString& start) {
        const QJsonArray marks = seat[u"marks"_s].toArray();
        return std::any_of(marks.begin(), marks.end(), [&start](const QJsonValue& mark) {
            return mark.toString().startsWith(start);
        });
    }
    static const Rehearsal::Line* lineOf(const QList<Rehearsal::Line>& lines, const QString& seat) {
        for (const Rehearsal::Line& line : lines) {
            if (line.seat == seat)
                return &line;
        }
        return nullptr;
    }

private Q_SLOTS:
    // The right PIN gives a cookie that lasts as long as the browser; the
    // operator API answers that cookie alone, with a short JSON error else.
    void aLogInOpensTheOperatorApis() {
        WEB_MEET(Meet, m);
        QCOMPARE(m.statusOf({}), 401);
        auto refused = m.requests.send("GET", u"/api/probe"_s, {});
        QCOMPARE(QJsonDocument::fromJson(refused->readAll()).object().value(u"error"_s).toString(),
                 u"Operator log-in needed."_s);

        auto login = m.logInWith(m.operatorPin());
        QCOMPARE(status(*login), 200);
        const QByteArray setCookie = login->rawHeader("Set-Cookie");
        QVERIFY(setCookie.contains("HttpOnly"));
        QVERIFY(setCookie.contains("SameSite=Strict"));
        QVERIFY(!setCookie.contains("Max-Age"));
        QVERIFY(!setCookie.contains("Expires"));
        const QByteArray cookie = WebRequests::cookieOf(*login);
        QCOMPARE(m.statusOf(cookie), 200);
        QCOMPARE(m.statusOf("tallvane_operator=" + QByteArray(64, '0')), 401);

        // Another site's page cannot log in for the visitor.
        QCOMPARE(status(*m.requests.send("POST", u"/api/operator/login"_s,
                                         {{"X-Operator-Pin", m.operatorPin().toUtf8()},
                                          {"Origin", "http://elsewhere.example"}})),
                 403);
        // A new operator PIN sends everybody back to the log-in.
        m.f.state().setOperatorPin(u"86420864"_s);
        QCOMPARE(m.statusOf(cookie), 401);
        const QByteArray renewed = m.requests.cookieFor(u"86420864"_s);
        QCOMPARE(m.statusOf(renewed), 200);
        auto logout = m.requests.send("POST", u"/api/operator/logout"_s, {{"Cookie", renewed}});
        QCOMPARE(status(*logout), 200);
        QCOMPARE(m.statusOf(renewed), 401);
    }

    // Guessing the operator PIN costs what guessing the station PIN does,
    // and both count together.
    void wrongOperatorPinsCountWithStationPins() {
        WEB_MEET(Meet, m);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(status(*m.logInWith(u"000000"_s)), 401);
        TestStation& judge = m.f.station();
        QCOMPARE(judge.loginJudge(u"Vault"_s, u"Ann"_s, u"0000"_s), u"AUTHRESP|1|Invalid PIN"_s);
        QCOMPARE(status(*m.logInWith(u"111111"_s)), 401); // the fifth wrong PIN from this address
        // Now neither the right operator PIN nor the right station PIN is looked at.
        auto blocked = m.logInWith(m.operatorPin());
        QCOMPARE(status(*blocked), 429);
        QCOMPARE(judge.loginJudge(u"Vault"_s, u"Ann"_s, m.f.pin()), u"AUTHRESP|1|Invalid PIN"_s);

        // Wrong operator PINs from many devices: the alert names the PIN guessed.
        for (int host = 2; host <= 7; ++host)
            m.f.server().checkOperatorPin(u"127.0.0.%1"_s.arg(host), u"000000"_s);
        QCOMPARE(m.f.alerts().alerts().filter(u"guessing the operator PIN"_s).size(), 1);
    }

    // operatorpin.txt is never an advertisement image, nor a page, nor part
    // of an API answer.
    void theOperatorPinIsNeverServed() {
        WEB_MEET(Meet, m);
        const QByteArray pin = m.operatorPin().toLatin1();
        for (const QString& name : {u"operatorpin.txt"_s, u"OPERATORPIN.TXT"_s,
                                    u"./operatorpin.txt"_s, u"x/../operatorpin.txt"_s}) {
            QVERIFY(AdFiles::resolve(m.f.state().dataFolder(), name, AppState::settingsFileNames())
                        .isEmpty());
        }
        auto login = m.logInWith(m.operatorPin());
        const QByteArray cookie = WebRequests::cookieOf(*login);
        QVERIFY(!login->readAll().contains(pin));
        for (const QString& path :
             {u"/operatorpin.txt"_s, u"/api/meet"_s, u"/api/sessions"_s,
              u"/api/results?session=1"_s, u"/api/teams?session=1"_s, u"/api/announcer?session=1"_s,
              u"/api/probe"_s, u"/api/health"_s}) {
            auto reply = m.requests.send("GET", path, {{"Cookie", cookie}});
            QVERIFY2(status(*reply) != 0, qPrintable(path));
            QVERIFY2(!reply->readAll().contains(pin), qPrintable(path));
        }
    }

    // A browser pad tells its battery and the scores waiting in its outbox; a
    // low battery and an outbox that stays full are marked, each with one alert.
    void aPadsBatteryAndOutboxAreShown() {
        WEB_MEET(Meet, m);
        QCOMPARE(WebRequests::status(*m.requests.get(u"/api/health"_s)), 401);
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
        QCOMPARE(seat[u"agent"_s].toString(), u"Test tablet"_s);
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
        WEB_MEET(Meet, m);
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
        WEB_MEET(Meet, m);
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
        WEB_MEET(Meet, m);
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

    // Started from the operator's page: a pad that logs in again before it
    // taps OK, one that never answers, a TCP judge, and an empty seat.
    void everySeatAnswersOrIsListed() {
        WEB_MEET(Meet, m);
        QCOMPARE(status(*m.requests.post(u"/api/rehearsal/start"_s, {})), 401);
        QVERIFY(!m.rehearsal.isRunning());
        QVERIFY(m.logIn());

        TestStation& tcp = m.f.judge(u"Vault"_s, 1);
        tcp.setAnswerHeartbeats(true);
        auto leaving = std::make_unique<WebTestStation>(m.web.port());
        QVERIFY(leaving->loginJudge(u"Bars"_s, 1, m.f.pin()).startsWith(u"AUTHRESP|0|"_s));
        WebTestStation silent(m.web.port());
        QVERIFY(silent.loginJudge(u"Beam"_s, 1, m.f.pin()).startsWith(u"AUTHRESP|0|"_s));

        QSignalSpy finished(&m.rehearsal, &Rehearsal::finished);
        auto started = m.requests.post(u"/api/rehearsal/start"_s, m.cookie);
        QCOMPARE(status(*started), 200);
        const QJsonObject answer = QJsonDocument::fromJson(started->readAll()).object();
        QVERIFY(answer[u"rehearsal"_s][u"running"_s].toBool());
        // One at a time.
        QCOMPARE(status(*m.requests.post(u"/api/rehearsal/start"_s, m.cookie)), 409);

        const QString number = QString::number(m.rehearsal.number());
        QCOMPARE(silent.next(), u"REHEARSAL|%1|2|Beam|1"_s.arg(number));

        // The pad that drops is asked again once it is back.
        QCOMPARE(leaving->next(), u"REHEARSAL|%1|2|Bars|1"_s.arg(number));
        QSignalSpy closed(&m.f.meet().stations(), &StationServer::connectionClosed);
        leaving.reset();
        QVERIFY(closed.wait());
        WebTestStation back(m.web.port());
        QVERIFY(back.loginJudge(u"Bars"_s, 1, m.f.pin()).startsWith(u"AUTHRESP|0|"_s));
        QVERIFY(back.next().startsWith(u"REHEARSAL|%1|"_s.arg(number)));
        back.send(u"REHEARSALOK|%1"_s.arg(m.rehearsal.number() + 1)); // another rehearsal's
        back.send(u"REHEARSALOK|"_s + number);

        QVERIFY(finished.wait(TimeLimitMs + 3000));
        QVERIFY(!m.rehearsal.isRunning());
        const QList<Rehearsal::Line> lines = m.rehearsal.lines();
        const struct {
            QString seat;
            Rehearsal::Result result;
            QString check;
        } expected[] = {
            {u"Vault judge 1"_s, Rehearsal::Result::Answered, u"heartbeat"_s},
            {u"Bars test score"_s, Rehearsal::Result::NoAnswer, u"test score to the boards"_s},
            {u"Bars judge 1"_s, Rehearsal::Result::Answered, u"tap on the pad"_s},
            {u"Beam judge 1"_s, Rehearsal::Result::NoAnswer, u"tap on the pad"_s},
            {u"Floor judge 1"_s, Rehearsal::Result::Empty, QString()}};
        for (const auto& [seat, result, check] : expected) {
            const Rehearsal::Line* line = lineOf(lines, seat);
            QVERIFY2(line, qPrintable(seat));
            QCOMPARE(int(line->result), int(result));
            QCOMPARE(line->checkText(), check);
            QCOMPARE(line->answerMs >= 0, result == Rehearsal::Result::Answered);
        }
        QVERIFY(lineOf(lines, u"Vault judge 1"_s)->resultText().startsWith(u"answered in "_s));
        QCOMPARE(lineOf(lines, u"Beam judge 1"_s)->resultText(), u"no answer"_s);
        const QString unanswered = u"without an answer from Beam judge 1, Bars test score."_s;
        QCOMPARE(m.f.alerts().alerts().filter(unanswered).size(), 1);
        // The TCP judge was asked for a heartbeat, never with a browser's message.
        QCOMPARE(tcp.heartbeatsSeen(), 1);
        QVERIFY(tcp.pending().filter(u"REHEARSAL"_s).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWebOperator)
#include "tst_web_operator.moc"
