#include "shell/operatordate.h"
#include "shell/stderrprompter.h"
#include "tempmeet.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestShellStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dataFolderThatCannotBeCreatedStopsTheProgram() {
        TempMeet temp;
        const QString blocker = temp.path(u"plain-file"_s);
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"TALLVANE_DATA_DIR"_s, blocker + u"/Tallvane"_s);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        program.setProcessEnvironment(environment);
        program.start(QString::fromUtf8(TALLVANE_BIN), {});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(program.readAllStandardError().contains("could not be created"));
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
