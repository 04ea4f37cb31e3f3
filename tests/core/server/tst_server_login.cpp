#include "serverfixture.h"

#include "shell/settingsfile.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Station log-in: PIN, duplicate rules, list lines, refusals of unusable input.
class TestServerLogin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void judgeRightAndWrongPin() {
        SERVER_FIXTURE(f);
        TestStation& s = f.station();
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, u"1234"_s), u"AUTHRESP|1|Invalid PIN"_s);
        QCOMPARE(f.connectionRows(), 0);
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        QCOMPARE(f.connectionRows(u"WHERE ConnectionsType = 'JUDGE' AND EventName = 'Vault' "
                                  "AND JudgeName = 'Ann' AND JudgeNumber = 1 "
                                  "AND IPAddress = '127.0.0.1' AND HeartBeat IS NULL"_s),
                 1);
        QCOMPARE(f.judgeLines(), QStringList{u"Vault (Judge #1: Ann) - 127.0.0.1"_s});
    }

    void duplicateRules_data() {
        QTest::addColumn<QString>("first");  // a log-in already in
        QTest::addColumn<QString>("second"); // the next one
        QTest::addColumn<QString>("reply");
        const QString pin = QString::fromLatin1(ServerFixture::Pin);
        auto judge = [&pin](const char* event, const char* mode, const char* number) {
            return u"JUDGEAUTH|%1|Judge|%2|%3|%4"_s.arg(QLatin1String(event), pin,
                                                        QLatin1String(mode), QLatin1String(number));
        };
        auto display = [&pin](const char* name) {
            return u"DISPLAYAUTH|%1|%2|all"_s.arg(QLatin1String(name), pin);
        };
        QTest::newRow("same judge number refused")
            << judge("Beam", "1", "2") << judge("Beam", "1", "2")
            << u"AUTHRESP|1|Judge 2 for event Beam is already logged into the scoring server."_s;
        QTest::newRow("other judge number accepted")
            << judge("Beam", "1", "2") << judge("Beam", "1", "3") << u"AUTHRESP|0|3"_s;
        QTest::newRow("second judge of event without numbers")
            << judge("Floor", "0", "1") << judge("Floor", "0", "2")
            << u"AUTHRESP|1|There is already a Floor judge logged into the scoring server."_s;
        QTest::newRow("event name in another letter case")
            << judge("Floor", "0", "1") << judge("floor", "0", "2")
            << u"AUTHRESP|1|There is already a floor judge logged into the scoring server."_s;
        QTest::newRow("display holding the event's name")
            << display("Bars") << judge("Bars", "0", "1")
            << u"AUTHRESP|1|There is already a Bars judge logged into the scoring server."_s;
        QTest::newRow("same display name")
            << display("Main") << display("Main")
            << u"AUTHRESP|1|Main is already logged into the scoring server."_s;
        QTest::newRow("display named like a judge's event")
            << judge("Vault", "1", "1") << display("Vault")
            << u"AUTHRESP|1|Vault is already logged into the scoring server."_s;
    }

    void duplicateRules() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, reply);
        SERVER_FIXTURE(f);
        TestStation& a = f.station();
        a.send(first);
        QVERIFY(a.next().startsWith(u"AUTHRESP|0"_s));
        TestStation& b = f.station();
        b.send(second);
        QCOMPARE(b.next(), reply);
        const bool accepted = reply.startsWith(u"AUTHRESP|0"_s);
        QCOMPARE(f.connectionRows(), accepted ? 2 : 1);
        QCOMPARE(f.judgeLines().size() + f.displayLines().size(), accepted ? 2 : 1);
    }

    void refusedEvenWhenTwoRowsAlreadyShareTheEvent() {
        // Rows left by an older program can share an event; a third station
        // must still be refused.
        SERVER_FIXTURE(f);
        for (int id : {9001, 9002})
            QVERIFY(f.db().execute(u"INSERT INTO Connections(SocketID, ConnectionsType, "
                                   "IPAddress, EventName, JudgeName, JudgeNumber) "
                                   "VALUES(?, 'JUDGE', '10.0.0.9', 'Vault', 'X', 1)"_s,
                                   {id}));
        TestStation& s = f.station();
        QCOMPARE(
            s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin(), u"1"_s, u"1"_s),
            u"AUTHRESP|1|Judge 1 for event Vault is already logged into the scoring server."_s);
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin(), u"0"_s, u"4"_s),
                 u"AUTHRESP|1|There is already a Vault judge logged into the scoring server."_s);
    }

    void displayLogins() {
        SERVER_FIXTURE(f);
        TestStation& old = f.station();
        old.send(u"DISPLAYAUTH|Lobby|0000"_s);
        QCOMPARE(old.next(),
                 u"AUTHRESP|1|You must upgrade this scoreboard client to version 1.3 or higher!"_s);
        old.send(u"DISPLAYAUTH|Lobby|"_s + f.pin());
        QCOMPARE(old.next(), u"AUTHRESP|0"_s);
        TestStation& newer = f.station();
        QCOMPARE(newer.loginDisplay(u"Main"_s, u"0000"_s), u"AUTHRESP|1|Invalid PIN"_s);
        QCOMPARE(newer.loginDisplay(u"Main"_s, f.pin(), u"all"_s), u"AUTHRESP|0"_s);
        TestStation& beam = f.station();
        QCOMPARE(beam.loginDisplay(u"Side"_s, f.pin(), u"Beam"_s), u"AUTHRESP|0"_s);
        QCOMPARE(f.displayLines(),
                 (QStringList{u"Lobby(NA) - 127.0.0.1"_s, u"Main(All) - 127.0.0.1"_s,
                              u"Side(Beam) - 127.0.0.1"_s}));
        QCOMPARE(f.connectionRows(u"WHERE ConnectionsType = 'DISPLAY' AND EventName = 'Lobby' "
                                  "AND JudgeName = 'NA' AND JudgeNumber IS NULL"_s),
                 1);
    }

    void judgeLineWithoutNumbers() {
        SERVER_FIXTURE(f);
        QCOMPARE(f.station().loginJudge(u"Bars"_s, u"O'Hara"_s, f.pin(), u"0"_s, u"7"_s),
                 u"AUTHRESP|0|3"_s);
        QCOMPARE(f.judgeLines(), QStringList{u"Bars (O'Hara) - 127.0.0.1"_s});
        QCOMPARE(f.connectionRows(u"WHERE JudgeName = ?"_s, {u"O'Hara"_s}), 1);
    }

    void unusableFieldsAreRefused_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reply");
        const QString pin = QString::fromLatin1(ServerFixture::Pin);
        const QString longName(101, u'x');
        QTest::newRow("mode not a number")
            << u"JUDGEAUTH|Vault|Ann|%1|one|1"_s.arg(pin)
            << u"AUTHRESP|1|The judge-number mode must be a whole number."_s;
        QTest::newRow("number not a number")
            << u"JUDGEAUTH|Vault|Ann|%1|1|2b"_s.arg(pin)
            << u"AUTHRESP|1|The judge number must be a whole number."_s;
        QTest::newRow("number beyond 32 bits")
            << u"JUDGEAUTH|Vault|Ann|%1|1|4294967296"_s.arg(pin)
            << u"AUTHRESP|1|The judge number must be a whole number."_s;
        QTest::newRow("fields missing")
            << u"JUDGEAUTH|Vault|Ann|%1"_s.arg(pin)
            << u"AUTHRESP|1|The judge-number mode must be a whole number."_s;
        QTest::newRow("event name too long")
            << u"JUDGEAUTH|%1|Ann|%2|1|1"_s.arg(longName, pin)
            << u"AUTHRESP|1|The event name is longer than 100 characters."_s;
        QTest::newRow("judge name too long")
            << u"JUDGEAUTH|Vault|%1|%2|1|1"_s.arg(longName, pin)
            << u"AUTHRESP|1|The judge name is longer than 100 characters."_s;
        QTest::newRow("display name too long")
            << u"DISPLAYAUTH|%1|%2|all"_s.arg(longName, pin)
            << u"AUTHRESP|1|The display name is longer than 100 characters."_s;
        QTest::newRow("no fields") << u"JUDGEAUTH"_s << u"AUTHRESP|1|Invalid PIN"_s;
    }

    void unusableFieldsAreRefused() {
        QFETCH(QString, message);
        QFETCH(QString, reply);
        SERVER_FIXTURE(f);
        TestStation& s = f.station();
        s.send(message);
        QCOMPARE(s.next(), reply);
        QCOMPARE(f.connectionRows(), 0);
        QVERIFY(f.judgeLines().isEmpty() && f.displayLines().isEmpty());
        // The station may try again, and the largest judge number is fine.
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin(), u"1"_s, u"2147483647"_s),
                 u"AUTHRESP|0|3"_s);
    }

    void setPinTakesAnyText() {
        SERVER_FIXTURE(f);
        QVERIFY(f.server().setPin(u"abc"_s));
        QCOMPARE(SettingsFile::read(f.state().pinFilePath()), u"abc"_s);
        TestStation& s = f.station();
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|1|Invalid PIN"_s);
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, u"abc"_s), u"AUTHRESP|0|3"_s);
    }

    void wrongPinsBlockTheAddressForAMinute() {
        SERVER_FIXTURE(f);
        qint64 now = 1'000'000;
        f.server().registry().setPinThrottle(PinThrottle([&now] { return now; }));
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

    void entryRemovalTakesTheFirstLineHoldingBothTexts() {
        SERVER_FIXTURE(f);
        QStringListModel* judges = f.server().judgeStations();
        judges->setStringList({u"Vault (Ann) - 10.0.0.12"_s, u"Beam (Bo) - 10.0.0.1"_s,
                               u"Vault (Cy) - 10.0.0.1"_s, u"Vault (Di) - 10.0.0.1"_s});
        StationRegistry& registry = f.server().registry();
        registry.removeJudgeEntry(u"10.0.0.1"_s, u"Vault"_s);
        QCOMPARE(judges->stringList(),
                 (QStringList{u"Beam (Bo) - 10.0.0.1"_s, u"Vault (Cy) - 10.0.0.1"_s,
                              u"Vault (Di) - 10.0.0.1"_s}));
        registry.removeJudgeEntry(u"10.0.0.7"_s, u"Vault"_s);
        QCOMPARE(judges->rowCount(), 3);
        f.server().scoreboards()->setStringList({u"Main(All) - 10.0.0.2"_s});
        registry.removeDisplayEntry(u"10.0.0.2"_s, u"Main"_s);
        QCOMPARE(f.server().scoreboards()->rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestServerLogin)
#include "tst_server_login.moc"
