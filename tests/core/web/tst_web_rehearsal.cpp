#include "webmeetfixture.h"
#include "webrequests.h"
#include "webteststation.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// The dress rehearsal through the real server: browser pads tap OK, a browser
// board answers by showing itself, TCP stations answer a heartbeat, and the
// list says which seat answered, which did not and which is empty.
class TestWebRehearsal : public QObject {
    Q_OBJECT

    static constexpr int TimeLimitMs = 1500;

    struct Meet : WebMeetFixture {
        WebRequests operatorPages{web.port()};
        Rehearsal& rehearsal = pages.rehearsal();

        Meet() {
            f.server().stopHeartbeats(); // only the rehearsal's heartbeats go out
            rehearsal.setTimeLimit(TimeLimitMs);
        }

        QByteArray operatorCookie() { return operatorPages.cookieFor(f.state().operatorPin()); }
        std::unique_ptr<QNetworkReply> post(const QString& path, const QByteArray& cookie) {
            return operatorPages.post(path, cookie);
        }
        static int status(QNetworkReply& reply) { return WebRequests::status(reply); }
    };

    static const Rehearsal::Line* lineOf(const QList<Rehearsal::Line>& lines, const QString& seat) {
        for (const Rehearsal::Line& line : lines) {
            if (line.seat == seat)
                return &line;
        }
        return nullptr;
    }

private Q_SLOTS:
    // Started from the operator's page: a pad that taps OK (judge 1, whose
    // test score then goes to the board and back), one that logs in again
    // first, one that never answers, a board and a TCP judge, and an empty seat.
    void everySeatAnswersOrIsListed() {
        Meet m;
        QVERIFY(m.f.started());
        QCOMPARE(Meet::status(*m.post(u"/api/rehearsal/start"_s, {})), 401);
        QVERIFY(!m.rehearsal.isRunning());
        const QByteArray cookie = m.operatorCookie();
        QVERIFY(!cookie.isEmpty());

        TestStation& tcp = m.f.judge(u"Vault"_s, 1);
        tcp.setAnswerHeartbeats(true);
        WebTestStation tapping(m.web.port());
        QVERIFY(tapping.loginJudge(u"Bars"_s, 1, m.f.pin()).startsWith(u"AUTHRESP|0|"_s));
        auto leaving = std::make_unique<WebTestStation>(m.web.port());
        QVERIFY(leaving->loginJudge(u"Bars"_s, 2, m.f.pin()).startsWith(u"AUTHRESP|0|"_s));
        WebTestStation silent(m.web.port());
        QVERIFY(silent.loginJudge(u"Beam"_s, 1, m.f.pin()).startsWith(u"AUTHRESP|0|"_s));
        WebTestStation board(m.web.port());
        QCOMPARE(board.loginDisplay(u"Hall"_s, m.f.pin()), u"AUTHRESP|0"_s);

        QSignalSpy finished(&m.rehearsal, &Rehearsal::finished);
        auto started = m.post(u"/api/rehearsal/start"_s, cookie);
        QCOMPARE(Meet::status(*started), 200);
        const QJsonObject answer = QJsonDocument::fromJson(started->readAll()).object();
        QVERIFY(answer[u"rehearsal"_s][u"running"_s].toBool());
        // One at a time.
        QCOMPARE(Meet::status(*m.post(u"/api/rehearsal/start"_s, cookie)), 409);

        const QString number = QString::number(m.rehearsal.number());
        QCOMPARE(tapping.next(), u"REHEARSAL|%1|2|Bars|1"_s.arg(number));
        QCOMPARE(board.next(),
                 u"REHEARSAL|%1|%2|Hall|all"_s.arg(number).arg(Rehearsal::BoardSeconds));
        QCOMPARE(silent.next(), u"REHEARSAL|%1|2|Beam|1"_s.arg(number));
        tapping.send(u"REHEARSALOK|%1"_s.arg(m.rehearsal.number() + 1)); // another rehearsal's
        board.send(u"REHEARSALOK|"_s + number);
        tapping.send(u"REHEARSALOK|"_s + number);
        // Judge 1's test score to the board and back.
        QStringList test{u"SENDSCORE"_s, u"999"_s, u"2"_s, u"1"_s, u"Bars"_s, u"8.885"_s};
        test << QStringList(8) << u"8.885"_s << u"8.885"_s << u"1"_s;
        tapping.send(test.join(u'|'));
        QCOMPARE(tapping.next(), u"SCORECONFIRM|0"_s);
        QVERIFY(board.next().startsWith(u"SETSCORE|Bars|999|"_s));
        board.send(u"CONFIRMSCORE|999|Bars"_s);

        // The pad that drops is asked again once it is back.
        QCOMPARE(leaving->next(), u"REHEARSAL|%1|2|Bars|2"_s.arg(number));
        QSignalSpy closed(&m.f.meet().stations(), &StationServer::connectionClosed);
        leaving.reset();
        QVERIFY(closed.wait());
        WebTestStation back(m.web.port());
        QVERIFY(back.loginJudge(u"Bars"_s, 2, m.f.pin()).startsWith(u"AUTHRESP|0|"_s));
        QVERIFY(back.next().startsWith(u"REHEARSAL|%1|"_s.arg(number)));
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
            {u"Bars judge 1"_s, Rehearsal::Result::Answered, u"tap on the pad"_s},
            {u"Bars test score"_s, Rehearsal::Result::Answered, u"test score to the boards"_s},
            {u"Bars judge 2"_s, Rehearsal::Result::Answered, u"tap on the pad"_s},
            {u"Beam judge 1"_s, Rehearsal::Result::NoAnswer, u"tap on the pad"_s},
            {u"Scoreboard Hall"_s, Rehearsal::Result::Answered, u"shown on the board"_s},
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
        QCOMPARE(m.f.alerts().alerts().filter(u"without an answer from Beam judge 1."_s).size(), 1);
        // The TCP judge was asked for a heartbeat, never with a browser's message.
        QCOMPARE(tcp.heartbeatsSeen(), 1);
        QVERIFY(tcp.pending().filter(u"REHEARSAL"_s).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWebRehearsal)
#include "tst_web_rehearsal.moc"
