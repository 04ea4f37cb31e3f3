#include "firstrow.h"
#include "server/stationframing.h"
#include "serverfixture.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

using Mode = StationFraming::Mode;

// What stations send: received bytes cut into messages, and nothing a station
// sends may stop the server (after each attack a fresh station still logs in).
class TestServerHostile : public QObject {
    Q_OBJECT

    static void serverStillServes(ServerFixture& f, const QString& event) {
        TestStation& probe = f.station();
        QCOMPARE(probe.loginJudge(event, u"Probe"_s, f.pin()), u"AUTHRESP|0|3"_s);
        probe.send(u"CLIENTBEAT"_s);
        QCOMPARE(probe.next(), u"BEATRESPONSE"_s);
    }

    // Opens `count` connections that never log in; `closed` counts those the server ends.
    void connectIdle(ServerFixture& f, std::vector<std::unique_ptr<QTcpSocket>>& sockets,
                     int& closed, int count) {
        for (int i = 0; i < count; ++i) {
            sockets.push_back(std::make_unique<QTcpSocket>());
            connect(sockets.back().get(), &QTcpSocket::disconnected, this, [&closed] { ++closed; });
            sockets.back()->connectToHost(QHostAddress::LocalHost, f.port());
        }
    }

private Q_SLOTS:
    // Cutting received bytes into messages, without sockets.
    void reads_data() {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<QList<QByteArray>>("messages");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<qsizetype>("pending");
        using L = QList<QByteArray>;
        QTest::newRow("legacy: each read one message")
            << L{"CLIENTBEAT", "GETSESSION|x|y"} << L{"CLIENTBEAT", "GETSESSION|x|y"}
            << Mode::Legacy << qsizetype(0);
        QTest::newRow("legacy: a CR is kept")
            << L{"CLIENTBEAT\r"} << L{"CLIENTBEAT\r"} << Mode::Legacy << qsizetype(0);
        QTest::newRow("line: two messages in one read")
            << L{"CLIENTBEAT\nGETSESSION\n"} << L{"CLIENTBEAT", "GETSESSION"} << Mode::Line
            << qsizetype(0);
        QTest::newRow("line: CR LF and empty lines")
            << L{"A|1\r\n\r\n\nB\r\n"} << L{"A|1", "B"} << Mode::Line << qsizetype(0);
        QTest::newRow("line: a message split across reads")
            << L{"CLIENTBEAT\nJUDGEAUTH|Va", "ult|Ann|3917|1", "|1\nCLIENT"}
            << L{"CLIENTBEAT", "JUDGEAUTH|Vault|Ann|3917|1|1"} << Mode::Line << qsizetype(6);
        QTest::newRow("line for good after the first LF")
            << L{"A", "B\n", "C", "D\n"} << L{"A", "B", "CD"} << Mode::Line << qsizetype(0);
        QTest::newRow("CR only at the end of a read stays pending")
            << L{"A\nB\r", "\n"} << L{"A", "B"} << Mode::Line << qsizetype(0);
        QTest::newRow("every byte value survives")
            << L{QByteArray("\x00\x81\xff|\x7f\n", 6)} << L{QByteArray("\x00\x81\xff|\x7f", 5)}
            << Mode::Line << qsizetype(0);
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

    void sendsEndWithLineFeedOnlyInLineMode() {
        StationFraming framing;
        QCOMPARE(framing.frame("AUTHRESP|0|3"), QByteArray("AUTHRESP|0|3"));
        framing.feed("CLIENTBEAT\n");
        QCOMPARE(framing.frame("BEATRESPONSE"), QByteArray("BEATRESPONSE\n"));
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

    void malformedMessages_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray everyByte;
        for (int b = 0; b < 256; ++b)
            everyByte.append(char(b));
        QTest::newRow("empty fields") << QByteArray("JUDGEAUTH||||||\nDISPLAYAUTH\n|||\n");
        QTest::newRow("only separators") << QByteArray("||||||||\n");
        QTest::newRow("every byte value") << everyByte + '\n' + everyByte;
        static const char binaryLogin[] = "JUDGEAUTH|\x00\xff|\x81|3917|1|1\n";
        QTest::newRow("binary log-in") << QByteArray(binaryLogin, sizeof binaryLogin - 1);
        QTest::newRow("huge judge number") << QByteArray("JUDGEAUTH|V|A|3917|1|99999999999999\n");
        QTest::newRow("many fields") << QByteArray("DISPLAYAUTH" + QByteArray(100000, '|') + "\n");
    }

    void malformedMessages() {
        QFETCH(QByteArray, bytes);
        SERVER_FIXTURE(f);
        TestStation& attacker = f.station();
        attacker.sendRaw(bytes);
        serverStillServes(f, u"Vault"_s);
        QVERIFY(f.connectionRows() <= 2);
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
        QVERIFY(f.judgeLines().isEmpty());
        QTRY_VERIFY(!f.alerts().alerts().isEmpty());
        QVERIFY(legacy.isConnected());
        serverStillServes(f, u"Vault"_s);
    }

    void connectionLimit() {
        SERVER_FIXTURE(f);
        f.server().gate().setMaxWaitingPerAddress(1000); // all come from 127.0.0.1
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        int closed = 0;
        // In batches, so the listen queue of the system never overflows.
        for (int batch = 0; batch < 6; ++batch) {
            connectIdle(f, sockets, closed, 50);
            QTRY_COMPARE_WITH_TIMEOUT(f.server().stationServer().connectionCount() + closed,
                                      int(sockets.size()), 20000);
        }
        QCOMPARE(f.server().stationServer().connectionCount(), 256);
        QCOMPARE(closed, 44);
        QCOMPARE(f.alerts().alerts().size(), 1);
        // Those let in still count; once some leave, new stations get in.
        for (int i = 0; i < 10; ++i)
            sockets[size_t(i)]->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(f.server().stationServer().connectionCount(), 246, 20000);
        serverStillServes(f, u"Floor"_s);
        sockets.clear();
        QTRY_COMPARE_WITH_TIMEOUT(f.server().stationServer().connectionCount(), 1, 20000);
    }

    // Without the PIN nobody keeps connection slots: one address holds only so
    // many connections that have not logged in, and each has a time to log in.
    void connectionsThatNeverLogIn() {
        SERVER_FIXTURE(f);
        StationGate& gate = f.server().gate();
        gate.setMaxWaitingPerAddress(3);
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        int closed = 0;
        connectIdle(f, idle, closed, 5);
        QTRY_COMPARE(closed, 2);
        QCOMPARE(f.server().stationServer().connectionCount(), 3);
        QCOMPARE(f.alerts().alerts().size(), 1);
        idle.clear();
        QTRY_COMPARE(f.server().stationServer().connectionCount(), 0);

        TestStation& station = f.station();
        QCOMPARE(station.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
        gate.setLoginTimeout(100);
        closed = 0;
        connectIdle(f, idle, closed, 1);
        QTRY_COMPARE(closed, 1);
        station.send(u"CLIENTBEAT"_s);
        QCOMPARE(station.next(), u"BEATRESPONSE"_s);
    }

    // A station that asks for more than it reads has no more than the limit
    // waiting for it, and is disconnected when it goes on not reading.
    void stationThatDoesNotReadItsAnswers() {
        SERVER_FIXTURE(f);
        StationServer& server = f.server().stationServer();
        constexpr qint64 Limit = 1024 * 1024;
        server.setMaxPendingOutput(Limit);
        server.setOutputStallTimeout(300);
        QTcpSocket station;
        station.setReadBufferSize(4096);
        QSignalSpy opened(&server, &StationServer::connectionOpened);
        station.connectToHost(QHostAddress::LocalHost, f.port());
        QVERIFY(opened.wait());
        const ConnectionId id = opened.first().first().value<ConnectionId>();
        const QString answer(256 * 1024, u'x');
        for (int i = 0; i < 200; ++i) {
            server.sendData(id, answer);
            QVERIFY2(server.pendingOutput(id) <= Limit, qPrintable(QString::number(i)));
        }
        QTRY_VERIFY(!server.isConnected(id));
        QVERIFY(f.alerts().alerts().constLast().contains(u"did not read"_s));
        serverStillServes(f, u"Vault"_s);
    }

    // Connection ids are never reused, and what is sent to a connection that
    // is gone (or never was) goes nowhere, quietly.
    void connectionIdsAreNeverReused() {
        SERVER_FIXTURE(f);
        f.server().link().sendData(12345, u"HEARTBEAT|12345"_s);
        f.server().link().sendData(0, u"HEARTBEAT|0"_s);
        QList<int> ids;
        for (int i = 0; i < 3; ++i) {
            TestStation& s = f.station();
            QCOMPARE(s.loginJudge(u"Vault"_s, u"Ann"_s, f.pin()), u"AUTHRESP|0|3"_s);
            ids << firstRow(f.db(), u"SELECT SocketID FROM Connections"_s).value(0).toInt();
            QSignalSpy closed(&f.server().stationServer(), &StationServer::connectionClosed);
            s.socket().abort();
            QVERIFY(closed.wait());
            f.server().link().sendData(ids.last(), u"HEARTBEAT|1"_s);
            QCOMPARE(f.connectionRows(), 0);
        }
        QCOMPARE(ids, (QList<int>{1, 2, 3}));
    }
};

QTEST_GUILESS_MAIN(TestServerHostile)
#include "tst_server_hostile.moc"
