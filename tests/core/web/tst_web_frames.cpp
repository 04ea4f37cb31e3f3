#include "datarows.h"
#include "rawclient.h"
#include "residentmemory.h"
#include "web/websocketframereader.h"
#include "web/websocketframes.h"
#include "webmeetfixture.h"
#include "webteststation.h"

#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

using R = RawClient;
using Reader = WebSocketFrameReader;

// The WebSocket as a browser station's connection speaks it: the frames the
// server builds, and the client's frames read back from bytes cut anywhere,
// or refused, first without a socket. Then clients of the WebSocket paths
// that break the rules: frames the protocol forbids, frames and messages over
// their size, pings without end, clients that stop reading. Each is cut off
// and the server serves on.
class TestWebFrames : public QObject {
    Q_OBJECT

    static constexpr Reader::Limits Limits{64 * 1024, 64 * 1024};

    // The events as one text: "T:..." for a text, "B:<size>", "P:<payload>", "C".
    static QStringList describe(const QList<Reader::Event>& events) {
        QStringList texts;
        for (const Reader::Event& e : events) {
            using E = Reader::Event;
            texts << (e.kind == E::Text     ? u"T:"_s + e.text
                      : e.kind == E::Binary ? u"B:"_s + QString::number(e.bytes.size())
                      : e.kind == E::Ping   ? u"P:"_s + QString::fromLatin1(e.bytes)
                                            : u"C"_s);
        }
        return texts;
    }

    struct Meet : WebMeetFixture {
        std::unique_ptr<R> client(const QString& path) {
            return std::make_unique<R>(web.port(), path);
        }
        // A raw client logged in as a judge of `event`.
        std::unique_ptr<R> judge(const QString& event) {
            auto raw = client(WebServer::StationPath);
            if (raw->waitUpgraded()) {
                raw->send(R::frame(R::Text, "JUDGEAUTH|" + event.toLatin1() + "|Raw|3917|1|1"));
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
                client.send(piece);
                written += piece.size();
            }
        });
        client.send(piece);
        written += piece.size();
    }

