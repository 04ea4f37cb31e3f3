#include "judging/formatscore.h"
#include "judging/gymnastage.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestJudgingValues : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatScore_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << u""_s << u""_s;
        QTest::newRow("not a number") << u"abc"_s << u""_s;
        QTest::newRow("ten") << u"10"_s << u"10.000"_s;
        QTest::newRow("ten with point") << u"10.0"_s << u"10.000"_s;
        QTest::newRow("one digit") << u"9"_s << u"9.000"_s;
        QTest::newRow("two digits below ten") << u"05"_s << u"0.500"_s;
        QTest::newRow("two digits above ten") << u"95"_s << u"95.000"_s;
        QTest::newRow("three digits") << u"953"_s << u"9.530"_s;
        QTest::newRow("four digits") << u"8125"_s << u"8.125"_s;
        QTest::newRow("five digits") << u"09125"_s << u""_s;
        QTest::newRow("with point") << u"8.7"_s << u"8.700"_s;
        QTest::newRow("two decimals") << u"9.85"_s << u"9.850"_s;
        QTest::newRow("above ten with point") << u"12.5"_s << u"12.500"_s;
        QTest::newRow("leading point") << u".5"_s << u"0.500"_s;
        QTest::newRow("infinity is no score") << u"inf"_s << u""_s;
        QTest::newRow("negative whole number") << u"-1"_s << u"-1.000"_s;
        QTest::newRow("exponent") << u"1e1"_s << u"10.000"_s;
        QTest::newRow("exponent is no short-hand") << u"9e-1"_s << u"0.900"_s;
    }
    void formatScore() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QCOMPARE(::formatScore(typed), shown);
    }

    void storedValuesAreShortestText() {
        QCOMPARE(storedValueText(QVariant(9.35)), u"9.35"_s);
        QCOMPARE(storedValueText(QVariant(10.0)), u"10"_s);
        QCOMPARE(storedValueText(QVariant(0.1 + 0.2)), u"0.30000000000000004"_s);
        QCOMPARE(storedValueText(QVariant()), QString());
        QCOMPARE(storedValueText(QVariant(u"4"_s)), u"4"_s);
    }

    void gymnastAge_data() {
        QTest::addColumn<QVariant>("birthday");
        QTest::addColumn<QDate>("on");
        QTest::addColumn<int>("age");
        const QDate day(2026, 3, 14);
        QTest::newRow("birthday today") << QVariant(u"2016-03-14"_s) << day << 10;
        QTest::newRow("birthday tomorrow") << QVariant(u"2016-03-15"_s) << day << 9;
        QTest::newRow("birthday yesterday") << QVariant(u"2016-03-13"_s) << day << 10;
        QTest::newRow("stored with a time") << QVariant(u"2016-03-14 00:00:00"_s) << day << 10;
        QTest::newRow("no birthday") << QVariant() << day << 0;
        QTest::newRow("not a date") << QVariant(u"soon"_s) << day << 0;
        QTest::newRow("leap day, 28 Feb") << QVariant(u"2016-02-29"_s) << QDate(2025, 2, 28) << 8;
        QTest::newRow("leap day, 1 Mar") << QVariant(u"2016-02-29"_s) << QDate(2025, 3, 1) << 9;
    }
    void gymnastAge() {
        QFETCH(QVariant, birthday);
        QFETCH(QDate, on);
        QFETCH(int, age);
        QCOMPARE(::gymnastAge(birthday, on), age);
    }
};

QTEST_GUILESS_MAIN(TestJudgingValues)
#include "tst_judging_values.moc"
