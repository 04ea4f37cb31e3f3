#include "datarows.h"
#include "rawwebsocket.h"
#include "residentmemory.h"
#include "webmeetfixture.h"
#include "webteststation.h"

#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

using R = RawWebSocket;

// Clients of the WebSocket paths that break the rules: frames the protocol
// forbids, frames and messages over their size, pings without end, clients
// that stop reading, crowds that never log in. Each is cut off (or held to
// its share) and the server serves on.
class TestWebHostile : public QObject {
    Q_OBJECT

    struct Meet : WebMeetFixture {
        std::unique_ptr<R> client(const QString& path) {
            return std::make_unique<R>(web.port(), path);
        }
        // A raw client logged in as a judge of `event`.
        std::unique_ptr<R> judge(const QString& event) {
            auto raw = client(WebServer::StationPath);
            if (raw->waitUpgraded()) {
                raw->write(R::frame(R::Text, "JUDGEAUTH|" + event.toLatin1() + "|Raw|3917|1|1"));
                raw->waitReceived("AUTHRESP|0|");
            }
            return raw;
        }
        bool stillServes() {
            WebTestStation probe(web.port());
            return probe.loginDisplay(u"Probe"_s, f.pin()) == u"AUTHRESP|0"_s;
        }
    };

    // Writes `piece` again and again as the socket takes it, up to `most` bytes.
    static void keepWriting(R& client, const QByteArray& piece, qint64 most, qint64& written) {
        QObject::connect(&client.socket(), &QTcpSocket::bytesWritten, &client, [&, piece, most] {
            if (client.socket().bytesToWrite() < piece.size() && written < most) {
                client.write(piece);
                written += piece.size();
            }
        });
        client.write(piece);
        written += piece.size();
    }

private Q_SLOTS:
    void forbiddenFramesEndTheConnection_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("bytes");
        const QString station = WebServer::StationPath;
        const QString updates = WebServer::UpdatesPath;
        const QByteArray half(40 * 1024, 'x');
        QTest::newRow("unmasked") << station << R::frame(R::Text, "CLIENTBEAT", false);
        QTest::newRow("fragments over 64 KiB")
            << station << R::frame(R::Text, half, true, false) + R::frame(R::Continuation, half);
        QTest::newRow("a message to the updates") << updates << R::frame(R::Text, "{}");
        QTest::newRow("unmasked ping to the updates") << updates << R::frame(R::Ping, {}, false);
    }
    void forbiddenFramesEndTheConnection() {
        QFETCH(QString, path);
        QFETCH(QByteArray, bytes);
        Meet m;
        auto client = m.client(path);
        QVERIFY(client->waitUpgraded());
        client->write(bytes);
        QVERIFY(client->waitDisconnected());
        QVERIFY(m.stillServes());
    }

    // Frames cut anywhere, pings among them, are read as they come.
    void framesInPiecesAreServed() {
        Meet m;
        auto client = m.client(WebServer::StationPath);
        QVERIFY(client->waitUpgraded());
        const QByteArray bytes =
            R::frame(R::Ping, "a") + R::frame(R::Text, "DISPLAYAUTH|Hall|3917|all") +
            R::frame(R::Text, "CLIENT", true, false) + R::frame(R::Ping, QByteArray(125, 'p')) +
            R::frame(R::Continuation, QByteArray("BEAT"));
        qsizetype sent = 0;
        QTimer pieces;
        connect(&pieces, &QTimer::timeout, this, [&] {
            client->write(bytes.mid(sent, 3));
            sent += 3;
            if (sent >= bytes.size())
                pieces.stop();
        });
        pieces.start(1);
        QTRY_VERIFY(client->received().contains("BEATRESPONSE"));
        QVERIFY(client->isConnected());
    }

    // A frame announcing 300 MiB is refused by its header: the server holds
    // none of it.
    void aHugeFrameIsRefusedByItsHeader_data() {
        addDataRows<QString>({"path"}, {{WebServer::StationPath}, {WebServer::UpdatesPath}});
    }
    void aHugeFrameIsRefusedByItsHeader() {
        QFETCH(QString, path);
        Meet m;
        auto client = m.client(path);
        QVERIFY(client->waitUpgraded());
        const qint64 before = residentKiB();
        constexpr qint64 Huge = 300 * 1024 * 1024;
        client->write(R::frame(R::Binary, {}, true, true, Huge));
        qint64 written = 0;
        keepWriting(*client, QByteArray(1024 * 1024, 'x'), Huge, written);
        QVERIFY(client->waitDisconnected(20000));
        QVERIFY2(written < 64 * 1024 * 1024, qPrintable(QString::number(written)));
        QVERIFY(residentKiB() - before < 64 * 1024);
        QVERIFY(m.stillServes());
    }

    // The server answers every ping by itself: pings without end are cut off
    // before their answers pile up for a client that does not read them.
    void pingsWithoutEndAreCutOff_data() { aHugeFrameIsRefusedByItsHeader_data(); }
    void pingsWithoutEndAreCutOff() {
        QFETCH(QString, path);
        Meet m;
        auto client = path == WebServer::StationPath ? m.judge(u"Bars"_s) : m.client(path);
        QVERIFY(client->waitUpgraded());
        client->stopReading();
        qint64 written = 0;
        keepWriting(*client, R::frame(R::Ping, QByteArray(125, 'p')).repeated(512),
                    256 * 1024 * 1024, written);
        QVERIFY(client->waitDisconnected(20000));
        QVERIFY2(written < 16 * 1024 * 1024, qPrintable(QString::number(written)));
        QVERIFY(m.stillServes());
    }

    // One frame is one message: a line break inside is refused, and never
    // reaches a station that reads lines.
    void aFrameWithALineBreakIsRefused() {
        Meet m;
        TestStation& primary = m.f.judge(u"Bars"_s);
        WebTestStation secondary(m.web.port());
        QCOMPARE(secondary.loginJudge(u"Bars"_s, 2, m.f.pin()), u"AUTHRESP|0|3"_s);
        secondary.send(u"SENDSCORE2|101|2|Bars|9.100\nAUTHRESP|0|3"_s);
        secondary.send(u"CLIENTBEAT\r"_s);
        secondary.send(u"SENDSCORE2|101|2|Bars|9.200"_s);
        QCOMPARE(secondary.next(), u"SCORECONFIRM|0"_s);
        QCOMPARE(primary.next(), u"SECONDARYSCORE|2|9.200|"_s);
        QVERIFY(primary.pending().isEmpty());
        QCOMPARE(m.f.alerts().alerts().size(), 1);
        QVERIFY(m.f.alerts().alerts().constFirst().contains(u"holds a line break"_s));
    }
};

QTEST_GUILESS_MAIN(TestWebHostile)
#include "tst_web_hostile.moc"
