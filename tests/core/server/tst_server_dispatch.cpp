#include "serverfixture.h"

#include "server/localaddress.h"
#include "server/stationservices.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Records what the dispatcher hands to the judge and scoreboard services.
class RecordingServices : public StationServices {
public:
    QStringList calls;
    void gymnastQuery(ConnectionId, const QStringList& f) override { log(u"query"_s, f); }
    void squadList(ConnectionId, const QStringList& f) override { log(u"squad"_s, f); }
    void processScore(ConnectionId, const QStringList& f) override { log(u"score"_s, f); }
    void forwardSecondaryScore(ConnectionId, const QStringList& f) override { log(u"score2"_s, f); }
    void confirmScore(const QStringList& f) override { log(u"confirm"_s, f); }
    void adFileRequest(ConnectionId, const QStringList& f) override { log(u"ad"_s, f); }
    void startServices() override { calls << u"start"_s; }
    void stopServices() override { calls << u"stop"_s; }

private:
    void log(const QString& what, const QStringList& fields) {
        calls << what + u' ' + fields.join(u'|');
    }
};

} // namespace

// Start-up, dispatch of station messages, ends of connections, shutdown.
class TestServerDispatch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startShowsTheMeetAndPicksTheSession() {
        SERVER_FIXTURE(f);
        QVERIFY(f.server().isRunning());
        QCOMPARE(f.server().status(), u"Listening for client connections"_s);
        QVERIFY(!f.server().address().isEmpty());
        QVERIFY(f.port() > 0);
        QCOMPARE(f.server().meetName(), u"Spring Classic"_s);
        QCOMPARE(f.state().numJudges(), 3);
        // No current session stored: the first session by description.
        QCOMPARE(f.server().currentSession().id(), u"1"_s);
        QCOMPARE(f.server().currentSession().description(), u"Saturday AM"_s);
        QVERIFY(f.server().heartbeats().isActive());
    }

    void startFailures() {
        TempMeet temp;
        const QString noSessions = temp.createMeetFile(u"empty.tallvane"_s);
        TempMeet::change(noSessions,
                         u"INSERT INTO Meets(MeetID, Name, Num_Judges) VALUES(1, 'M', 1)"_s);
        ServerFixture f(noSessions);
        QCOMPARE(f.startResult().outcome, ScoringServer::StartResult::Outcome::NoSessions);
        QCOMPARE(f.startResult().message, u"No Sessions exist!  Meet must have at least one "
                                          "session.  Closing Application."_s);
        QVERIFY(!f.server().isRunning());
        QVERIFY(!f.server().stationServer().isListening());

        ServerFixture noMeet(temp.createMeetFile(u"nomeet.tallvane"_s));
        QCOMPARE(noMeet.startResult().outcome, ScoringServer::StartResult::Outcome::NoMeet);

        // A port already taken: the operator sees which address failed.
        SERVER_FIXTURE(running);
        AppState state(temp.folder());
        state.setPortNumber(QString::number(running.port()));
        QVERIFY(state.openMeetFile(temp.createSampleMeet(u"second.tallvane"_s)));
        MeetServer second(state);
        const QString address = LocalAddress::guess();
        const ScoringServer::StartResult result = second.start();
        QCOMPARE(result.outcome, ScoringServer::StartResult::Outcome::ListenFailed);
        QCOMPARE(result.message, u"Error staring server on "_s + address);
        QVERIFY(!result.detail.isEmpty());
        QVERIFY(second.server().address().isEmpty());
        QVERIFY(!second.server().heartbeats().isActive());
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
        // After log-in: log-ins and lower-case words are dropped.
        s.send(u"JUDGEAUTH|Beam|Bo|3917|1|1"_s);
        s.send(u"DISPLAYAUTH|Main|3917|all"_s);
        s.send(u"clientbeat"_s);
        s.send(u"CLIENTBEAT"_s);
        QCOMPARE(s.next(), u"BEATRESPONSE"_s);
        s.send(u"GETSESSION|extra"_s);
        QCOMPARE(s.next(), u"SETSESSION|1|Saturday AM"_s);
        QCOMPARE(f.connectionRows(), 1);
        QCOMPARE(f.judgeLines().size(), 1);
        QVERIFY(s.pending().isEmpty());
    }

    void servicesGetTheLoggedInCommands() {
        TempMeet temp;
        AppState state(temp.folder());
        state.setPin(u"3917"_s);
        state.setPortNumber(u"0"_s);
        QVERIFY(state.openMeetFile(temp.createSampleMeet()));
        OperatorAlerts alerts;
        StationServer stations;
        RecordingServices services;
        ScoringServer server(state, alerts, stations, services);
        QVERIFY(server.start().ok());
        TestStation s(quint16(server.port()));
        QVERIFY(s.waitConnected());
        s.send(u"GYMNASTQUERY|101|x|y"_s); // not logged in yet: dropped
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, u"3917"_s), u"AUTHRESP|0|3"_s);
        const QStringList messages{u"GYMNASTQUERY|101"_s,        u"GETSQUADLIST|1|A|Vault"_s,
                                   u"SENDSCORE|101|Vault|9.5"_s, u"SENDSCORE2|101|2|9.4"_s,
                                   u"CONFIRMSCORE|101|Vault"_s,  u"AD_FILE_START|ad.jpg|10"_s};
        for (const QString& message : messages)
            s.send(message);
        s.send(u"CLIENTBEAT"_s);
        QCOMPARE(s.next(), u"BEATRESPONSE"_s);
        QCOMPARE(
            services.calls,
            (QStringList{u"start"_s, u"query GYMNASTQUERY|101"_s, u"squad GETSQUADLIST|1|A|Vault"_s,
                         u"score SENDSCORE|101|Vault|9.5"_s, u"score2 SENDSCORE2|101|2|9.4"_s,
                         u"confirm CONFIRMSCORE|101|Vault"_s, u"ad AD_FILE_START|ad.jpg|10"_s}));
        server.shutdown();
        QCOMPARE(services.calls.last(), u"stop"_s);
    }

    void endsOfConnections() {
        SERVER_FIXTURE(f);
        QSignalSpy removed(&f.server().registry(), &StationRegistry::stationRemoved);

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
        QCOMPARE(f.connectionRows(u"WHERE JudgeNumber = 1"_s), 1);
        QCOMPARE(removed.size(), 1);

        // The shutdown forgets everyone.
        f.server().shutdown();
        QCOMPARE(f.connectionRows(), 0);
        QVERIFY(f.judgeLines().isEmpty());
        QVERIFY(!f.server().isRunning());
        QVERIFY(one.waitDisconnected());
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
