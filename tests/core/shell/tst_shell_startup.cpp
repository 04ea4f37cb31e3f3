#include "shell/operatordate.h"
#include "shell/stderrprompter.h"
#include "tempmeet.h"

#include <QProcess>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Run {
    int status = -1; // -1: the program crashed or did not finish
    QString out;
    QString err;
};

// The program as a user starts it, on a data folder of its own.
Run tallvane(const QStringList& arguments,
             QProcessEnvironment environment = QProcessEnvironment::systemEnvironment()) {
    const TempMeet temp;
    environment.insert(u"TALLVANE_DATA_DIR"_s, temp.folder());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QString::fromUtf8(TALLVANE_BIN), arguments);
    if (!program.waitForFinished(30000))
        return {};
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromLocal8Bit(program.readAllStandardOutput()),
            QString::fromLocal8Bit(program.readAllStandardError())};
}

} // namespace

class TestShellStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyCommandAnswersHelp_data() {
        QTest::addColumn<QString>("command");
        for (const char* command : {"serve", "import", "export"})
            QTest::newRow(command) << QString::fromLatin1(command);
    }
    void everyCommandAnswersHelp() {
        QFETCH(QString, command);
        const Run run = tallvane({command, u"--help"_s});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith(u"Usage: tallvane "_s + command + u' '), qPrintable(run.out));
    }

    void mistypedCommandIsRefusedWithTheCommands() {
        const Run run = tallvane({u"exprot"_s, u"spring.tallvane"_s, u"spring.rxt"_s});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(u"serve, import and export"_s), qPrintable(run.err));
    }

    void withoutADisplayTheDesktopProgramSaysSoInOneLine() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
            environment.remove(name);
        const Run run = tallvane({}, environment);
        QCOMPARE(run.status, 1); // not Qt's abort
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(run.err.contains(u"tallvane serve MEETFILE"_s), qPrintable(run.err));
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
