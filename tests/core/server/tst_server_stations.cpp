#include "datarows.h"
#include "serverfixture.h"

#include "shell/settingsfile.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Stations logging in and out: PIN, duplicate rules, list lines, refusals of
// unusable input, heartbeats.
class TestServerStations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void judgeAndDisplayLogins() {
        SERVER_FIXTURE(f);
        QCOMPARE(f.station().loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        QCOMPARE(f.connectionRows(u"WHERE ConnectionsType = 'JUDGE' AND EventName = 'Vault' "
                                  "AND JudgeName = 'Ann' AND JudgeNumber = 1 "
                                  "AND IPAddress = '127.0.0.1' AND HeartBeat IS NULL"_s),
                 1);
        // Without judge numbers the line names the judge alone.
        QCOMPARE(f.station().loginJudge(u"Bars"_s, u"O'Hara"_s, f.pin(), u"0"_s, u"7"_s),
                 u"AUTHRESP|0|3"_s);
        QCOMPARE(f.judgeLines(), (QStringList{u"Vault (Judge #1: Ann) - 127.0.0.1"_s,
                                              u"Bars (O'Hara) - 127.0.0.1"_s}));
        QCOMPARE(f.connectionRows(u"WHERE JudgeName = ?"_s, {u"O'Hara"_s}), 1);

        // Displays: an old one sends no event, a newer one names its event.
        TestStation& old = f.station();
        old.send(u"DISPLAYAUTH|Lobby|0000"_s);
        QCOMPARE(old.next(),
                 u"AUTHRESP|1|You must upgrade this scoreboard client to version 1.3 or higher!"_s);
        old.send(u"DISPLAYAUTH|Lobby|"_s + f.pin());
        QCOMPARE(old.next(), u"AUTHRESP|0"_s);
        QCOMPARE(f.station().loginDisplay(u"Main"_s, f.pin(), u"all"_s), u"AUTHRESP|0"_s);
        QCOMPARE(f.station().loginDisplay(u"Side"_s, f.pin(), u"Beam"_s), u"AUTHRESP|0"_s);
        QCOMPARE(f.displayLines(),
                 (QStringList{u"Lobby(NA) - 127.0.0.1"_s, u"Main(All) - 127.0.0.1"_s,
                              u"Side(Beam) - 127.0.0.1"_s}));
        QCOMPARE(f.connectionRows(u"WHERE ConnectionsType = 'DISPLAY' AND EventName = 'Lobby' "
                                  "AND JudgeName = 'NA' AND JudgeNumber IS NULL"_s),
                 1);

        // A new PIN may be any text; it is saved and the old one no longer works.
        QVERIFY(f.server().setPin(u"abc"_s));
        QCOMPARE(SettingsFile::read(f.state().pinFilePath()), u"abc"_s);
        QCOMPARE(f.station().loginJudge(u"Beam"_s, u"Ann"_s, f.pin()), u"AUTHRESP|1|Invalid PIN"_s);
        QCOMPARE(f.station().loginJudge(u"Beam"_s, u"Ann"_s, u"abc"_s), u"AUTHRESP|0|3"_s);
    }

    // A log-in already in ("J event mode number" or "D name"), the next one, and
    // the reply to the next.
    void duplicateRules_data() {
        addDataRows<QString, QString, QString>(
            {"first", "second", "reply"},
            {{u"J Beam 1 2"_s, u"J Beam 1 2"_s,
              u"AUTHRESP|1|Judge 2 for event Beam is already logged into the scoring server."_s},
             {u"J Beam 1 2"_s, u"J Beam 1 3"_s, u"AUTHRESP|0|3"_s},
             {u"J Floor 0 1"_s, u"J Floor 0 2"_s,
              u"AUTHRESP|1|There is already a Floor judge logged into the scoring server."_s},
             {u"J Floor 0 1"_s, u"J floor 0 2"_s,
              u"AUTHRESP|1|There is already a floor judge logged into the scoring server."_s},
             {u"D Bars"_s, u"J Bars 0 1"_s,
              u"AUTHRESP|1|There is already a Bars judge logged into the scoring server."_s},
             {u"D Main"_s, u"D Main"_s,
              u"AUTHRESP|1|Main is already logged into the scoring server."_s},
             {u"J Vault 1 1"_s, u"D Vault"_s,
              u"AUTHRESP|1|Vault is already logged into the scoring server."_s}});
    }

