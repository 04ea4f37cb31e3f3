#include "db/meetschema.h"
#include "transfer/importvaluecodes.h"
#include "transfer/transferfileinfo.h"
#include "transfer/transferreader.h"
#include "transfer/transfervalues.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using T = MeetSchema::ColumnType;

Q_DECLARE_METATYPE(MeetSchema::ColumnType)

namespace {

QByteArray crlf(const QByteArray& lines) {
    QByteArray text = lines;
    return text.replace("\n", "\r\n");
}

QList<TransferRecord> readAll(TransferReader& reader) {
    reader.readHeader();
    QList<TransferRecord> records;
    TransferRecord record;
    while (reader.readRecord(&record))
        records.append(record);
    return records;
}

} // namespace

class TestTransferFormat : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writesValuesAsTheOtherProgramReadsThem_data() {
        QTest::addColumn<MeetSchema::ColumnType>("type");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("score") << T::Double << QVariant(9.275) << u"9.275"_s;
        QTest::newRow("binary sum") << T::Double << QVariant(0.1 + 0.2) << u"0.3"_s;
        QTest::newRow("whole") << T::Double << QVariant(10.0) << u"10"_s;
        QTest::newRow("half") << T::Double << QVariant(-0.5) << u"-0.5"_s;
        QTest::newRow("negative zero") << T::Double << QVariant(-0.0) << u"0"_s;
        QTest::newRow("15 digits")
            << T::Double << QVariant(123456789.123456789) << u"123456789.123457"_s;
        QTest::newRow("huge") << T::Double << QVariant(1e20) << u"1E+20"_s;
        QTest::newRow("long") << T::Long << QVariant(qlonglong(-42)) << u"-42"_s;
        QTest::newRow("true") << T::Boolean << QVariant(qlonglong(1)) << u"True"_s;
        QTest::newRow("false") << T::Boolean << QVariant(qlonglong(0)) << u"False"_s;
        QTest::newRow("date") << T::Date << QVariant(u"1995-03-15"_s) << u"3/15/1995"_s;
        QTest::newRow("afternoon")
            << T::Date << QVariant(u"1995-03-15 14:30:00"_s) << u"3/15/1995 2:30:00 PM"_s;
        QTest::newRow("after midnight")
            << T::Date << QVariant(u"2025-12-31 00:05:09"_s) << u"12/31/2025 12:05:09 AM"_s;
        QTest::newRow("noon") << T::Date << QVariant(u"2026-07-04 12:00:00"_s)
                              << u"7/4/2026 12:00:00 PM"_s;
        QTest::newRow("undatable text kept") << T::Date << QVariant(u"soon"_s) << u"soon"_s;
        QTest::newRow("null") << T::Text << QVariant() << QString();
        QTest::newRow("text Null") << T::Text << QVariant(u"Null"_s) << QString();
        QTest::newRow("text null") << T::Text << QVariant(u"null"_s) << u"null"_s;
        QTest::newRow("quotes and equals")
            << T::Text << QVariant(u"O'Neil \"x\" a=b"_s) << u"O'Neil \"x\" a=b"_s;
    }
    void writesValuesAsTheOtherProgramReadsThem() {
        QFETCH(MeetSchema::ColumnType, type);
        QFETCH(QVariant, stored);
        QFETCH(QString, text);
        QCOMPARE(TransferValues::valueText(type, stored), text);
    }

    void readsDatesIntoStorageText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("date") << u"3/15/1995"_s << u"1995-03-15"_s;
        QTest::newRow("pm") << u"3/15/1995 2:30:00 PM"_s << u"1995-03-15 14:30:00"_s;
        QTest::newRow("12 am") << u"12/31/2025 12:05:09 AM"_s << u"2025-12-31 00:05:09"_s;
        QTest::newRow("lower case") << u"1/2/2003 4:05:06 pm"_s << u"2003-01-02 16:05:06"_s;
        QTest::newRow("iso") << u"1995-03-15"_s << u"1995-03-15"_s;
        QTest::newRow("iso time") << u"1995-03-15 14:30:00"_s << u"1995-03-15 14:30:00"_s;
        QTest::newRow("midnight is a date") << u"5/6/2007 12:00:00 AM"_s << u"2007-05-06"_s;
        QTest::newRow("two-digit parts") << u"10/31/2025"_s << u"2025-10-31"_s;
        QTest::newRow("leading zeros") << u"03/05/1995"_s << u"1995-03-05"_s;
        QTest::newRow("blanks") << u" 3/5/1995 "_s << u"1995-03-05"_s;
        QTest::newRow("no such day") << u"2/30/2001"_s << QString();
        QTest::newRow("no such month") << u"13/1/2001"_s << QString();
        QTest::newRow("short year") << u"3/5/95"_s << QString();
        QTest::newRow("long year") << u"3/5/19950"_s << QString();
        QTest::newRow("negative year") << u"12/31/-2125 "_s << QString();
        QTest::newRow("empty day") << u"3//1995"_s << QString();
        QTest::newRow("day first") << u"15/3/1995"_s << QString();
        QTest::newRow("bad time") << u"3/15/1995 25:00:00"_s << QString();
        QTest::newRow("words") << u"next Tuesday"_s << QString();
    }
    void readsDatesIntoStorageText() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        const auto parsed = TransferValues::parseDate(text);
        QCOMPARE(parsed.value_or(QString()), stored);
    }

    void readsNumbersAndFlags_data() {
        QTest::addColumn<MeetSchema::ColumnType>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("stored"); // invalid: Null, or refused when `refusal` is set
        QTest::addColumn<QString>("refusal");
        const QVariant null;
        QTest::newRow("score") << T::Double << u"9.275"_s << QVariant(9.275) << QString();
        QTest::newRow("blanks") << T::Double << u" 9.3 "_s << QVariant(9.3) << QString();
        QTest::newRow("negative") << T::Double << u"-0.5"_s << QVariant(-0.5) << QString();
        QTest::newRow("plus") << T::Double << u"+2"_s << QVariant(2.0) << QString();
        QTest::newRow("exponent") << T::Double << u"1E+20"_s << QVariant(1e20) << QString();
        QTest::newRow("lone point") << T::Double << u".5"_s << QVariant(0.5) << QString();
        QTest::newRow("empty") << T::Double << u""_s << null << QString();
        QTest::newRow("comma") << T::Double << u"9,5"_s << null << u"is not a number"_s;
        QTest::newRow("two points") << T::Double << u"1.2.3"_s << null << u"is not a number"_s;
        QTest::newRow("two signs") << T::Double << u"--5"_s << null << u"is not a number"_s;
        QTest::newRow("infinite") << T::Double << u"1e999"_s << null << u"is not a number"_s;
        QTest::newRow("zeros") << T::Long << u"007"_s << QVariant(7LL) << QString();
        QTest::newRow("whole double") << T::Long << u"12.0"_s << QVariant(12LL) << QString();
        QTest::newRow("fraction") << T::Long << u"1.5"_s << null << u"is not a whole number"_s;
        QTest::newRow("lowest") << T::Long << u"-2147483648"_s << QVariant(-2147483648LL)
                                << QString();
        QTest::newRow("too big") << T::Long << u"2147483648"_s << null << u"is out of range"_s;
        QTest::newRow("20 digits")
            << T::Long << u"99999999999999999999"_s << null << u"is out of range"_s;
        QTest::newRow("minus only") << T::Long << u"-"_s << null << u"is not a number"_s;
        QTest::newRow("true") << T::Boolean << u"True"_s << QVariant(1) << QString();
        QTest::newRow("stored true") << T::Boolean << u"-1"_s << QVariant(1) << QString();
        QTest::newRow("empty flag") << T::Boolean << u""_s << QVariant(0) << QString();
        QTest::newRow("yes") << T::Boolean << u"Yes"_s << null << u"is neither True nor False"_s;
    }
    void readsNumbersAndFlags() {
        QFETCH(MeetSchema::ColumnType, type);
        QFETCH(QString, text);
        QFETCH(QVariant, stored);
        QFETCH(QString, refusal);
        const MeetSchema::Column column{u"C"_s, type, 0};
        const ImportValueCodes::Converted converted = ImportValueCodes::convert(
            type == T::Boolean ? ImportValueCodes::Code::Flag : ImportValueCodes::Code::Number,
            column, text);
        QVERIFY2(converted.error.endsWith(refusal), qPrintable(converted.error));
        QCOMPARE(converted.error.isEmpty(), refusal.isEmpty());
        QCOMPARE(converted.value, stored);
    }

    void versionIsReadFromTheHeaderBlockOnly_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<double>("version");
        QTest::newRow("4.0") << crlf("[Rostrel]\nVersion=4.0\n\n[Meets-0001]\n") << 4.0;
        QTest::newRow("4.2") << crlf("[Rostrel]\nVersion=4.2\n\n") << 4.2;
        QTest::newRow("3.5") << crlf("[Rostrel]\nVersion=3.5\n\n") << 3.5;
        QTest::newRow("blank line first") << crlf("[Rostrel]\n\nVersion=4.0\n") << 0.0;
        QTest::newRow("not a number") << crlf("[Rostrel]\nVersion=four\n") << 0.0;
        QTest::newRow("none") << crlf("[Rostrel]\n") << 0.0;
        QTest::newRow("empty") << QByteArray() << 0.0;
    }
    void versionIsReadFromTheHeaderBlockOnly() {
        QFETCH(QByteArray, file);
        QFETCH(double, version);
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QCOMPARE(TransferFileInfo::readTransferVersion(&buffer), version);
        QBuffer again(&file);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(TransferTestVersion(again), version);
    }

    void meetNameAndLineCount() {
        QByteArray file = crlf("[Rostrel]\nVersion=4.0\n\n[Meets-0001]\nMeetID=1\n"
                               "Name=Spring = Fall Classic\n");
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QCOMPARE(TransferFileInfo::readTransferMeetName(&buffer), u"Spring = Fall Classic"_s);
        buffer.seek(0);
        QCOMPARE(TransferFileInfo::countTransferLines(&buffer), 6);
        QByteArray unterminated("a\r\nb");
        QBuffer last(&unterminated);
        QVERIFY(last.open(QIODevice::ReadOnly));
        QCOMPARE(TransferFileInfo::countTransferLines(&last), 2);
        QCOMPARE(TransferFileInfo::readTransferVersion(u"/no/such/file.rxt"_s), 0.0);

        QCOMPARE(TransferFileInfo::meetFileNameFor(u" Spring/Fall: \"Classic\"? "_s),
                 u"Spring-Fall- -Classic--"_s);
        QCOMPARE(TransferFileInfo::meetFileNameFor(u"../.."_s), u"-"_s);
    }

    void readerSplitsSectionsAndValues() {
        QByteArray file = crlf("[Rostrel]\nVersion=4.0\n\n"
                               "[Levels-0001]\nEventID=1\nLevel=a=b\nTAMethod\n\n"
                               "[Levels-0002]\nEventID=2\n"
                               "[Levels-0003]\nEventID=3\n\n"
                               "[Levels]\nNumRecords=2\n\n"
                               "stray text\n"
                               "[Age Groups]\nNumRecords=0\n\n");
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        TransferReader reader(&buffer);
        const QList<TransferRecord> records = readAll(reader);
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[0].table, u"Levels"_s);
        QCOMPARE(records[0].header, u"Levels-0001"_s);
        QCOMPARE(records[0].line, 4);
        QStringList first;
        for (qsizetype i = 0; i < records[0].fieldCount(); ++i)
            first.append(records[0].name(i) + u'|' + records[0].value(i));
        QCOMPARE(first, QStringList({u"EventID|1"_s, u"Level|a=b"_s, u"TAMethod|"_s}));
        // A record without its closing empty line ends at the next section.
        QCOMPARE(records[1].fieldCount(), 1);
        QCOMPARE(records[2].value(0), u"3"_s);

        QCOMPARE(reader.problems().size(), 2);
        QVERIFY2(reader.problems()[0].contains(u"says 2 records, 3 were found"_s),
                 qPrintable(reader.problems()[0]));
        QVERIFY(reader.problems()[1].contains(u"stray text"_s));
        QVERIFY(!reader.unfinishedTables().contains(u"Levels"_s));
        QVERIFY(!reader.unfinishedTables().contains(u"Age Groups"_s));
        QVERIFY(reader.unfinishedTables().contains(u"Gymnasts"_s));
    }

    void readerKeepsRecordsWholeInLargeFiles() {
        // A megabyte of records, read in blocks: records cross the block ends.
        QByteArray file = crlf("[Rostrel]\nVersion=4.0\n\n");
        const QByteArray level(1000, 'x');
        qint64 lines = 3;
        for (int i = 1; i <= 1000; ++i) {
            const QByteArray n = QByteArray::number(i);
            file += "[Levels-" + n + "]\r\nEventID=" + n + "\r\nLevel=" + level + "\r\n";
            lines += 3;
            if (i % 7 != 0) { // else the next section ends the record
                file += "\r\n";
                ++lines;
            }
        }
        file += crlf("[Levels]\nNumRecords=1000\n");
        lines += 2;
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        TransferReader reader(&buffer);
        const QList<TransferRecord> records = readAll(reader);
        QCOMPARE(records.size(), 1000);
        for (int i = 0; i < records.size(); ++i) {
            QCOMPARE(records[i].fieldCount(), 2);
            QCOMPARE(records[i].value(0), QString::number(i + 1));
            QCOMPARE(records[i].name(1), u"Level"_s);
            QCOMPARE(records[i].value(1).size(), level.size());
        }
        QCOMPARE(reader.problems(), QStringList());
        QCOMPARE(reader.linesRead(), lines);
    }

private:
    static double TransferTestVersion(QBuffer& buffer) {
        TransferReader reader(&buffer);
        return reader.readHeader();
    }
};

QTEST_GUILESS_MAIN(TestTransferFormat)
#include "tst_transfer_format.moc"
