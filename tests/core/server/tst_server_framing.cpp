#include "server/stationframing.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

using Mode = StationFraming::Mode;

// Cutting received bytes into messages, without sockets.
class TestServerFraming : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestServerFraming)
#include "tst_server_framing.moc"
