#include "datarows.h"
#include "firstrow.h"
#include "server/messagefields.h"
#include "server/stationframing.h"
#include "serverfixture.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

using Mode = StationFraming::Mode;
Q_DECLARE_METATYPE(Mode)

// What stations send: received bytes cut into messages, a message read as
// views of its fields, and nothing a station sends may stop the server (after
// each attack a fresh station still logs in).
class TestServerHostile : public QObject {
    Q_OBJECT

    static void serverStillServes(ServerFixture& f, const QString& event) {
        TestStation& probe = f.station();
        QCOMPARE(probe.loginJudge(event, u"Probe"_s, f.pin()), u"AUTHRESP|0|3"_s);
        probe.send(u"CLIENTBEAT"_s);
        QCOMPARE(probe.next(), u"BEATRESPONSE"_s);
    }

    // Opens `count` connections from 127.0.0.`host` that never log in;
    // `closed` counts those the server ends.
    void connectIdle(ServerFixture& f, std::vector<std::unique_ptr<QTcpSocket>>& sockets,
                     int& closed, int count, int host = 1) {
        for (int i = 0; i < count; ++i) {
            auto& socket = sockets.emplace_back(std::make_unique<QTcpSocket>());
            connect(socket.get(), &QTcpSocket::disconnected, this, [&closed] { ++closed; });
            socket->bind(QHostAddress(u"127.0.0.%1"_s.arg(host)));
            socket->connectToHost(QHostAddress::LocalHost, f.port());
        }
    }

private Q_SLOTS:
    // Cutting received bytes into messages, without sockets: each case's reads,
    // the messages they make, the mode it ends in and the bytes still pending.
    void reads_data() {
        using L = QList<QByteArray>;
        addDataRows<L, L, Mode, qsizetype>(
            {"reads", "messages", "mode", "pending"},
            {{{"CLIENTBEAT", "GETSESSION|x|y"}, {"CLIENTBEAT", "GETSESSION|x|y"}, Mode::Legacy, 0},
             {{"CLIENTBEAT\r"}, {"CLIENTBEAT\r"}, Mode::Legacy, 0}, // a CR is kept
             {{"CLIENTBEAT\nGETSESSION\n"}, {"CLIENTBEAT", "GETSESSION"}, Mode::Line, 0},
             {{"A|1\r\n\r\n\nB\r\n"}, {"A|1", "B"}, Mode::Line, 0}, // CR LF, empty lines
             {{"CLIENTBEAT\nJUDGEAUTH|Va", "ult|Ann|3917|1", "|1\nCLIENT"},
              {"CLIENTBEAT", "JUDGEAUTH|Vault|Ann|3917|1|1"},
              Mode::Line,
              6},
             {{"A", "B\n", "C", "D\n"}, {"A", "B", "CD"}, Mode::Line, 0}, // line mode for good
             {{"A\nB\r", "\n"}, {"A", "B"}, Mode::Line, 0}, // a CR ending a read stays pending
             {{QByteArray("\x00\x81\xff|\x7f\n", 6)},
              {QByteArray("\x00\x81\xff|\x7f", 5)},
              Mode::Line,
              0}});
    }

    void reads() {
        QFETCH(QList<QByteArray>, reads);
        QFETCH(QList<QByteArray>, messages);
        QFETCH(Mode, mode);
        QFETCH(qsizetype, pending);
        StationFraming framing;
        QList<QByteArray> got;
        for (const QByteArray& read : reads) {
            const StationFraming::Result result = framing.feed(read);
            QVERIFY(!result.overflow);
            got += result.messages;
        }
        QCOMPARE(got, messages);
        QCOMPARE(framing.mode(), mode);
        QCOMPARE(framing.pendingBytes(), pending);
    }

    // The fields read as the message split at "|": the same fields, an empty
    // field an empty text (stored as ''), a missing one a null text (stored as Null).
    void fieldsAreTheSplitMessage_data() {
        QTest::addColumn<QString>("message");
        for (const QString& message :
             {u""_s, u"CLIENTBEAT"_s, u"|"_s, u"SENDSCORE|101|"_s, u"||x||"_s,
              u"SENDSCORE|101|1|1|Vault|9.5|||||||10|0|9.5|9.5|9.4|||||||10|0|9.4|0"_s}) {
            QTest::newRow(qPrintable(message.isEmpty() ? u"empty"_s : message)) << message;
        }
    }
    void fieldsAreTheSplitMessage() {
        QFETCH(QString, message);
        const QStringList split = message.split(u'|');
        const MessageFields fields(message);
        QCOMPARE(fields.size(), split.size());
        QCOMPARE(fields.toList(), split);
        for (qsizetype i = 0; i <= split.size(); ++i) {
            QCOMPARE(fields.text(i).isNull(), split.value(i).isNull());
            QCOMPARE(fields.at(i), QStringView(split.value(i)));
        }
    }

