#include "serverfixture.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Heartbeat rounds and the removal of stations that fell silent.
class TestServerHeartbeat : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answeringStationStaysSilentOnesGoTogether() {
        SERVER_FIXTURE(f);
        HeartbeatMonitor& heartbeats = f.server().heartbeats();
        heartbeats.setIntervals(300, 200);
        TestStation& live = f.station();
        live.setAnswerHeartbeats(true);
        TestStation& quiet = f.station();
        TestStation& mute = f.station(false);
        QCOMPARE(live.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        QCOMPARE(quiet.loginJudge(u"Beam"_s, u"Bo"_s, f.pin()), u"AUTHRESP|0|3"_s);
        QCOMPARE(mute.loginDisplay(u"Main"_s, f.pin()), u"AUTHRESP|0"_s);
        QSignalSpy removed(&f.server().registry(), &StationRegistry::stationRemoved);
        heartbeats.start();

        // Both silent stations leave at the same check.
        QTRY_COMPARE_WITH_TIMEOUT(removed.size(), 2, 10000);
        QCOMPARE(f.connectionRows(), 1);
        QCOMPARE(f.judgeLines(), QStringList{u"Vault (Judge #1: Ann) - 127.0.0.1"_s});
        QVERIFY(f.displayLines().isEmpty());
        QVERIFY(quiet.pending().contains(u"HEARTBEAT|2"_s));

        // The answering station lives through several more rounds.
        const int seen = live.heartbeatsSeen();
        QTRY_VERIFY_WITH_TIMEOUT(live.heartbeatsSeen() >= seen + 3, 10000);
        QCOMPARE(f.connectionRows(u"WHERE EventName = 'Vault'"_s), 1);
        QCOMPARE(removed.size(), 2);

        // Logged out, not disconnected: the silent station may log in again.
        QVERIFY(quiet.isConnected());
        quiet.clearReceived();
        QCOMPARE(quiet.loginJudge(u"Beam"_s, u"Bo"_s, f.pin()), u"AUTHRESP|0|3"_s);
    }

    void loginBetweenRoundAndCheckSurvives() {
        SERVER_FIXTURE(f);
        HeartbeatMonitor& heartbeats = f.server().heartbeats();
        heartbeats.stop();
        TestStation& early = f.station();
        QCOMPARE(early.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        heartbeats.heartbeatRound();
        QCOMPARE(early.next(), u"HEARTBEAT|1"_s);
        TestStation& late = f.station();
        QCOMPARE(late.loginJudge(u"Beam"_s, u"Bo"_s, f.pin()), u"AUTHRESP|0|3"_s);
        heartbeats.removeSilentStations();
        QCOMPARE(f.connectionRows(), 1);
        QCOMPARE(f.connectionRows(u"WHERE EventName = 'Beam' AND HeartBeat IS NULL"_s), 1);
        QCOMPARE(f.judgeLines(), QStringList{u"Beam (Judge #1: Bo) - 127.0.0.1"_s});
    }

    void replyMarksOnlyTheConnectionItCameOn() {
        SERVER_FIXTURE(f);
        HeartbeatMonitor& heartbeats = f.server().heartbeats();
        heartbeats.stop();
        TestStation& display1 = f.station();
        TestStation& judge = f.station();
        TestStation& display2 = f.station();
        QCOMPARE(display1.loginDisplay(u"Main"_s, f.pin()), u"AUTHRESP|0"_s);
        QCOMPARE(judge.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        QCOMPARE(display2.loginDisplay(u"Side"_s, f.pin(), u"Beam"_s), u"AUTHRESP|0"_s);
        QSignalSpy marks(&f.server(), &ScoringServer::activityMark);

        heartbeats.heartbeatRound();
        QCOMPARE(judge.next(), u"HEARTBEAT|2"_s);
        QCOMPARE(display2.next(), u"HEARTBEAT|3"_s);
        QCOMPARE(display1.next(), u"HEARTBEAT|1"_s);
        // The second display answers in the first display's name.
        display2.send(u"HEARTBEAT|1"_s);
        QVERIFY(marks.wait());
        QCOMPARE(marks.first().at(0).value<StationKind>(), StationKind::Display);
        QCOMPARE(marks.first().at(1).toInt(), 1);
        judge.send(u"HEARTBEAT|2"_s);
        QVERIFY(marks.wait());
        QCOMPARE(marks.last().at(0).value<StationKind>(), StationKind::Judge);
        QCOMPARE(marks.last().at(1).toInt(), 0);

        heartbeats.removeSilentStations();
        QCOMPARE(f.displayLines(), QStringList{u"Side(Beam) - 127.0.0.1"_s});
        QCOMPARE(f.connectionRows(u"WHERE SocketID IN (2, 3) AND HeartBeat = 1"_s), 2);
        QCOMPARE(f.connectionRows(), 2);
    }

    void missingHeartBeatColumnIsAddedByTheRound() {
        TempMeet temp;
        const QString file = temp.createSampleMeet();
        TempMeet::change(file, u"ALTER TABLE Connections DROP COLUMN HeartBeat"_s);
        SERVER_FIXTURE(f, file);
        f.server().heartbeats().stop();
        TestStation& s = f.station();
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        f.server().heartbeats().heartbeatRound();
        QCOMPARE(s.next(), u"HEARTBEAT|1"_s);
        QCOMPARE(f.connectionRows(u"WHERE HeartBeat = 0"_s), 1);
        QVERIFY(f.alerts().alerts().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestServerHeartbeat)
#include "tst_server_heartbeat.moc"
