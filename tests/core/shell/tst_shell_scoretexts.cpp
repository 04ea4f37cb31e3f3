#include "db/storeddate.h"
#include "db/timestamptext.h"
#include "scoreboard/queuekey.h"
#include "shell/numbertext.h"

#include <QTest>

#include <cmath>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

// The score path reads numbers and writes stamps by short cuts for their
// common forms and through Qt for the rest: both give exactly what Qt gives.
class TestScoreTexts : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TestScoreTexts)
#include "tst_shell_scoretexts.moc"