private Q_SLOTS:
    void serverFramesTakeTheShortestHeader_data() {
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("empty") << qsizetype(0) << QByteArray("\x81\x00", 2);
        QTest::newRow("125") << qsizetype(125) << QByteArray("\x81\x7d");
        QTest::newRow("126") << qsizetype(126) << QByteArray("\x81\x7e\x00\x7e", 4);
        QTest::newRow("65535") << qsizetype(65535) << QByteArray("\x81\x7e\xff\xff");
        QTest::newRow("65536") << qsizetype(65536)
                               << QByteArray("\x81\x7f\x00\x00\x00\x00\x00\x01\x00\x00", 10);
    }
    void serverFramesTakeTheShortestHeader() {
        QFETCH(qsizetype, length);
        QFETCH(QByteArray, header);
        const QString text(length, u'x');
        QCOMPARE(WebSocketFrames::text(text), QByteArray(header + text.toUtf8()));
    }

    void textIsUtf8AndControlFramesCarryTheirPayload() {
        const QString text = u"Zo\u00eb M\u00fcller \u2013 9.500 \U0001F938"_s;
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(WebSocketFrames::text(text),
                 QByteArray(QByteArray("\x81") + char(utf8.size()) + utf8));
        QCOMPARE(WebSocketFrames::control(WebSocketFrames::Pong, "abc"), QByteArray("\x8a\x03"
                                                                                    "abc"));
    }

    // Fragments with a ping between them, cut into pieces of every size.
    void clientFramesAreReadInAnyPieces() {
        const QString name = u"Zo\u00eb"_s;
        const QByteArray bytes =
            R::frame(R::Text, "CLIENTBEAT") + R::frame(R::Ping, "a") +
            R::frame(R::Text, "JUDGEAUTH|", true, false) + R::frame(R::Ping, QByteArray(125, 'p')) +
            R::frame(R::Continuation, name.toUtf8()) +
            R::frame(R::Binary, QByteArray(70000 / 2, 'b')) + R::frame(R::Text, {}) +
            R::frame(0x8, "\x03\xe8") + R::frame(R::Text, "after the close");
        const QStringList expected{u"T:CLIENTBEAT"_s,
                                   u"P:a"_s,
                                   u"P:"_s + QString(125, u'p'),
                                   u"T:JUDGEAUTH|"_s + name,
                                   u"B:35000"_s,
                                   u"T:"_s,
                                   u"C"_s};
        for (qsizetype piece : {qsizetype(1), qsizetype(3), qsizetype(7), bytes.size()}) {
            Reader reader(Limits);
            QList<Reader::Event> events;
            for (qsizetype at = 0; at < bytes.size(); at += piece) {
                const Reader::Result result = reader.feed(
                    QByteArrayView(bytes).sliced(at).first(std::min(piece, bytes.size() - at)));
                QVERIFY2(result.breach.isEmpty(), qPrintable(result.breach));
                events += result.events;
            }
            QCOMPARE(describe(events), expected);
        }
    }

    void brokenFramesEndTheReading_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("breach");
        const QByteArray half(40 * 1024, 'x');
        QTest::newRow("unmasked") << R::frame(R::Text, "CLIENTBEAT", false) << u"without a mask"_s;
        QTest::newRow("reserved bit") << R::frame(0x40 | R::Text, "x") << u"reserved bits"_s;
        QTest::newRow("reserved opcode") << R::frame(0x3, "x") << u"unknown kind 3"_s;
        QTest::newRow("reserved control") << R::frame(0xb, "x") << u"unknown kind 11"_s;
        QTest::newRow("continuation first") << R::frame(R::Continuation, "x") << u"not begun"_s;
        QTest::newRow("message inside a message")
            << R::frame(R::Text, "a", true, false) + R::frame(R::Text, "b") << u"before ending"_s;
        QTest::newRow("control in pieces") << R::frame(R::Ping, "a", true, false) << u"in pieces"_s;
        QTest::newRow("control over 125")
            << R::frame(R::Ping, QByteArray(126, 'p')) << u"over 125 bytes"_s;
        QTest::newRow("frame over its limit")
            << R::frame(R::Binary, {}, true, true, 300 * 1024 * 1024) << u"over 65536"_s;
        QTest::newRow("message over its limit")
            << R::frame(R::Text, half, true, false) + R::frame(R::Continuation, half)
            << u"message of over 65536"_s;
        QTest::newRow("not UTF-8") << R::frame(R::Text, "9.5 \xff\xfe") << u"not UTF-8"_s;
        QTest::newRow("UTF-8 cut short") << R::frame(R::Text, "Zo\xc3") << u"not UTF-8"_s;
    }
    void brokenFramesEndTheReading() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, breach);
        Reader reader(Limits);
        const Reader::Result result = reader.feed(QByteArray(R::frame(R::Text, "first") + bytes));
        QVERIFY2(result.breach.contains(breach), qPrintable(result.breach));
        QCOMPARE(describe(result.events).value(0), u"T:first"_s);
        // Nothing after a breach is read.
        QVERIFY(reader.feed(R::frame(R::Text, "later")).events.isEmpty());
    }

    void forbiddenFramesEndTheConnection_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("bytes");
        const QString station = WebServer::StationPath;
        const QString updates = WebServer::UpdatesPath;
        const QByteArray half(40 * 1024, 'x');
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
        client->send(bytes);
        QVERIFY(client->waitClosed());
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
            client->send(bytes.mid(sent, 3));
            sent += 3;
            if (sent >= bytes.size())
                pieces.stop();
        });
        pieces.start(1);
        QTRY_VERIFY(client->received().contains("BEATRESPONSE"));
        QVERIFY(client->connected());
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
        const qint64 before = residentKiB(QCoreApplication::applicationPid());
        constexpr qint64 Huge = 300 * 1024 * 1024;
        client->send(R::frame(R::Binary, {}, true, true, Huge));
        qint64 written = 0;
        keepWriting(*client, QByteArray(1024 * 1024, 'x'), Huge, written);
        QVERIFY(client->waitClosed(20000));
        QVERIFY2(written < 64 * 1024 * 1024, qPrintable(QString::number(written)));
        QVERIFY(residentKiB(QCoreApplication::applicationPid()) - before < 64 * 1024);
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
        client->setReading(false);
        qint64 written = 0;
        keepWriting(*client, R::frame(R::Ping, QByteArray(125, 'p')).repeated(512),
                    256 * 1024 * 1024, written);
        QVERIFY(client->waitClosed(20000));
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

QTEST_GUILESS_MAIN(TestWebFrames)
#include "tst_web_frames.moc"