    void duplicateRules() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, reply);
        SERVER_FIXTURE(f);
        const auto login = [&f](const QString& who) {
            const QStringList w = who.split(u' ');
            return w[0] == u"D"_s ? f.station().loginDisplay(w[1], f.pin())
                                  : f.station().loginJudge(w[1], u"Judge"_s, f.pin(), w[2], w[3]);
        };
        QVERIFY(login(first).startsWith(u"AUTHRESP|0"_s));
        QCOMPARE(login(second), reply);
        const int stations = reply.startsWith(u"AUTHRESP|0"_s) ? 2 : 1;
        QCOMPARE(f.connectionRows(), stations);
        QCOMPARE(f.judgeLines().size() + f.displayLines().size(), stations);
    }

    void refusedEvenWhenTwoRowsAlreadyShareTheEvent() {
        // Rows left by an older program can share an event; a third station
        // must still be refused.
        SERVER_FIXTURE(f);
        f.run(u"INSERT INTO Connections(SocketID, ConnectionsType, IPAddress, EventName, "
              "JudgeName, JudgeNumber) VALUES(9001, 'JUDGE', '10.0.0.9', 'Vault', 'X', 1), "
              "(9002, 'JUDGE', '10.0.0.9', 'Vault', 'X', 1)"_s);
        TestStation& s = f.station();
        QCOMPARE(
            s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin(), u"1"_s, u"1"_s),
            u"AUTHRESP|1|Judge 1 for event Vault is already logged into the scoring server."_s);
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin(), u"0"_s, u"4"_s),
                 u"AUTHRESP|1|There is already a Vault judge logged into the scoring server."_s);
    }

    // Each refusal leaves no trace, and the station may try again.
    void unusableFieldsAreRefused() {
        SERVER_FIXTURE(f);
        TestStation& s = f.station();
        const QString mode = u"AUTHRESP|1|The judge-number mode must be a whole number."_s;
        const QString number = u"AUTHRESP|1|The judge number must be a whole number."_s;
        const QString tooLong = u"AUTHRESP|1|The %1 name is longer than 100 characters."_s;
        const QString event = u"AUTHRESP|1|The event must be Vault, Bars, Beam or Floor."_s;
        const QString range = u"AUTHRESP|1|The judge number must be from 1 to 7."_s;
        const QList<std::pair<QString, QString>> cases{
            {u"JUDGEAUTH|Vault|Ann|PIN|one|1"_s, mode},
            {u"JUDGEAUTH|Vault|Ann|PIN"_s, mode},
            {u"JUDGEAUTH|Vault|Ann|PIN|1|2b"_s, number},
            {u"JUDGEAUTH|Vault|Ann|PIN|1|4294967296"_s, number},
            {u"JUDGEAUTH|Vault|Ann|PIN|1|-7"_s, range},
            {u"JUDGEAUTH|Vault|Ann|PIN|0|0"_s, range},
            {u"JUDGEAUTH|Vault|Ann|PIN|1|8"_s, range},
            {u"JUDGEAUTH|Pommel|Ann|PIN|1|1"_s, event},
            {u"JUDGEAUTH|LONG|Ann|PIN|1|1"_s, event},
            {u"JUDGEAUTH|Vault|LONG|PIN|1|1"_s, tooLong.arg(u"judge"_s)},
            {u"DISPLAYAUTH|LONG|PIN|all"_s, tooLong.arg(u"display"_s)},
            {u"JUDGEAUTH"_s, u"AUTHRESP|1|Invalid PIN"_s}};
        for (auto [message, reply] : cases) {
            s.send(message.replace(u"PIN"_s, f.pin()).replace(u"LONG"_s, QString(101, u'x')));
            QCOMPARE(s.next(), reply);
        }
        QCOMPARE(f.connectionRows(), 0);
        QVERIFY(f.judgeLines().isEmpty());
        QVERIFY(f.displayLines().isEmpty());
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin(), u"1"_s, u"7"_s), u"AUTHRESP|0|3"_s);
    }

    void wrongPinsBlockTheAddressForAMinute() {
        SERVER_FIXTURE(f);
        qint64 now = 1'000'000;
        f.server().setPinThrottle(PinThrottle([&now] { return now; }));
        TestStation& s = f.station();
        // A mistake older than a minute no longer counts: five in all, but
        // only four within the minute, do not block.
        QCOMPARE(s.loginJudge(u"Vault"_s, u"A"_s, u"0000"_s), u"AUTHRESP|1|Invalid PIN"_s);
        now += 61'000;
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(s.loginJudge(u"Vault"_s, u"A"_s, u"0000"_s), u"AUTHRESP|1|Invalid PIN"_s);
            now += 1'000;
        }
        QVERIFY(f.alerts().alerts().isEmpty());
        // The fifth within the minute blocks: even the right PIN is refused.
        QCOMPARE(s.loginDisplay(u"Main"_s, u"1111"_s), u"AUTHRESP|1|Invalid PIN"_s);
        QCOMPARE(f.alerts().alerts().size(), 1);
        QVERIFY(f.alerts().alerts().first().contains(u"127.0.0.1"_s));
        QCOMPARE(s.loginJudge(u"Vault"_s, u"A"_s, f.pin()), u"AUTHRESP|1|Invalid PIN"_s);
        s.send(u"DISPLAYAUTH|Main|"_s + f.pin());
        QCOMPARE(s.next(), u"AUTHRESP|1|Invalid PIN"_s);
        QCOMPARE(f.connectionRows(), 0);
        now += 60'000;
        QCOMPARE(s.loginJudge(u"Vault"_s, u"A"_s, f.pin()), u"AUTHRESP|0|3"_s);
    }

    // Wrong PINs from many addresses, a few each: once more than five a minute
    // come in all, a device that has not logged in before has its PIN looked
    // at once in ten seconds, and one that has gets in at once.
    void guessingFromManyAddressesIsSlowedForAll() {
        SERVER_FIXTURE(f);
        qint64 now = 1'000'000;
        f.server().setPinThrottle(PinThrottle([&now] { return now; }));
        const QString invalid = u"AUTHRESP|1|Invalid PIN"_s;
        // A log-in from another machine (any address of 127.0.0.0/8): its answer.
        auto from = [&f](int host, const QString& pin) {
            TestStation station(f.port(), true, QHostAddress(u"127.0.0.%1"_s.arg(host)));
            return station.loginJudge(u"Beam"_s, u"G"_s, pin);
        };
        {
            TestStation& tablet = f.judge(u"Bars"_s);
            tablet.socket().abort();
            QTRY_COMPARE(f.connectionRows(), 0);
        }
        for (int host = 2; host <= 7; ++host)
            QCOMPARE(from(host, u"0000"_s), invalid);
        QCOMPARE(f.alerts().alerts().size(), 1);
        QVERIFY(f.alerts().alerts().first().contains(u"guessing the station PIN: 6 wrong PINs"_s));

        // The right PIN from a new device waits for the next turn.
        QCOMPARE(from(20, f.pin()), invalid);
        // The judge's tablet that logged in before is back within 2 s.
        TestStation& tablet = f.station();
        tablet.send(u"JUDGEAUTH|Bars|Judge 1|%1|1|1"_s.arg(f.pin()));
        QCOMPARE(tablet.next(2000), u"AUTHRESP|0|3"_s);
        now += PinThrottle::GuessCheckMs;
        QCOMPARE(from(20, f.pin()), u"AUTHRESP|0|3"_s);
        QCOMPARE(from(21, f.pin()), invalid); // the turn is taken
        QCOMPARE(f.alerts().alerts().size(), 1);
    }

    // However many addresses guess, and however they pace it, at most six
    // PINs a minute are looked at: 4,326 in 12 hours, fewer than the 5,000
    // that find one of 10,000 PINs half the time.
    void guessingTakesLongerThanAMeetDay_data() {
        QTest::addColumn<qint64>("pauseMs");
        QTest::addColumn<int>("burst");
        QTest::newRow("flat out") << qint64(50) << 10;
        QTest::newRow("under the alarm, then quiet") << PinThrottle::WindowMs + 1 << 6;
        QTest::newRow("one a turn") << PinThrottle::GuessCheckMs << 1;
    }
    void guessingTakesLongerThanAMeetDay() {
        QFETCH(qint64, pauseMs);
        QFETCH(int, burst);
        qint64 now = 0;
        PinThrottle throttle([&now] { return now; });
        int address = 0;
        int checked = 0;
        constexpr qint64 Day = 12 * 3600 * 1000;
        for (; now < Day; now += pauseMs) {
            for (int i = 0; i < burst; ++i) {
                const QString device = QString::number(++address);
                if (throttle.mayCheck(device)) {
                    ++checked;
                    throttle.recordWrongPin(device);
                }
            }
        }
        QVERIFY2(checked <= 12 * 60 * 6 + 6, qPrintable(QString::number(checked)));
    }

    void entryRemovalTakesTheFirstLineHoldingBothTexts() {
        SERVER_FIXTURE(f);
        StationRegistry registry(f.state().meetDb(), {}, f.meet().stations(), f.alerts());
        QStringListModel* judges = registry.judgeStations();
        judges->setStringList({u"Vault (Ann) - 10.0.0.12"_s, u"Beam (Bo) - 10.0.0.1"_s,
                               u"Vault (Cy) - 10.0.0.1"_s, u"Vault (Di) - 10.0.0.1"_s});
        registry.removeJudgeEntry(u"10.0.0.1"_s, u"Vault"_s);
        QCOMPARE(judges->stringList(),
                 (QStringList{u"Beam (Bo) - 10.0.0.1"_s, u"Vault (Cy) - 10.0.0.1"_s,
                              u"Vault (Di) - 10.0.0.1"_s}));
        registry.removeJudgeEntry(u"10.0.0.7"_s, u"Vault"_s);
        QCOMPARE(judges->rowCount(), 3);
        registry.scoreboards()->setStringList({u"Main(All) - 10.0.0.2"_s});
        registry.removeDisplayEntry(u"10.0.0.2"_s, u"Main"_s);
        QCOMPARE(registry.scoreboards()->rowCount(), 0);
    }

    // A reply marks the connection it came on, whatever id it names.
    void replyMarksOnlyTheConnectionItCameOn() {
        SERVER_FIXTURE(f);
        ScoringServer& server = f.server();
        server.stopHeartbeats();
        TestStation& display1 = f.station();
        TestStation& judge = f.station();
        TestStation& display2 = f.station();
        QCOMPARE(display1.loginDisplay(u"Main"_s, f.pin()), u"AUTHRESP|0"_s);
        QCOMPARE(judge.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        QCOMPARE(display2.loginDisplay(u"Side"_s, f.pin(), u"Beam"_s), u"AUTHRESP|0"_s);
        QSignalSpy marks(&f.server(), &ScoringServer::activityMark);

        server.heartbeatRound();
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

        // A station that logs in between the round and the check stays.
        QCOMPARE(f.station().loginJudge(u"Beam"_s, u"Bo"_s, f.pin()), u"AUTHRESP|0|3"_s);

        server.removeSilentStations();
        QCOMPARE(f.displayLines(), QStringList{u"Side(Beam) - 127.0.0.1"_s});
        QCOMPARE(f.judgeLines(), (QStringList{u"Vault (Judge #1: Ann) - 127.0.0.1"_s,
                                              u"Beam (Judge #1: Bo) - 127.0.0.1"_s}));
        QCOMPARE(f.connectionRows(u"WHERE SocketID IN (2, 3) AND HeartBeat = 1"_s), 2);
        QCOMPARE(f.connectionRows(u"WHERE SocketID = 4 AND HeartBeat IS NULL"_s), 1);
        QCOMPARE(f.connectionRows(), 3);
    }

    void missingHeartBeatColumnIsAddedByTheRound() {
        TempMeet temp;
        const QString file = temp.createSampleMeet();
        TempMeet::change(file, u"ALTER TABLE Connections DROP COLUMN HeartBeat"_s);
        SERVER_FIXTURE(f, file);
        f.server().stopHeartbeats();
        TestStation& s = f.station();
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        f.server().heartbeatRound();
        QCOMPARE(s.next(), u"HEARTBEAT|1"_s);
        QCOMPARE(f.connectionRows(u"WHERE HeartBeat = 0"_s), 1);
        QVERIFY(f.alerts().alerts().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestServerStations)
#include "tst_server_stations.moc"
