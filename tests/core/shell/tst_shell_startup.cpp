#include "childprogram.h"
#include "shell/operatordate.h"
#include "shell/settingsfile.h"
#include "shell/stderrprompter.h"
#include "tempmeet.h"

#include <QFile>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestShellStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What the `tallvane` command answers, by its exit status: 0 done, 1 failed,
    // 2 wrong arguments.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // on stdout for 0, else on stderr
        QTest::newRow("help") << QStringList{u"--help"_s} << 0 << u"tallvane serve MEETFILE"_s;
        QTest::newRow("version") << QStringList{u"--version"_s} << 0
                                 << u"tallvane "_s + QString::fromLatin1(TALLVANE_VERSION);
        for (const QString& command : {u"serve"_s, u"import"_s, u"export"_s})
            QTest::addRow("%s help", qPrintable(command))
                << QStringList{command, u"--help"_s} << 0 << u"Usage: tallvane "_s + command + u' ';
        QTest::newRow("mistyped command")
            << QStringList{u"exprot"_s, u"spring.tallvane"_s, u"spring.rxt"_s} << 2
            << u"serve, import and export"_s;
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s} << 2 << u"--bogus"_s;
        QTest::newRow("two meet files")
            << QStringList{u"@meet"_s, u"b.tallvane"_s} << 2 << u"only one meet file"_s;
        QTest::newRow("serve without a meet") << QStringList{u"serve"_s} << 2 << u"MEETFILE"_s;
        QTest::newRow("serve, unknown option")
            << QStringList{u"serve"_s, u"@meet"_s, u"--pim"_s, u"1"_s} << 2 << u"pim"_s;
        QTest::newRow("serve, port no number")
            << QStringList{u"serve"_s, u"@meet"_s, u"--port"_s, u"http"_s} << 2
            << u"http is not a port number"_s;
        QTest::newRow("serve, meet missing")
            << QStringList{u"serve"_s, u"@missing"_s} << 1 << u"does not exist"_s;
        QTest::newRow("import without a file") << QStringList{u"import"_s} << 2 << u"import"_s;
        QTest::newRow("import, unknown option")
            << QStringList{u"import"_s, u"x.rxt"_s, u"--forse"_s} << 2 << u"--forse"_s;
        QTest::newRow("export, one file")
            << QStringList{u"export"_s, u"@meet"_s} << 2 << u"export"_s;
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        TempMeet temp;
        for (QString& argument : arguments) {
            if (argument == u"@meet"_s)
                argument = temp.createSampleMeet();
            else if (argument == u"@missing"_s)
                argument = temp.path(u"missing.tallvane"_s);
        }
        const ChildProgram::Finished run = ChildProgram::runTallvane(arguments, temp.folder());
        QCOMPARE(run.status, status);
        QVERIFY2((status == 0 ? run.out : run.err).contains(said), qPrintable(run.out + run.err));
        QVERIFY(!QFile::exists(temp.path(u"missing.tallvane"_s))); // never created
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
        QCOMPARE(desktop.process().state(), QProcess::Running);
    }

    // Two-digit years of the locale's short form mean the nearest century.
    void twoDigitYearsAndFullYears_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("us short") << u"en_US"_s << u"3/14/26"_s << u"2026-03-14"_s;
        QTest::newRow("us short, last century") << u"en_US"_s << u"5/2/87"_s << u"1987-05-02"_s;
        QTest::newRow("us full year") << u"en_US"_s << u"3/14/2026"_s << u"2026-03-14"_s;
        QTest::newRow("german short") << u"de_DE"_s << u"14.03.29"_s << u"2029-03-14"_s;
        QTest::newRow("german full year") << u"de_DE"_s << u"14.03.2026"_s << u"2026-03-14"_s;
        QTest::newRow("iso anywhere") << u"de_DE"_s << u"2026-03-14"_s << u"2026-03-14"_s;
    }
    void twoDigitYearsAndFullYears() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        const QLocale previous;
        QLocale::setDefault(QLocale(locale));
        const auto parsed = OperatorDate::parse(typed);
        QLocale::setDefault(previous);
        QVERIFY(parsed);
        QCOMPARE(OperatorDate::toStorage(*parsed), stored);
    }

    // What the editors show of a stored date reads back as the same date.
    void shownDatesReadBackUnchanged_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("stored");
        for (const char* locale : {"en_US", "de_DE"}) {
            for (const char* stored : {"2029-03-14", "2030-03-14", "2099-12-31"})
                QTest::addRow("%s %s", locale, stored)
                    << QString::fromLatin1(locale) << QString::fromLatin1(stored);
        }
    }
    void shownDatesReadBackUnchanged() {
        QFETCH(QString, locale);
        QFETCH(QString, stored);
        const QLocale previous;
        QLocale::setDefault(QLocale(locale));
        const QString shown = OperatorDate::toDisplay(stored);
        const auto parsed = OperatorDate::parse(shown);
        QLocale::setDefault(previous);
        QVERIFY2(parsed, qPrintable(shown));
        QCOMPARE(OperatorDate::toStorage(*parsed), stored);
    }

    void headlessPrompterNeverWaits() {
        StderrPrompter prompter;
        bool closed = false;
        bool answer = true;
        QString path = u"unset"_s;
        prompter.showMessage(u"note"_s, Prompter::Icon::Information, [&] { closed = true; });
        prompter.askYesNo(u"Sure?"_s, [&](bool yes) { answer = yes; });
        prompter.chooseOpenFile(u"Select File"_s, {}, {}, [&](const QString& p) { path = p; });
        QVERIFY(closed);
        QVERIFY(!answer);
        QVERIFY(path.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestShellStartup)
#include "tst_shell_startup.moc"