    void pendingInputIsLimited() {
        StationFraming framing(16);
        // A legacy read within the limit is a message; a larger one overflows.
        QCOMPARE(framing.feed(QByteArray(16, 'x')).messages.size(), 1);
        QVERIFY(framing.feed(QByteArray(17, 'x')).overflow);
        // In line mode a partial line may grow up to the limit, not beyond.
        QVERIFY(!framing.feed(QByteArray("\n" + QByteArray(16, 'y'))).overflow);
        StationFraming::Result result = framing.feed("z");
        QVERIFY(result.overflow);
        QCOMPARE(framing.pendingBytes(), 0);
        // Complete lines of one big read are taken before the rest is judged.
        StationFraming lines(16);
        result = lines.feed(QByteArray("A\n" + QByteArray(10, 'b') + "\n" + QByteArray(10, 'c')));
        QVERIFY(!result.overflow);
        QCOMPARE(result.messages, (QList<QByteArray>{"A", QByteArray(10, 'b')}));
    }

    void malformedMessages() {
        QByteArray everyByte;
        for (int b = 0; b < 256; ++b)
            everyByte.append(char(b));
        static const char binaryLogin[] = "JUDGEAUTH|\x00\xff|\x81|3917|1|1\n";
        const QList<QByteArray> attacks{"JUDGEAUTH||||||\nDISPLAYAUTH\n|||\n",
                                        "||||||||\n",
                                        everyByte + '\n' + everyByte,
                                        QByteArray(binaryLogin, sizeof binaryLogin - 1),
                                        "JUDGEAUTH|V|A|3917|1|99999999999999\n",
                                        "DISPLAYAUTH" + QByteArray(100000, '|') + "\n"};
        for (const QByteArray& bytes : attacks) {
            SERVER_FIXTURE(f);
            f.station().sendRaw(bytes);
            serverStillServes(f, u"Vault"_s);
            QVERIFY(f.connectionRows() <= 2);
        }
    }

    void floodWithoutLineEnd() {
        SERVER_FIXTURE(f);
        // Legacy station: every read is one unknown message, dropped.
        TestStation& legacy = f.station(false);
        legacy.sendRaw(QByteArray(1024 * 1024, 'x'));
        // Line station: more than 1 MiB without a line end closes it.
        TestStation& line = f.station();
        QCOMPARE(line.loginJudge(u"Beam"_s, u"Bo"_s, f.pin()), u"AUTHRESP|0|3"_s);
        line.sendRaw(QByteArray(1024 * 1024 + 10, 'y'));
        QVERIFY(line.waitDisconnected(10000));
        QTRY_COMPARE(f.connectionRows(), 0);
        QTRY_VERIFY(!f.alerts().alerts().isEmpty());
        QVERIFY(f.judgeLines().isEmpty());
        QVERIFY(legacy.isConnected());
        serverStillServes(f, u"Vault"_s);
    }

