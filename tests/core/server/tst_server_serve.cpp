#include "tempmeet.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// A child process whose standard output is collected as it comes.
class Child {
public:
    Child(const QString& program, const QStringList& arguments, const QString& dataFolder) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TALLVANE_DATA_DIR"_s, dataFolder);
        mProcess.setProcessEnvironment(env);
        mProcess.start(program, arguments);
    }
    ~Child() {
        if (mProcess.state() != QProcess::NotRunning) {
            mProcess.kill();
            mProcess.waitForFinished();
        }
    }

    // Waits until the output holds `text`; returns the output so far.
    QString waitFor(const QString& text, int timeoutMs = 15000) {
        const QDeadlineTimer deadline(timeoutMs);
        while (!mOut.contains(text) && !deadline.hasExpired()) {
            if (!mProcess.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))) &&
                mProcess.state() == QProcess::NotRunning)
                break;
            mOut += QString::fromLocal8Bit(mProcess.readAllStandardOutput());
        }
        return mOut;
    }
    QString output() {
        mOut += QString::fromLocal8Bit(mProcess.readAllStandardOutput());
        return mOut;
    }
    QProcess& process() { return mProcess; }

private:
    QProcess mProcess;
    QString mOut;
};

const QString Serve = QStringLiteral(TALLVANE_BIN);
const QString Station = QStringLiteral(TALLVANE_STATION_BIN);

} // namespace

// `tallvane serve` and `tallvane-station` as the operator runs them.
class TestServerServe : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void servesStationsAndStopsOnSigterm() {
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        Child server(Serve, {u"serve"_s, meet, u"--port"_s, u"0"_s, u"--pin"_s, u"2468"_s},
                     temp.folder());
        const QString listening = server.waitFor(u"\n"_s);
        const QRegularExpressionMatch match =
            QRegularExpression(u"^Listening on (\\S+):(\\d+)\n"_s).match(listening);
        QVERIFY2(match.hasMatch(), qPrintable(listening));
        const QString target = u"127.0.0.1:"_s + match.captured(2);

        Child judge(Station, {target, u"--judge"_s, u"Vault"_s, u"1"_s, u"--pin"_s, u"2468"_s},
                    temp.folder());
        QVERIFY2(judge.waitFor(u"< AUTHRESP|0|3\n"_s).contains(u"< AUTHRESP|0|3"_s),
                 qPrintable(judge.output()));
        QVERIFY(server.waitFor(u"Judge station logged in: Vault (Judge #1: Judge 1) - 127.0.0.1"_s)
                    .contains(u"logged in"_s));

        QFile script(temp.path(u"display.txt"_s));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("# a display asking for the session\nGETSESSION\n");
        script.close();
        Child display(Station,
                      {target, u"--display"_s, u"Main"_s, u"Floor"_s, u"--pin"_s, u"2468"_s,
                       u"--line-mode"_s, u"--script"_s, script.fileName()},
                      temp.folder());
        QVERIFY2(display.waitFor(u"< SETSESSION|1|Saturday AM\n"_s)
                     .contains(u"< SETSESSION|1|Saturday AM"_s),
                 qPrintable(display.output()));
        QVERIFY(server.waitFor(u"Score display logged in: Main(Floor) - 127.0.0.1"_s)
                    .contains(u"Main(Floor)"_s));

        Child refused(Station, {target, u"--display"_s, u"Main"_s, u"--pin"_s, u"2468"_s},
                      temp.folder());
        QVERIFY(refused.process().waitForFinished(15000));
        QCOMPARE(refused.process().exitCode(), 3);
        QVERIFY(refused.output().contains(
            u"< AUTHRESP|1|Main is already logged into the scoring server."_s));

        server.process().terminate();
        QVERIFY(server.process().waitForFinished(15000));
        QCOMPARE(server.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.process().exitCode(), 0);
        QVERIFY(judge.waitFor(u"the server closed the connection"_s)
                    .contains(u"the server closed the connection"_s));
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
        Child first(Serve, arguments, temp.folder());
        QVERIFY(first.waitFor(u"Listening on"_s).contains(u"Listening on"_s));

        Child second(Serve, arguments, temp.folder());
        QVERIFY(second.process().waitForFinished(15000));
        QCOMPARE(second.process().exitCode(), 1);
        const QString refusal = QString::fromLocal8Bit(second.process().readAllStandardError());
        QVERIFY2(refusal.contains(u"process %1"_s.arg(first.process().processId())),
                 qPrintable(refusal));
        QCOMPARE(first.process().state(), QProcess::Running);

        first.process().kill();
        QVERIFY(first.process().waitForFinished(15000));
        Child third(Serve, arguments, temp.folder());
        QVERIFY(third.waitFor(u"Listening on"_s).contains(u"Listening on"_s));
    }

    void startProblemsAreErrors() {
        TempMeet temp;
        const QString missing = temp.path(u"missing.tallvane"_s);
        QProcess process;
        process.start(Serve, {u"serve"_s, missing});
        QVERIFY(process.waitForFinished(15000));
        QVERIFY(process.exitCode() != 0);
        QVERIFY(!QFile::exists(missing));
        QVERIFY(process.readAllStandardError().contains("does not exist"));

        process.start(Serve, {u"serve"_s, temp.createSampleMeet(), u"--port"_s, u"http"_s});
        QVERIFY(process.waitForFinished(15000));
        QVERIFY(process.exitCode() != 0);
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
