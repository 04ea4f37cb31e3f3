#include "rawclient.h"
#include "servedmeet.h"
#include "shell/openfilelimit.h"
#include "tempmeet.h"
#include "teststation.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr rlim_t ServerFiles = 160;
constexpr int DeadlineMs = 10000;

int openFiles(qint64 pid) {
    return int(QDir(u"/proc/%1/fd"_s.arg(pid))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

// The processor time `pid` has used, in milliseconds.
qint64 processorMs(qint64 pid) {
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    return ticks * 1000 / ::sysconf(_SC_CLK_TCK);
}

} // namespace

// `tallvane serve` with few file descriptors, its web port flooded with idle
// connections from several addresses until none are left.
class TestLoadDescriptors : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aFloodOfConnectionsLocksNoStationOut() {
        OpenFileLimit::raiseToHardLimit(); // the flood's own sockets
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        const auto server = ServedMeet::serve(meet, temp.folder(), {}, [] {
            const rlimit files{ServerFiles / 2, ServerFiles};
            ::setrlimit(RLIMIT_NOFILE, &files);
        });
        const QString target = server->waitListening();
        QVERIFY2(!target.isEmpty(), qPrintable(server->everything()));
        const quint16 port = quint16(target.section(u':', 1).toUInt());
        const quint16 webPort = quint16(QUrl(ServedMeet::webAddress(*server)).port());
        QVERIFY2(webPort > 0, qPrintable(server->everything()));
        const qint64 pid = server->process().processId();

        // The soft limit was raised to what the system allows the server.
        QFile limits(u"/proc/%1/limits"_s.arg(pid));
        QVERIFY(limits.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromLatin1(limits.readAll())
                    .contains(QRegularExpression(u"Max open files +160 +160 "_s)));

        TestStation judge(port);
        judge.setAnswerHeartbeats(true);
        QCOMPARE(judge.loginJudge(u"Bars"_s, u"Ann"_s, ServedMeet::Pin), u"AUTHRESP|0|3"_s);

        std::vector<std::unique_ptr<RawClient>> flood;
        for (const QString& from :
             {u"127.0.0.2"_s, u"127.0.0.3"_s, u"127.0.0.4"_s, u"127.0.0.7"_s}) {
            for (int i = 0; i < 64; ++i)
                flood.push_back(
                    std::make_unique<RawClient>(webPort, QString(), QHostAddress(from)));
        }
        // More connections than the server has descriptors.
        QTRY_VERIFY2_WITH_TIMEOUT(
            openFiles(pid) >= int(ServerFiles) - 1,
            qPrintable(u"%1 files open: "_s.arg(openFiles(pid)) + server->everything()),
            DeadlineMs);

        // Newcomers are turned away at once, for a second, while the server
        // idles and the logged-in judge scores on.
        const qint64 processorBefore = processorMs(pid);
        QElapsedTimer clock;
        clock.start();
        int refused = 0;
        while (clock.elapsed() < 1000) {
            RawClient newcomer(refused % 2 ? webPort : port, {}, QHostAddress(u"127.0.0.5"_s));
            QVERIFY(newcomer.waitClosed(DeadlineMs));
            ++refused;
            judge.send(u"SENDSCORE|101|2|1|Bars|9.1|9.1||||||10|0|9.1|9.100|0"_s);
            QCOMPARE(judge.next(), u"SCORECONFIRM|0"_s);
        }
        const qint64 busyMs = processorMs(pid) - processorBefore;
        QVERIFY2(busyMs * 2 < clock.elapsed(),
                 qPrintable(u"%1 ms busy in %2 ms"_s.arg(busyMs).arg(clock.elapsed())));

        // Once the flood is gone both ports accept again.
        flood.clear();
        QTRY_VERIFY_WITH_TIMEOUT(openFiles(pid) < int(ServerFiles) / 2, DeadlineMs);
        TestStation late(port);
        QVERIFY(late.waitConnected(DeadlineMs));
        QCOMPARE(late.loginJudge(u"Vault"_s, u"Bea"_s, ServedMeet::Pin), u"AUTHRESP|0|3"_s);
        RawClient page(webPort, {}, QHostAddress(u"127.0.0.6"_s));
        page.send("GET /api/meet HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(webPort) +
                  "\r\n\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(page.received().startsWith("HTTP/1.1 200"), DeadlineMs);
        QVERIFY(server->stop(SIGTERM));
        QVERIFY(server->everything().contains(u"turned connections away"_s));
    }
};

QTEST_GUILESS_MAIN(TestLoadDescriptors)
#include "tst_load_descriptors.moc"
