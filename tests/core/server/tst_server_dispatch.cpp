#include "firstrow.h"
#include "serverfixture.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Start-up, dispatch of station messages, ends of connections, shutdown.
class TestServerDispatch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startShowsTheMeetAndPicksTheSession() {
        SERVER_FIXTURE(f);
        QVERIFY(f.server().isRunning());
        QVERIFY(!f.server().address().isEmpty());
        QVERIFY(f.server().heartbeatsRunning());
        // No current session stored: the first session by description.
        QCOMPARE((QStringList{f.server().meetName(), QString::number(f.state().numJudges()),
                              f.server().currentSession().id(),
                              f.server().currentSession().description()}),
                 QStringList({u"Spring Classic"_s, u"3"_s, u"1"_s, u"Saturday AM"_s}));
    }

    void storedCurrentSessionWins() {
        TempMeet temp;
        const QString file = temp.createSampleMeet();
        TempMeet::change(file, u"UPDATE current_settings SET sessionid = '2', session_desc = ''"_s);
        SERVER_FIXTURE(f, file);
        // An empty description ends the reply, also to a legacy station.
        TestStation& s = f.station(false);
        QCOMPARE(s.loginDisplay(u"Main"_s, f.pin()), u"AUTHRESP|0"_s);
        s.send(u"GETSESSION"_s);
        QCOMPARE(s.next(), u"SETSESSION|2|"_s);
    }

    void commandsServedOnlyInTheirColumn() {
        SERVER_FIXTURE(f);
        TestStation& s = f.station();
        // Before log-in: logged-in commands get nothing; a refusal shows that
        // the earlier messages were read and dropped.
        for (const QString& message : {u"CLIENTBEAT"_s, u"GETSESSION"_s, u"SENDSCORE|1|2"_s,
                                       u"judgeauth|Vault|Ann|3917|1|1"_s, u"NOSUCH"_s})
            s.send(message);
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, u"0"_s), u"AUTHRESP|1|Invalid PIN"_s);
        QCOMPARE(f.connectionRows(), 0);

        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        // After log-in: log-ins and lower-case words are dropped, and commands
        // without their fields do no harm.
        for (const QString& message :
             {u"JUDGEAUTH|Beam|Bo|3917|1|1"_s, u"DISPLAYAUTH|Main|3917|all"_s, u"clientbeat"_s,
              u"HEARTBEAT"_s, u"GYMNASTQUERY"_s, u"SENDSCORE"_s, u"CONFIRMSCORE"_s,
              u"AD_FILE_START"_s, u"GETSQUADLIST"_s, u"CLIENTBEAT"_s})
            s.send(message);
        QCOMPARE(s.next(), u"BEATRESPONSE"_s);
        s.send(u"GETSESSION|extra"_s);
        QCOMPARE(s.next(), u"SETSESSION|1|Saturday AM"_s);
        QCOMPARE(f.connectionRows(), 1);
        QCOMPARE(f.judgeLines().size(), 1);
        QVERIFY(s.pending().isEmpty());
    }

    // A display does not judge, a judge does not confirm what the boards
    // showed, and a judge scores its own event only: each is ignored, with an
    // alert, and nothing reaches the boards, the pads or the meet.
    void stationsDoOnlyTheirOwnWork() {
        SERVER_FIXTURE(f);
        TestStation& bars = f.judge(u"Bars"_s);
        TestStation& board = f.display(u"Main"_s);
        const QString score = u"SENDSCORE|101|3|1|Bars|9.1|9.1|9.1||||||10|0|9.1|9.100|0"_s;
        const QString Stored = u"SELECT E1Final, E2Final FROM Gymnasts WHERE Num = '101'"_s;
        const QStringList stored = firstRow(f.db(), Stored);
        const QList<std::pair<TestStation*, QString>> ignored{
            {&board, score},
            {&board, u"SENDSCORE2|101|2|Bars|9.100"_s},
            {&board, u"GYMNASTQUERY|101|Bars|1"_s},
            {&bars, u"SENDSCORE|101|3|1|Vault|9.1|9.1|9.1||||||10|0|9.1|9.100|0"_s},
            {&bars, u"SENDSCORE2|101|2|Floor|9.100"_s},
            {&bars, u"CONFIRMSCORE|101|Bars"_s}};
        for (const auto& [station, message] : ignored)
            station->send(message);
        board.send(u"CLIENTBEAT"_s);
        QCOMPARE(board.next(), u"BEATRESPONSE"_s);
        bars.send(u"CLIENTBEAT"_s);
        QCOMPARE(bars.next(), u"BEATRESPONSE"_s);
        QVERIFY(bars.pending().isEmpty());
        QVERIFY(board.pending().isEmpty());
        QCOMPARE(f.alerts().alerts().size(), ignored.size());
        const QString alerts = f.alerts().alerts().join(u'\n');
        QVERIFY(alerts.contains(u"SENDSCORE from the score display at 127.0.0.1 was ignored"_s));
        QVERIFY(alerts.contains(u"SENDSCORE for Vault from the Bars judge"_s));
        QCOMPARE(firstRow(f.db(), Stored), stored);
        bars.send(score);
        QCOMPARE(bars.next(), u"SCORECONFIRM|0"_s);
    }

    void endsOfConnections() {
        SERVER_FIXTURE(f);
        QSignalSpy removed(&f.server(), &ScoringServer::stationLoggedOut);

        // A station that leaves before logging in leaves no trace.
        TestStation& early = f.station();
        early.send(u"DISPLAYAUTH|Main|0000|all"_s);
        QCOMPARE(early.next(), u"AUTHRESP|1|Invalid PIN"_s);
        early.socket().disconnectFromHost();

        // Two judges of one event on one machine: each keeps its own line.
        TestStation& one = f.station();
        TestStation& two = f.station();
        QCOMPARE(one.loginJudge(u"Vault"_s, u"Ann"_s, f.pin(), u"1"_s, u"1"_s), u"AUTHRESP|0|3"_s);
        QCOMPARE(two.loginJudge(u"Vault"_s, u"Bo"_s, f.pin(), u"1"_s, u"2"_s), u"AUTHRESP|0|3"_s);
        QCOMPARE(f.connectionRows(), 2);
        QVERIFY(removed.isEmpty());

        two.socket().disconnectFromHost();
        QTRY_COMPARE(f.connectionRows(), 1);
        QCOMPARE(f.judgeLines(), QStringList{u"Vault (Judge #1: Ann) - 127.0.0.1"_s});
        QCOMPARE(removed.size(), 1);

        // The shutdown forgets everyone.
        f.server().shutdown();
        QCOMPARE(f.connectionRows(), 0);
        QVERIFY(f.judgeLines().isEmpty());
        QVERIFY(!f.server().isRunning());
        QVERIFY(one.waitDisconnected());
    }

    // The shutdown stops the display loops: a score queued afterwards is offered
    // to no one.
    void shutdownStopsTheDisplayLoops() {
        SERVER_FIXTURE(f, {}, ServerFixture::quickTimings(), true);
        DisplayDispatch& loops = f.services().dispatch();
        QSignalSpy vault(loops.loop(u"Vault"_s), &EventDisplayLoop::scoreOffered);
        QSignalSpy bars(loops.loop(u"Bars"_s), &EventDisplayLoop::scoreOffered);
        ScoreQueue& queue = f.services().queue();
        QVERIFY(queue.queueScore(u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.100"_s, false));
        QVERIFY(vault.wait());
        f.server().shutdown();
        QVERIFY(queue.queueScore(u"102"_s, u"Maya O'Neil"_s, u"Bars"_s, u"9.200"_s, false));
        QVERIFY(!bars.wait(20 * ServerFixture::quickTimings().idlePollMs));
    }

    // A failing database repeats its alert every few seconds through a meet.
    void repeatedAlertsFoldIntoOneLineAndTheListIsCapped() {
        OperatorAlerts alerts;
        alerts.raise(u"disk full"_s);
        alerts.raise(u"unknown 7"_s);
        alerts.raise(u"disk full"_s);
        QCOMPARE(alerts.alerts().size(), 2);
        QVERIFY(alerts.alerts().first().endsWith(u"  unknown 7"_s));
        QVERIFY2(alerts.alerts().last().endsWith(u"  disk full  (2 times)"_s),
                 qPrintable(alerts.alerts().last()));
        for (int i = 0; i < OperatorAlerts::MaxLines + 5; ++i)
            alerts.raise(QString::number(i));
        QCOMPARE(alerts.alerts().size(), OperatorAlerts::MaxLines);
        QVERIFY(alerts.alerts().first().endsWith(u"  5"_s));
        QCOMPARE(alerts.model()->rowCount(), OperatorAlerts::MaxLines);
    }
};

QTEST_GUILESS_MAIN(TestServerDispatch)
#include "tst_server_dispatch.moc"