    // Without the PIN nobody keeps connection slots: one address holds only so
    // many connections that have not logged in, and all together only 256.
    void connectionLimits() {
        SERVER_FIXTURE(f);
        StationServer& server = f.meet().stations();
        f.server().setLoginLimits(StationGate::DefaultMaxWaiting, 3);
        int closed = 0; // outlives the sockets, which count into it as they go
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        connectIdle(f, sockets, closed, 5);
        QTRY_COMPARE(closed, 2);
        QCOMPARE(server.connectionCount(), 3);
        QCOMPARE(f.alerts().alerts().size(), 1);
        sockets.clear();
        QTRY_COMPARE(server.connectionCount(), 0);

        f.server().setLoginLimits(1000, 1000); // all come from 127.0.0.1
        closed = 0;
        // In batches, so the listen queue of the system never overflows.
        for (int batch = 0; batch < 6; ++batch) {
            connectIdle(f, sockets, closed, 50);
            QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount() + closed, int(sockets.size()),
                                      20000);
        }
        QCOMPARE(server.connectionCount(), 256);
        QCOMPARE(closed, 44);
        QCOMPARE(f.alerts().alerts().size(), 2);
        // Those let in still count; once some leave, new stations get in.
        for (int i = 0; i < 10; ++i)
            sockets[size_t(i)]->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 246, 20000);
        serverStillServes(f, u"Floor"_s);
        sockets.clear();
        QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 1, 20000);
    }

    // Connections that have not logged in hold 64 slots at most, from however
    // many addresses: the oldest goes for each new one, and a judge with the
    // PIN still gets in.
    void waitingConnectionsHoldAShareOfTheSlots() {
        SERVER_FIXTURE(f);
        StationServer& server = f.meet().stations();
        int closed = 0; // outlives the sockets, which count into it as they go
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        for (const auto& [host, count] : {std::pair{2, 32}, {3, 32}, {4, 6}}) {
            connectIdle(f, sockets, closed, count, host);
            QTRY_COMPARE(server.connectionCount() + closed, int(sockets.size()));
        }
        QTRY_COMPARE(closed, 6);
        QCOMPARE(server.connectionCount(), StationGate::DefaultMaxWaiting);
        serverStillServes(f, u"Bars"_s);
        QCOMPARE(server.connectionCount(), StationGate::DefaultMaxWaiting);
        QCOMPARE(closed, 7);
        QCOMPARE(f.alerts().alerts().size(), 1);
    }

    // A station logged out for silence must log in again within the time
    // limit, like a new connection.
    void aSilentStationLoggedOutMustLogInAgainInTime() {
        SERVER_FIXTURE(f);
        f.server().setHeartbeatIntervals(100, 50);
        f.server().setLoginTimeout(300);
        TestStation& silent = f.station();
        QCOMPARE(silent.loginJudge(u"Beam"_s, u"Bo"_s, f.pin()), u"AUTHRESP|0|3"_s);
        QTRY_COMPARE(f.connectionRows(), 0);
        QVERIFY(silent.waitDisconnected());
    }

    // What a station sends reaches an alert cut short and without control
    // characters, and a line break never reaches another station.
    void stationTextsInAlertsAndRelays() {
        SERVER_FIXTURE(f);
        TestStation& floor = f.judge(u"Floor"_s);
        const QString longValue = u"\x01"_s + QString(100'000, u'x');
        floor.send(u"SENDSCORE|%1|3|1|Floor|9|9|9||||||10|0|9|9.000|0"_s.arg(longValue));
        QTRY_VERIFY(!f.alerts().alerts().isEmpty());
        const QString alert = f.alerts().alerts().constFirst();
        QVERIFY2(alert.contains(QString(80, u'x')), qPrintable(alert));
        QVERIFY(!alert.contains(QString(81, u'x')));
        QVERIFY(!alert.contains(u'\x01'));
        f.alerts().clear();

        TestStation& judge = f.judge(u"Bars"_s);

        TestStation& secondary = f.station(false);
        QCOMPARE(secondary.loginJudge(u"Bars"_s, u"Bo"_s, f.pin(), u"1"_s, u"2"_s),
                 u"AUTHRESP|0|3"_s);
        secondary.send(u"SENDSCORE2|101|2\rAUTHRESP|Bars|9.100"_s);
        QCOMPARE(secondary.next(), u"SCORECONFIRM|0"_s);
        secondary.send(u"SENDSCORE2|101|2|Bars|9.200"_s);
        QCOMPARE(judge.next(), u"SECONDARYSCORE|2|9.200|"_s);
        QVERIFY(judge.pending().isEmpty());
        QVERIFY(f.alerts().alerts().constLast().contains(u"SECONDARYSCORE was not sent"_s));
    }

    // Answers that the kernel cannot take at once wait for the station and
    // still reach it whole and in order, later ones never overtaking them.
    void answersThatWaitArriveWholeAndInOrder() {
        SERVER_FIXTURE(f);
        f.meet().stations().setMaxPendingOutput(64 * 1024 * 1024);
        TestStation& s = f.station();
        QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        const auto id = ConnectionId(
            firstRow(f.db(), u"SELECT SocketID FROM Connections"_s).value(0).toLongLong());
        constexpr int Answers = 64;
        const auto answer = [](int i) -> QString {
            return u"%1|"_s.arg(i) + QString(256 * 1024, QChar(u'a' + i % 26));
        };
        for (int i = 0; i < Answers; ++i)
            f.meet().stations().sendData(id, answer(i));
        QVERIFY(f.meet().stations().pendingOutput(id) > 0);
        for (int i = 0; i < Answers; ++i)
            QCOMPARE(s.next(), answer(i));
    }

    // Connection ids are never reused, and what is sent to a connection that
    // is gone (or never was) goes nowhere, quietly.
    void connectionIdsAreNeverReused() {
        SERVER_FIXTURE(f);
        f.meet().stations().sendData(12345, u"HEARTBEAT|12345"_s);
        f.meet().stations().sendData(0, u"HEARTBEAT|0"_s);
        QList<int> ids;
        for (int i = 0; i < 3; ++i) {
            TestStation& s = f.station();
            QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
            ids << firstRow(f.db(), u"SELECT SocketID FROM Connections"_s).value(0).toInt();
            QSignalSpy closed(&f.meet().stations(), &StationServer::connectionClosed);
            s.socket().abort();
            QVERIFY(closed.wait());
            f.meet().stations().sendData(ids.last(), u"HEARTBEAT|1"_s);
            QCOMPARE(f.connectionRows(), 0);
        }
        QCOMPARE(ids, (QList<int>{1, 2, 3}));
    }
};

QTEST_GUILESS_MAIN(TestServerHostile)
#include "tst_server_hostile.moc"
