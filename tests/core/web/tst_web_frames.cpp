#include "rawwebsocket.h"
#include "web/websocketframereader.h"
#include "web/websocketframes.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

using R = RawWebSocket;
using Reader = WebSocketFrameReader;

// The WebSocket as a browser station's connection speaks it, without a
// socket: the frames the server builds, and the client's frames read back
// from bytes cut anywhere, or refused.
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

private Q_SLOTS:
    void theOpeningProvesTheKey() {
        // The example of the protocol's own definition.
        const QByteArray answer = WebSocketFrames::opening("dGhlIHNhbXBsZSBub25jZQ==");
        QVERIFY(answer.startsWith("HTTP/1.1 101 Switching Protocols\r\n"));
        QVERIFY(answer.contains("\r\nSec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n"));
        QVERIFY(answer.endsWith("\r\n\r\n"));
    }

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

    void textIsUtf8AndBytesStayBytes() {
        const QString text = u"Zo\u00eb M\u00fcller \u2013 9.500 \U0001F938"_s;
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(WebSocketFrames::text(text),
                 QByteArray(QByteArray("\x81") + char(utf8.size()) + utf8));
        QByteArray bytes;
        for (int b = 0; b < 256; ++b)
            bytes.append(char(b));
        QCOMPARE(WebSocketFrames::binary(bytes),
                 QByteArray(QByteArray("\x82\x7e\x01\x00", 4) + bytes));
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
};

QTEST_GUILESS_MAIN(TestWebFrames)
#include "tst_web_frames.moc"
