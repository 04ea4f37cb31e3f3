#include "childprogram.h"
#include "datarows.h"
#include "shell/appstate.h"
#include "shell/settingsfile.h"
#include "tempmeet.h"
#include "transferfiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>

#include <signal.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Serve = QStringLiteral(TALLVANE_BIN);
const QString Station = QStringLiteral(TALLVANE_STATION_BIN);

// A transfer file of one meet and one level.
QByteArray meetFile(const QString& levelText = u"4"_s) {
    using TransferFiles::record;
    return TransferFiles::file(
        {{u"Meets"_s, {record(u"Meets"_s, 1, u"MeetID=1|Name=Fall/Winter Cup"_s)}},
         {u"Levels"_s, {record(u"Levels"_s, 1, u"Level="_s + levelText)}}});
}

} // namespace

// The `tallvane` commands (and `tallvane-station`) run as the operator runs them.
class TestShellCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What the `tallvane` command answers, by its exit status: 0 done (said on
    // stdout), 1 failed, 2 wrong arguments (said on stderr). The help's own
    // answers are held against the manual below.
    void commandLine() {
        const QList<std::tuple<QStringList, int, QString>> cases{
            {{u"--version"_s}, 0, u"tallvane "_s + QString::fromLatin1(TALLVANE_VERSION)},
            {{u"--version"_s}, 0, u"(GPL-3.0-or-later)"_s},
            {{u"exprot"_s, u"spring.tallvane"_s, u"spring.rxt"_s},
             2,
             u"serve, import, export, results, history, startlist, awards, judgesheets and publish"_s},
            {{u"--bogus"_s}, 2, u"--bogus"_s},
            {{u"@meet"_s, u"b.tallvane"_s}, 2, u"only one meet file"_s},
            {{u"serve"_s}, 2, u"MEETFILE"_s},
            {{u"serve"_s, u"@meet"_s, u"--pim"_s, u"1"_s}, 2, u"pim"_s},
            {{u"serve"_s, u"@meet"_s, u"--port"_s, u"http"_s}, 2, u"http is not a port number"_s},
            {{u"serve"_s, u"@missing"_s}, 1, u"does not exist"_s},
            {{u"serve"_s, u"@meet"_s, u"--display-seconds"_s, u"50"_s},
             2,
             u"50 is not a display time"_s},
            {{u"import"_s}, 2, u"import"_s},
            {{u"import"_s, u"x.rxt"_s, u"--forse"_s}, 2, u"--forse"_s},
            {{u"export"_s, u"@meet"_s}, 2, u"export"_s},
            {{u"publish"_s, u"@meet"_s, u"@site"_s, u"--session"_s, u"9"_s}, 1, u"no session 9"_s},
            {{u"publish"_s, u"@meet"_s, u"@site"_s, u"--session"_s, u"x"_s},
             2,
             u"not a session number"_s},
            {{u"publish"_s, u"@meet"_s}, 2, u"usage:"_s},
            {{u"publish"_s, u"@meet"_s, u"@meet/site"_s}, 1, u"does not exist"_s},
            {{u"publish"_s, u"@meet"_s, u"@folder"_s}, 1, u"not published results"_s},
            {{u"serve"_s, u"@meet"_s, u"--publish"_s, u"@site"_s, u"--publish-every"_s, u"0"_s},
             2,
             u"0 is not a number of seconds"_s},
            {{u"serve"_s, u"@meet"_s, u"--publish-every"_s, u"5"_s}, 2, u"need --publish"_s},
            {{u"serve"_s, u"@meet"_s, u"--publish"_s, u""_s}, 2, u"needs the folder"_s},
            {{u"serve"_s, u"@meet"_s, u"--publish"_s, u"@folder"_s},
             1,
             u"not published results"_s}};
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        for (auto [arguments, status, said] : cases) {
            arguments.replaceInStrings(u"@meet"_s, meet);
            arguments.replaceInStrings(u"@missing"_s, temp.path(u"missing.tallvane"_s));
            arguments.replaceInStrings(u"@site"_s, temp.path(u"site"_s));
            arguments.replaceInStrings(u"@folder"_s, temp.folder());
            const ChildProgram::Finished run = ChildProgram::runTallvane(arguments, temp.folder());
            QVERIFY2(run.status == status,
                     qPrintable(arguments.join(u' ') + u": "_s + run.out + run.err));
            QVERIFY2((status == 0 ? run.out : run.err).contains(said),
                     qPrintable(arguments.join(u' ') + u": "_s + run.out + run.err));
        }
        QVERIFY(!QFile::exists(temp.path(u"missing.tallvane"_s))); // never created
        QVERIFY(!QFile::exists(temp.path(u"site"_s))); // a refused site leaves no folder
    }

    // The help says what the manual's command-line page says: every line of
    // its synopsis, and for each command every option the page gives it.
    void helpFollowsTheManual() {
        QFile page(QStringLiteral(TALLVANE_SOURCE_DIR "/docs/command-line.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(page.readAll());
        const qsizetype start = manual.indexOf(u"<pre>"_s) + 5;
        const QStringList synopsis =
            manual.mid(start, manual.indexOf(u"</pre>"_s) - start).split(u'\n');
        QVERIFY(synopsis.size() >= 6);
        const TempMeet temp;
        const ChildProgram::Finished overview =
            ChildProgram::runTallvane({u"--help"_s}, temp.folder());
        static const QRegularExpression option(u"--[a-z-]+"_s);
        for (const QString& line : synopsis) {
            QVERIFY2(overview.out.contains(line), qPrintable(line));
            const QString command = line.section(u' ', 1, 1);
            if (!line.contains(u"--"_s) || command.isEmpty() || !command.front().isLower())
                continue;
            const ChildProgram::Finished help =
                ChildProgram::runTallvane({command, u"--help"_s}, temp.folder());
            QCOMPARE(help.status, 0);
            QVERIFY2(help.out.startsWith(u"Usage: "_s + line + u'\n'), qPrintable(help.out));
            for (const QRegularExpressionMatch& name : option.globalMatch(line))
                QVERIFY2(help.out.count(name.captured()) >= 2, // the synopsis and its description
                         qPrintable(command + u' ' + name.captured()));
        }
        QVERIFY(overview.out.contains(u"--web-port N"_s));
    }

    void withoutADisplayTheDesktopProgramSaysSoInOneLine() {
        const TempMeet temp;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
            environment.remove(name);
        environment.insert(u"TALLVANE_DATA_DIR"_s, temp.folder());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QString::fromUtf8(TALLVANE_BIN), {});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit); // not Qt's abort
        QCOMPARE(program.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(err.count(u'\n'), 1);
        QVERIFY2(err.contains(u"tallvane serve MEETFILE"_s), qPrintable(err));
    }

    // `tallvane MEETFILE` opens the meet as "Open" would: its stale log-ins go.
    void desktopOpensTheMeetNamedOnTheCommandLine() {
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        MeetDatabase db;
        QVERIFY(db.open(meet));
        QVERIFY(db.execute(u"INSERT INTO Connections(SocketID) VALUES(7)"_s));
        QVERIFY(SettingsFile::write(temp.path(u"port.txt"_s), u"0"_s)); // any free port
        ChildProgram desktop(QStringLiteral(TALLVANE_BIN), {meet}, temp.folder());
        QTRY_COMPARE_WITH_TIMEOUT(db.select(u"SELECT * FROM Connections"_s).count(), 0, 30000);
        // The start is noticed by this side's event loop, which may not have run yet.
        QTRY_COMPARE(desktop.process().state(), QProcess::Running);
    }

    void servesStationsAndStopsCleanly_data() {
        addDataRows<QString, int>({"name", "signal"},
                                  {{u"SIGTERM"_s, SIGTERM}, {u"SIGINT"_s, SIGINT}});
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

        // A first address where nothing listens: the judge goes on with the second.
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        const QString dead = u"127.0.0.1:%1"_s.arg(gone.serverPort());
        gone.close();
        ChildProgram judge(
            Station,
            {dead + u',' + target, u"--judge"_s, u"Vault"_s, u"1"_s, u"--pin"_s, u"2468"_s},
            temp.folder());
        QVERIFY2(!judge.waitForLine(u"! cannot connect to "_s + dead).isEmpty(),
                 qPrintable(judge.everything()));
        QVERIFY(!judge.waitForLine(u"! trying "_s + target).isEmpty());
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

    // Import into the data folder and export, refusing to overwrite without --force.
    void importAndExport() {
        TempMeet temp;
        const auto tallvane = [&temp](const QStringList& arguments) {
            return ChildProgram::runTallvane(arguments, temp.path(u"data"_s));
        };
        const QString source = temp.path(u"cup.rxt"_s);
        TransferFiles::write(source, meetFile());
        const QString meet = temp.path(u"data/Fall-Winter Cup.tallvane"_s);

        ChildProgram::Finished run = tallvane({u"import"_s, source});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(u"Imported 2 records"_s), qPrintable(run.out + run.err));
        QVERIFY(QFile::exists(meet));

        run = tallvane({u"import"_s, source});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"--force"_s));
        QCOMPARE(tallvane({u"import"_s, source, u"--force"_s}).status, 0);

        // Not even --force replaces a meet that another Tallvane has open.
        {
            AppState holder(temp.path(u"data"_s));
            QVERIFY(holder.openMeetFile(meet));
            const QByteArray held = TransferFiles::read(meet);
            run = tallvane({u"import"_s, source, u"--force"_s});
            QCOMPARE(run.status, 1);
            const QString named = u"is open in another Tallvane (process %1 on "_s.arg(
                QCoreApplication::applicationPid());
            QVERIFY2(run.err.contains(named), qPrintable(run.err));
            QCOMPARE(TransferFiles::read(meet), held);
        }

        const QString exported = temp.path(u"back.rxt"_s);
        QCOMPARE(tallvane({u"export"_s, meet, exported}).status, 0);
        QCOMPARE(TransferFiles::read(exported), meetFile());
        QCOMPARE(tallvane({u"export"_s, meet, exported}).status, 1);
        QCOMPARE(tallvane({u"export"_s, meet, exported, u"--force"_s}).status, 0);

        // Failures exit 1 and say why.
        TransferFiles::write(source, meetFile(u"toolong"_s));
        const QString bad = temp.path(u"bad.tallvane"_s);
        run = tallvane({u"import"_s, source, bad});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(u"[Levels-0001] (line "_s), qPrintable(run.err));
        QVERIFY2(run.err.contains(u"Levels.Level is longer than 5 characters"_s),
                 qPrintable(run.err));
        QVERIFY(QFile::exists(bad)); // the records that could be stored are

        TransferFiles::write(source, meetFile().replace("Version=4.0", "Version=3.5"));
        run = tallvane({u"import"_s, source, temp.path(u"old.tallvane"_s)});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"version number of 4.0 or greater"_s));
        QVERIFY(!QFile::exists(temp.path(u"old.tallvane"_s)));

        QCOMPARE(
            tallvane({u"export"_s, temp.path(u"none.tallvane"_s), temp.path(u"x.rxt"_s)}).status,
            1);

        // A meet file is never the target, not even with --force.
        const QByteArray stored = TransferFiles::read(bad);
        run = tallvane({u"export"_s, bad, bad, u"--force"_s});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(u"meet file"_s), qPrintable(run.err));
        QCOMPARE(TransferFiles::read(bad), stored);
    }
};

QTEST_GUILESS_MAIN(TestShellCommands)
#include "tst_shell_commands.moc"
