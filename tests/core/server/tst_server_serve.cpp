#include "childprogram.h"
#include "shell/settingsfile.h"
#include "tempmeet.h"

#include <QTest>

#include <signal.h>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString Serve = QStringLiteral(TALLVANE_BIN);
const QString Station = QStringLiteral(TALLVANE_STATION_BIN);
} // namespace

// `tallvane serve` and `tallvane-station` as the operator runs them.
class TestServerServe : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void servesStationsAndStopsCleanly_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void servesStationsAndStopsCleanly() {
        QFETCH(int, signal);
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        // --pin wins over the data folder's pin.txt, which it leaves alone.
        QVERIFY(SettingsFile::write(temp.path(u"pin.txt"_s), u"1111"_s));
        ChildProgram server(Serve, {u"serve"_s, meet, u"--port"_s, u"0"_s, u"--pin"_s, u"2468"_s},
                            temp.folder());
        const QString target = server.waitListening();
        QVERIFY2(!target.isEmpty(), qPrintable(server.everything()));

        ChildProgram judge(Station,
                           {target, u"--judge"_s, u"Vault"_s, u"1"_s, u"--pin"_s, u"2468"_s},
                           temp.folder());
        QVERIFY2(!judge.waitForLine(u"< AUTHRESP|0|3"_s).isEmpty(), qPrintable(judge.everything()));
        QVERIFY(
            !server.waitForLine(u"Judge station logged in: Vault (Judge #1: Judge 1) - 127.0.0.1"_s)
                 .isEmpty());
        ChildProgram display(Station,
                             {target, u"--display"_s, u"Main"_s, u"Floor"_s, u"--pin"_s, u"2468"_s,
                              u"--line-mode"_s},
                             temp.folder());
        QVERIFY(
            !server.waitForLine(u"Score display logged in: Main(Floor) - 127.0.0.1"_s).isEmpty());
        ChildProgram refused(Station, {target, u"--display"_s, u"Main"_s, u"--pin"_s, u"1111"_s},
                             temp.folder());
        QVERIFY(refused.process().waitForFinished(30000));
        QCOMPARE(refused.process().exitCode(), 3);
        QCOMPARE(refused.waitForLine(u"AUTHRESP"_s).mid(15), u"AUTHRESP|1|Invalid PIN"_s);

        QVERIFY2(server.stop(signal), qPrintable(server.everything()));
        QVERIFY(!judge.waitForLine(u"the server closed the connection"_s).isEmpty());
        QCOMPARE(SettingsFile::read(temp.path(u"pin.txt"_s)), u"1111"_s);
        MeetDatabase db;
        QVERIFY(db.open(meet));
        QCOMPARE(db.select(u"SELECT SocketID FROM Connections"_s).count(), 0);
    }

    // A second server on a served meet file is refused and the first serves on;
    // a killed server's lock does not keep the next one out.
    void oneServerPerMeetFile() {
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        const QStringList arguments{u"serve"_s, meet, u"--port"_s, u"0"_s};
        ChildProgram first(Serve, arguments, temp.folder());
        QVERIFY(!first.waitListening().isEmpty());

        const ChildProgram::Finished second = ChildProgram::runTallvane(arguments, temp.folder());
        QCOMPARE(second.status, 1);
        QVERIFY2(second.err.contains(u"process %1"_s.arg(first.process().processId())),
                 qPrintable(second.err));
        QCOMPARE(first.process().state(), QProcess::Running);

        first.process().kill();
        QVERIFY(first.process().waitForFinished(15000));
        ChildProgram third(Serve, arguments, temp.folder());
        QVERIFY(!third.waitListening().isEmpty());
    }

    void stationNeedsAServer() {
        QProcess process;
        process.start(Station,
                      {u"127.0.0.1:1"_s, u"--judge"_s, u"Vault"_s, u"1"_s, u"--pin"_s, u"1"_s});
        QVERIFY(process.waitForFinished(15000));
        QCOMPARE(process.exitCode(), 1);
        process.start(Station, {u"nowhere"_s});
        QVERIFY(process.waitForFinished(15000));
        QCOMPARE(process.exitCode(), 2);
    }
};

QTEST_GUILESS_MAIN(TestServerServe)
#include "tst_server_serve.moc"
