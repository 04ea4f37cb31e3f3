#include "rawclient.h"
#include "web/httprequest.h"
#include "webmeetfixture.h"

#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray get(const QByteArray& path, quint16 port, const QByteArray& extra = {}) {
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n" +
           extra + "\r\n";
}

} // namespace

// The web port's HTTP side against clients that break its rules: what each
// may hold of the server is bounded, and the judges' stations go on.
class TestWebHttp : public QObject {
    Q_OBJECT

    struct Meet : WebMeetFixture {
        quint16 port() const { return web.port(); }
    };

private Q_SLOTS:
    void parserKeepsToItsLimits_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("size");
        using S = HttpRequestParser::Status;
        const QByteArray one = "GET /a HTTP/1.1\r\nHost: x\r\n\r\n";
        QTest::newRow("unfinished") << one.chopped(2) << int(S::Incomplete) << 0;
        QTest::newRow("HTTP/1.1 without Host")
            << QByteArray("GET / HTTP/1.1\r\n\r\n") << int(S::Bad) << 0;
        QTest::newRow("HTTP/2") << QByteArray("GET / HTTP/2\r\nHost: x\r\n\r\n") << int(S::Bad)
                                << 0;
        QTest::newRow("two lengths")
            << QByteArray("GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n"
                          "Content-Length: 5\r\n\r\n")
            << int(S::Bad) << 0;
        QTest::newRow("blank before colon")
            << QByteArray("GET / HTTP/1.1\r\nHost : x\r\n\r\n") << int(S::Bad) << 0;
    }
    void parserKeepsToItsLimits() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(int, size);
        const HttpRequestParser::Result result = HttpRequestParser::parse(bytes);
        QCOMPARE(int(result.status), status);
        QCOMPARE(int(result.size), size);
    }

    // Each breach gets its answer (a head or request line too long: 431) and
    // the connection is closed; a client that goes on sending is cut off long
    // before it has sent what it meant to (it may then see the connection
    // reset before the answer).
    void breachesCloseTheConnection_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("flood"); // bytes sent after them, in steps
        QTest::addColumn<int>("status");   // 0: not looked at
        const QByteArray header = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX: ";
        const QByteArray length = "POST /api/meet HTTP/1.1\r\nHost: h\r\n"
                                  "Content-Length: 4611686018427387904\r\n\r\n";
        QTest::newRow("request line")
            << "GET /" + QByteArray(HttpRequestParser::MaxRequestLine, 'a') << qint64(0) << 431;
        QTest::newRow("header") << header + QByteArray(
                                                HttpRequestParser::MaxHead - header.size() + 2, 'a')
                                << qint64(0) << 431;
        QTest::newRow("huge length") << length << qint64(0) << 413;
        QTest::newRow("chunked") << QByteArray("GET / HTTP/1.1\r\nHost: h\r\n"
                                               "Transfer-Encoding: chunked\r\n\r\n")
                                 << qint64(0) << 413;
        QTest::newRow("not HTTP") << QByteArray("\x16\x03\x01\x02\x00\r\n\r\n", 9) << qint64(0)
                                  << 400;
        QTest::newRow("50 MiB request line") << QByteArray("GET /") << qint64(50 << 20) << 0;
        QTest::newRow("50 MiB header") << header << qint64(50 << 20) << 0;
        QTest::newRow("body of 2^62 bytes") << length << qint64(50 << 20) << 0;
    }
    void breachesCloseTheConnection() {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, flood);
        QFETCH(int, status);
        Meet m;
        RawClient client(m.port());
        client.send(bytes);
        const QByteArray step(1 << 20, 'a');
        qint64 sent = 0;
        QTimer feeding;
        QObject::connect(&feeding, &QTimer::timeout, &feeding, [&] {
            if (sent < flood && client.connected() && client.socket().bytesToWrite() < (4 << 20)) {
                client.send(step);
                sent += step.size();
            }
        });
        feeding.start(0);
        QVERIFY(client.waitClosed());
        if (status != 0)
            QCOMPARE(client.status(), status);
        QVERIFY(sent < flood || flood == 0);
        QTRY_COMPARE(m.web.connectionCount(), 0);
    }

    // A head must come whole within its time, even a byte at a time; a
    // kept-alive connection is let go when its client falls silent.
    void slowAndSilentClientsAreLetGo() {
        Meet m;
        m.web.setLimits({.headTimeoutMs = 300, .idleTimeoutMs = 300});
        RawClient trickle(m.port());
        QTimer feeding;
        QObject::connect(&feeding, &QTimer::timeout, &feeding, [&] { trickle.send("X"); });
        trickle.send("GET / HTTP/1.1\r\nX-Slow: ");
        feeding.start(20);
        RawClient silent(m.port());
        silent.send(get("/api/meet", m.port()));
        QCOMPARE(silent.status(), 200);
        QVERIFY(trickle.waitClosed());
        QVERIFY(silent.waitClosed());
        RawClient mute(m.port());
        QVERIFY(mute.waitClosed());
    }

    // "Connection: close" and HTTP/1.0 end the connection after the answer;
    // HTTP/1.1 keeps it for the next request. HEAD is GET without the body.
    void connectionsEndAsTheClientAsks() {
        Meet m;
        RawClient old(m.port());
        old.send("GET /api/meet HTTP/1.0\r\n\r\n");
        QVERIFY(old.waitClosed());
        QCOMPARE(old.status(), 200);
        RawClient closing(m.port());
        closing.send(get("/api/meet", m.port(), "Connection: close\r\n"));
        QVERIFY(closing.waitClosed());
        QCOMPARE(closing.status(), 200);

        // The GET's head follows the HEAD's answer at once: the same head, no body.
        RawClient kept(m.port());
        kept.send(QByteArray(get("/judge", m.port())).replace("GET", "HEAD") +
                  get("/judge", m.port()) + get("/api/meet", m.port()));
        QCOMPARE(kept.status(2), 200);
        const QByteArray head = kept.received().left(kept.received().indexOf("\r\n\r\n") + 4);
        QVERIFY(head.startsWith("HTTP/1.1 200 OK\r\n"));
        QVERIFY(kept.received().mid(head.size()).startsWith(head));
        QVERIFY(kept.connected());
    }

    // Answers to requests that are never read wait up to the cap; no more
    // requests are read meanwhile, and all are answered once the client reads.
    void unreadAnswersAreCapped() {
        Meet m;
        constexpr qint64 Cap = 1 << 20;
        constexpr int Requests = 400;
        const QByteArray answer(64 * 1024, 'x');
        int answered = 0;
        m.web.addRoute(u"/big"_s, [&](const HttpRequest&) {
            ++answered;
            return WebServer::Reply(answer, "text/plain");
        });
        m.web.setLimits({.maxPendingOutput = Cap});
        RawClient client(m.port());
        client.setReading(false);
        QByteArray requests;
        for (int i = 0; i < Requests; ++i)
            requests += get("/big", m.port());
        client.send(requests);
        qint64 mostWaiting = 0;
        QTimer watching;
        QObject::connect(&watching, &QTimer::timeout, &watching,
                         [&] { mostWaiting = std::max(mostWaiting, m.web.pendingOutput()); });
        watching.start(1);
        QTRY_VERIFY_WITH_TIMEOUT(m.web.pendingOutput() >= Cap, 10000);
        QVERIFY(answered < Requests);

        client.setReading(true);
        QTRY_COMPARE_WITH_TIMEOUT(answered, Requests, 20000);
        QVERIFY(mostWaiting <= Cap + answer.size() + 1024);
    }

    // One address holds at most its share of connections; others and the
    // stations are served meanwhile, and the operator hears of it once.
    void oneAddressHoldsItsShare() {
        Meet m;
        std::vector<std::unique_ptr<RawClient>> held;
        for (int i = 0; i < WebServer::DefaultMaxConnectionsPerAddress; ++i)
            held.push_back(std::make_unique<RawClient>(m.port()));
        QTRY_COMPARE(m.web.connectionCount(), WebServer::DefaultMaxConnectionsPerAddress);
        for (int i = 0; i < 2; ++i) {
            RawClient refused(m.port());
            QVERIFY(refused.waitClosed());
            QCOMPARE(refused.received(), QByteArray());
        }
        QCOMPARE(m.f.alerts().alerts().filter(u"Web connections from 127.0.0.1"_s).size(), 1);
        RawClient other(m.port(), {}, QHostAddress(u"127.0.0.2"_s));
        other.send(get("/api/meet", m.port()));
        QCOMPARE(other.status(), 200);
        QVERIFY(m.f.judge(u"Vault"_s).isConnected());
        held.clear();
        QTRY_COMPARE(m.web.connectionCount(), 1);
        RawClient again(m.port());
        again.send(get("/api/meet", m.port()));
        QCOMPARE(again.status(), 200);
    }

    // Requests must name this server; a WebSocket's Origin must be a page of
    // it. A name of another site that leads here (DNS rebinding) is refused
    // though Host and Origin agree.
    void onlyThisServersNamesAreServed_data() {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QByteArray>("origin"); // empty: a plain GET of "/"
        QTest::addColumn<int>("status");
        QTest::newRow("own address") << QByteArray("127.0.0.1:%") << QByteArray() << 200;
        QTest::newRow("localhost") << QByteArray("localhost:%") << QByteArray() << 200;
        QTest::newRow("added name") << QByteArray("Scores.Gym:%") << QByteArray() << 200;
        QTest::newRow("other name") << QByteArray("evil.example:%") << QByteArray() << 421;
        QTest::newRow("other port") << QByteArray("127.0.0.1:1") << QByteArray() << 421;
        QTest::newRow("no port") << QByteArray("127.0.0.1") << QByteArray() << 421;
        QTest::newRow("station, own page")
            << QByteArray("127.0.0.1:%") << QByteArray("http://127.0.0.1:%") << 101;
        QTest::newRow("station, added name")
            << QByteArray("scores.gym:%") << QByteArray("http://scores.gym:%") << 101;
        QTest::newRow("station, rebound name")
            << QByteArray("evil.example:%") << QByteArray("http://evil.example:%") << 421;
        QTest::newRow("station, other site")
            << QByteArray("127.0.0.1:%") << QByteArray("http://evil.example:%") << 403;
        QTest::newRow("station, other port")
            << QByteArray("127.0.0.1:%") << QByteArray("http://127.0.0.1:8080") << 403;
    }
    void onlyThisServersNamesAreServed() {
        QFETCH(QByteArray, host);
        QFETCH(QByteArray, origin);
        QFETCH(int, status);
        Meet m;
        m.web.setExtraHostNames({u"scores.gym"_s});
        const QByteArray port = QByteArray::number(m.port());
        QByteArray request = origin.isEmpty() ? "GET / HTTP/1.1\r\n" : "GET /station HTTP/1.1\r\n";
        request += "Host: " + host.replace("%", port) + "\r\n";
        if (!origin.isEmpty())
            request += "Origin: " + origin.replace("%", port) +
                       "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                       "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                       "Sec-WebSocket-Version: 13\r\n";
        RawClient client(m.port());
        client.send(request + "\r\n");
        QCOMPARE(client.status(), status);
    }

    // Clients that go away in the middle of things leave nothing on stderr.
    void ordinaryClosesAreNotWarnedOf() {
        Meet m;
        static int warnings = 0;
        warnings = 0;
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
                if (type != QtDebugMsg && type != QtInfoMsg)
                    ++warnings;
            });
        {
            std::vector<std::unique_ptr<RawClient>> clients;
            for (int i = 0; i < 20; ++i) {
                clients.push_back(std::make_unique<RawClient>(m.port()));
                QByteArray requests;
                for (int r = 0; r < 50; ++r)
                    requests += get("/js/panel.js", m.port());
                clients.back()->send(requests.left(requests.size() - i * 7));
            }
            QTRY_COMPARE(m.web.connectionCount(), 20);
            for (auto& client : clients)
                client->socket().abort();
        }
        QTRY_COMPARE(m.web.connectionCount(), 0);
        qInstallMessageHandler(previous);
        QCOMPARE(warnings, 0);
    }
};

QTEST_GUILESS_MAIN(TestWebHttp)
#include "tst_web_http.moc"
