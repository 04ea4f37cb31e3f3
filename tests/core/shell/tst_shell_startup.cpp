#include "datarows.h"
#include "db/storeddate.h"
#include "db/timestamptext.h"
#include "scoreboard/queuekey.h"
#include "shell/appstate.h"
#include "shell/codepage1252.h"
#include "shell/numbertext.h"
#include "shell/operatordate.h"
#include "shell/settingsfile.h"
#include "shell/stderrprompter.h"
#include "tempmeet.h"
#include "transferfiles.h"

#include <QFile>
#include <QSysInfo>
#include <QTest>

#include <cmath>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

// The program's start: its settings, meet file and the operator's dates;
// the texts of numbers and times the score path reads and writes.
class TestShellStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Two-digit years of the locale's short form mean the nearest century; what
    // the editors show of a stored date reads back as the same date.
    void operatorDates_data() {
        addDataRows<QString, QString, QString>({"locale", "typed", "stored"},
                                               {{u"en_US"_s, u"3/14/26"_s, u"2026-03-14"_s},
                                                {u"en_US"_s, u"5/2/87"_s, u"1987-05-02"_s},
                                                {u"en_US"_s, u"3/14/29"_s, u"2029-03-14"_s},
                                                {u"de_DE"_s, u"14.03.29"_s, u"2029-03-14"_s},
                                                {u"de_DE"_s, u"14.03.2030"_s, u"2030-03-14"_s},
                                                {u"de_DE"_s, u"2099-12-31"_s, u"2099-12-31"_s}});
    }

    void operatorDates() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        const QLocale previous;
        QLocale::setDefault(QLocale(locale));
        const auto parsed = OperatorDate::parse(typed);
        const QString shown = OperatorDate::toDisplay(stored);
        const auto readBack = OperatorDate::parse(shown);
        QLocale::setDefault(previous);
        QCOMPARE(parsed ? OperatorDate::toStorage(*parsed) : QString(), stored);
        QCOMPARE(readBack ? OperatorDate::toStorage(*readBack) : QString(), stored);
    }

    void headlessPrompterNeverWaits() {
        StderrPrompter prompter;
        bool closed = false, answer = true;
        QString path = u"unset"_s;
        prompter.showMessage(u"note"_s, Prompter::Icon::Information, [&] { closed = true; });
        prompter.askYesNo(u"Sure?"_s, [&](bool yes) { answer = yes; });
        prompter.chooseOpenFile(u"Select File"_s, {}, {}, [&](const QString& p) { path = p; });
        QVERIFY(closed);
        QVERIFY(!answer);
        QVERIFY(path.isEmpty());
    }

    // pin.txt and port.txt are read as the last field of the last line.
    void settingsFiles_data() {
        addDataRows<QByteArray, QString>({"content", "value"}, {{"10120,9000\r\n", u"9000"_s},
                                                                {"", {}},
                                                                {"4242", u"4242"_s},
                                                                {"   12\r\n", u"12"_s},
                                                                {"\"1, 2\"\r\n", u"1, 2"_s},
                                                                {"1\r\n2\r\n", u"2"_s},
                                                                {"77\n", u"77"_s}});
    }

    void settingsFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QString, value);
        QCOMPARE(SettingsFile::parse(content), value);
    }

    // An existing empty PIN file is not replaced by the default; an empty
    // operator PIN, which would open the operator's pages to anybody, is made anew.
    void emptyPinFiles() {
        TempMeet temp;
        AppState state(temp.folder());
        TransferFiles::write(state.pinFilePath(), QByteArray());
        TransferFiles::write(state.operatorPinFilePath(), "\r\n");
        state.loadSettings();
        QCOMPARE(state.pin(), QString());
        QVERIFY(QFile::exists(state.pinFilePath()));
        QVERIFY(TransferFiles::read(state.pinFilePath()).isEmpty());
        QVERIFY(state.operatorPin().size() >= 6);
    }

    // Settings files that cannot be written are reported; their defaults
    // serve all the same.
    void unwritableSettingsAreReported() {
        TempMeet temp;
        TransferFiles::write(temp.path(u"plain"_s), "a file, not a folder");
        AppState state(temp.path(u"plain/data"_s));
        QString error;
        QVERIFY(!state.loadSettings(&error));
        QVERIFY(error.contains(u"pin.txt could not be written"_s));
        QVERIFY(error.contains(u"webport.txt could not be written"_s));
        QCOMPARE(state.pin(), u"3917"_s);
        QCOMPARE(state.portNumber(), u"10120"_s);
    }

    // One meet file, one Tallvane: a second is refused, naming the holder's machine,
    // and the first one's stations stay logged in; once closed, the file is free.
    void oneMeetFileOneTallvane() {
        TempMeet temp;
        const QString file = temp.createSampleMeet();
        AppState state(temp.folder());
        QVERIFY(state.openMeetFile(file));
        QVERIFY(state.meetDb().execute(u"INSERT INTO Connections(SocketID) VALUES(8)"_s));
        AppState second(temp.folder());
        QString refusal;
        QVERIFY(!second.openMeetFile(file, &refusal));
        QVERIFY2(refusal.contains(QSysInfo::machineHostName()), qPrintable(refusal));
        QVERIFY(!second.isMeetOpen());
        QCOMPARE(state.meetDb().select(u"SELECT * FROM Connections"_s).count(), 1);
        state.closeMeetFile();
        QVERIFY(second.openMeetFile(file));
    }

    // Where the code page differs from Latin-1, its unassigned bytes too.
    void codePageCharacters() {
        const QByteArray bytes("\x80\x81\x8a\x9f\xe9");
        QCOMPARE(Cp1252::decode(bytes), u"€\u0081ŠŸé"_s);
        QCOMPARE(Cp1252::encode(u"€\u0081ŠŸé"_s), bytes);
    }

    // The score path reads numbers and writes stamps by short cuts for their
    // common forms and through Qt for the rest: both give exactly what Qt gives.
    void readsEveryFormAsQtDoes_data() {
        QTest::addColumn<QString>("text");
        // Common forms, long and imprecise ones, signs and blanks, and what
        // only Qt reads or nobody does ("|" parts them).
        const QStringList texts = (u"9.350|10|0|-0|-0.0|-0.1|007.5|0.1|9.1025|"
                                   "9.999999999999999999999|0.30000000000000004|"
                                   "12345678901234567890123456789012|"
                                   "123456789012345678901234567890123|"
                                   "+9.5| 9.5|9.5 |9,5|9.|.5|-.5|-|.||"
                                   "1e3|1E-2|0x10|9.5.1|--1|1-|inf|nan|1e400|٩.٥|abc"_s)
                                      .split(u'|');
        for (const QString& text : texts)
            QTest::newRow(qPrintable(QString(u'"' + text + u'"'))) << text;
    }
    void readsEveryFormAsQtDoes() {
        QFETCH(QString, text);
        bool ok = false;
        const double byQt = text.toDouble(&ok);
        const std::optional<double> read = finiteNumber(text);
        QCOMPARE(read.has_value(), ok && std::isfinite(byQt));
        if (read) {
            QCOMPARE(std::signbit(*read), std::signbit(byQt));
            QVERIFY(std::memcmp(&*read, &byQt, sizeof byQt) == 0);
        }
    }

    void writesStampsAsQtDoes_data() {
        QTest::addColumn<QDateTime>("moment");
        QTest::newRow("a meet day") << QDateTime(QDate(2026, 12, 8), QTime(7, 5, 9, 42));
        QTest::newRow("midnight") << QDateTime(QDate(2026, 1, 1), QTime(0, 0));
        QTest::newRow("last moment of a day")
            << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999));
        QTest::newRow("first four-digit year") << QDateTime(QDate(1000, 1, 1), QTime(1, 2, 3, 4));
        QTest::newRow("last four-digit year") << QDateTime(QDate(9999, 12, 31), QTime(12, 0));
        QTest::newRow("three-digit year") << QDateTime(QDate(999, 5, 6), QTime(1, 2, 3));
        QTest::newRow("five-digit year") << QDateTime(QDate(10000, 5, 6), QTime(1, 2, 3));
        QTest::newRow("in UTC") << QDateTime(QDate(2026, 3, 29), QTime(1, 30), Qt::UTC);
        QTest::newRow("invalid") << QDateTime();
    }
    void writesStampsAsQtDoes() {
        QFETCH(QDateTime, moment);
        QCOMPARE(timestampText(moment, false), moment.toString(u"yyyy-MM-dd HH:mm:ss"_s));
        QCOMPARE(timestampText(moment, true), moment.toString(u"yyyy-MM-dd HH:mm:ss.zzz"_s));
    }

    void readsQueueTimesAsStoredDatesDo_data() {
        QTest::addColumn<QString>("text");
        for (const QString& text :
             {u"2026-12-08 07:05:09"_s, u"0999-01-02 00:00:00"_s, u"2026-02-30 10:00:00"_s,
              u"2026-12-08 24:00:00"_s, u"2026-12-08 10:60:00"_s, u"2026-12-08T10:00:00"_s,
              u" 2026-12-08 10:00:00"_s, u"2026-12-08 10:00"_s, u"2026-12-08"_s,
              u"2026-12-08 10:00:00.5"_s, u"2026/12/08 10:00:00"_s, u""_s}) {
            QTest::newRow(qPrintable(QString(u'"' + text + u'"'))) << text;
        }
    }
    void readsQueueTimesAsStoredDatesDo() {
        QFETCH(QString, text);
        const std::optional<StoredDate> stored = StoredDate::parse(text);
        QCOMPARE(queueTimeFromText(text), stored ? stored->dateTime() : QDateTime());
    }
};

QTEST_GUILESS_MAIN(TestShellStartup)
#include "tst_shell_startup.moc"
