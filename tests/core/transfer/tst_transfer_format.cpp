#include "datarows.h"
#include "db/meetschema.h"
#include "shell/codepage1252.h"
#include "transfer/importvaluecodes.h"
#include "transfer/transferfileinfo.h"
#include "transfer/transferreader.h"
#include "transfer/transfervalues.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using T = MeetSchema::ColumnType;
Q_DECLARE_METATYPE(T)

namespace {

QByteArray crlf(const QByteArray& lines) {
    QByteArray text = lines;
    return text.replace("\n", "\r\n");
}

// Bytes read as a file.
struct Bytes : QBuffer {
    explicit Bytes(const QByteArray& bytes) {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }
};

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
    // Stored values as the other program writes them; an undatable text is kept.
    void writesValuesAsTheOtherProgramReadsThem_data() {
        addDataRows<T, QVariant, QString>(
            {"type", "stored", "text"},
            {{T::Double, 0.1 + 0.2, u"0.3"_s},
             {T::Double, -0.0, u"0"_s},
             {T::Double, 123456789.123456789, u"123456789.123457"_s},
             {T::Date, u"2026-07-04 12:00:00"_s, u"7/4/2026 12:00:00 PM"_s},
             {T::Date, u"soon"_s, u"soon"_s},
             {T::Text, QVariant(), QString()},
             {T::Text, u"Null"_s, QString()},
             {T::Text, u"null"_s, u"null"_s}});
    }

    void writesValuesAsTheOtherProgramReadsThem() {
        QFETCH(T, type);
        QFETCH(QVariant, stored);
        QFETCH(QString, text);
        QCOMPARE(TransferValues::valueText(type, stored), text);
    }

    // Dates as the other program writes them (and ISO) are stored as ISO text,
    // midnight as a date; an empty result means the text is refused.
    void readsDatesIntoStorageText_data() {
        addDataRows<QString, QString>({"text", "stored"},
                                      {{u"1/2/2003 4:05:06 pm"_s, u"2003-01-02 16:05:06"_s},
                                       {u"1995-03-15"_s, u"1995-03-15"_s},
                                       {u"1995-03-15 14:30:00"_s, u"1995-03-15 14:30:00"_s},
                                       {u"5/6/2007 12:00:00 AM"_s, u"2007-05-06"_s},
                                       {u"10/31/2025"_s, u"2025-10-31"_s},
                                       {u"03/05/1995"_s, u"1995-03-05"_s},
                                       {u" 3/5/1995 "_s, u"1995-03-05"_s},
                                       {u"2/30/2001"_s, {}},
                                       {u"13/1/2001"_s, {}},
                                       {u"3/5/95"_s, {}},
                                       {u"3/5/19950"_s, {}},
                                       {u"12/31/-2125 "_s, {}},
                                       {u"3//1995"_s, {}},
                                       {u"15/3/1995"_s, {}},
                                       {u"3/15/1995 25:00:00"_s, {}},
                                       {u"next Tuesday"_s, {}}});
    }

    void readsDatesIntoStorageText() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QCOMPARE(TransferValues::parseDate(text).value_or(QString()), stored);
    }

    // Numbers and flags as stored, or refused with the reason's end.
    void readsNumbersAndFlags_data() {
        const QVariant null;
        addDataRows<T, QString, QVariant, QString>(
            {"type", "text", "stored", "refusal"},
            {{T::Double, u"+2"_s, 2.0, {}},
             {T::Double, u".5"_s, 0.5, {}},
             {T::Double, u""_s, null, {}},
             {T::Double, u"9,5"_s, null, u"is not a number"_s},
             {T::Double, u"1.2.3"_s, null, u"is not a number"_s},
             {T::Double, u"--5"_s, null, u"is not a number"_s},
             {T::Double, u"1e999"_s, null, u"is not a number"_s},
             {T::Long, u"007"_s, 7LL, {}},
             {T::Long, u"12.0"_s, 12LL, {}},
             {T::Long, u"1.5"_s, null, u"is not a whole number"_s},
             {T::Long, u"-2147483648"_s, -2147483648LL, {}},
             {T::Long, u"2147483648"_s, null, u"is out of range"_s},
             {T::Long, u"99999999999999999999"_s, null, u"is out of range"_s},
             {T::Long, u"-"_s, null, u"is not a number"_s},
             {T::Double, u"\u00a09.5\t"_s, 9.5, {}},
             {T::Long, u" -12\u00a0"_s, -12LL, {}},
             {T::Boolean, u"\ttRUE "_s, 1, {}},
             {T::Boolean, u"-1"_s, 1, {}},
             {T::Boolean, u""_s, 0, {}},
             {T::Boolean, u"Yes"_s, null, u"is neither True nor False"_s}});
    }

    void readsNumbersAndFlags() {
        QFETCH(T, type);
        QFETCH(QString, text);
        QFETCH(QVariant, stored);
        QFETCH(QString, refusal);
        const MeetSchema::Column column{u"C"_s, type, 0};
        const QByteArray bytes = Cp1252::encode(text);
        const ImportValueCodes::Converted converted = ImportValueCodes::convert(
            type == T::Boolean ? ImportValueCodes::Code::Flag : ImportValueCodes::Code::Number,
            column, bytes);
        QVERIFY2(converted.error.endsWith(refusal), qPrintable(converted.error));
        QCOMPARE(converted.error.isEmpty(), refusal.isEmpty());
        QCOMPARE(converted.variant(), stored);
    }

    // The file's version, by the quick look before an import and by the reader,
    // from the header block only.
    void quickLookBeforeAnImport_data() {
        addDataRows<QByteArray, double>({"lines", "version"},
                                        {{"[Rostrel]\nVersion=4.0\n\n[Meets-0001]\n", 4.0},
                                         {"[Rostrel]\nVersion=4.2\n\n", 4.2},
                                         {"[Rostrel]\nVersion=3.5\n\n", 3.5},
                                         {"[Rostrel]\n\nVersion=4.0\n", 0.0},
                                         {"[Rostrel]\nVersion=four\n", 0.0},
                                         {"[Rostrel]\n", 0.0},
                                         {"", 0.0}});
    }

    void quickLookBeforeAnImport() {
        QFETCH(QByteArray, lines);
        QFETCH(double, version);
        Bytes buffer(crlf(lines));
        QCOMPARE(TransferFileInfo::readTransferVersion(&buffer), version);
        QVERIFY(buffer.seek(0));
        QCOMPARE(TransferReader(&buffer).readHeader(), version);
    }

    // The meet's name, the line count and the meet file's name, for the
    // import window.
    void meetNameAndLineCount() {
        Bytes buffer(crlf("[Rostrel]\nVersion=4.0\n\n[Meets-0001]\nMeetID=1\n"
                          "Name=Spring = Fall Classic\n"));
        QCOMPARE(TransferFileInfo::readTransferMeetName(&buffer), u"Spring = Fall Classic"_s);
        buffer.seek(0);
        QCOMPARE(TransferFileInfo::countTransferLines(&buffer), 6);
        Bytes unterminated("a\r\nb");
        QCOMPARE(TransferFileInfo::countTransferLines(&unterminated), 2);
        QCOMPARE(TransferFileInfo::readTransferVersion(u"/no/such/file.rxt"_s), 0.0);

        QCOMPARE(TransferFileInfo::meetFileNameFor(u" Spring/Fall: \"Classic\"? "_s),
                 u"Spring-Fall- -Classic--"_s);
        QCOMPARE(TransferFileInfo::meetFileNameFor(u"../.."_s), u"-"_s);
    }

    void readerSplitsSectionsAndValues() {
        Bytes buffer(crlf("[Rostrel]\nVersion=4.0\n\n"
                          "[Levels-0001]\nEventID=1\nLevel=a=b\nTAMethod\n\n"
                          "[Levels-0002]\nEventID=2\n"
                          "[Levels-0003]\nEventID=3\n\n"
                          "[Levels]\nNumRecords=2\n\n"
                          "stray text\n"
                          "[Age Groups]\nNumRecords=0\n\n"));
        TransferReader reader(&buffer);
        const QList<TransferRecord> records = readAll(reader);
        QCOMPARE(records.size(), 3);
        QStringList first{records[0].table, records[0].header, QString::number(records[0].line)};
        for (qsizetype i = 0; i < records[0].fieldCount(); ++i)
            first.append(records[0].name(i) + u'|' + records[0].value(i));
        QCOMPARE(first, QStringList({u"Levels"_s, u"Levels-0001"_s, u"4"_s, u"EventID|1"_s,
                                     u"Level|a=b"_s, u"TAMethod|"_s}));
        // A record without its closing empty line ends at the next section.
        QCOMPARE(records[1].fieldCount(), 1);
        QCOMPARE(records[2].value(0), u"3"_s);

        QCOMPARE(reader.problems().size(), 2);
        QVERIFY2(reader.problems()[0].contains(u"says 2 records, 3 were found"_s),
                 qPrintable(reader.problems()[0]));
        QVERIFY(reader.problems()[1].contains(u"stray text"_s));
        const QStringList unfinished = reader.unfinishedTables();
        QVERIFY(!unfinished.contains(u"Levels"_s));
        QVERIFY(!unfinished.contains(u"Age Groups"_s));
        QVERIFY(unfinished.contains(u"Gymnasts"_s));
        QCOMPARE(reader.linesRead(), 20);
    }
};

QTEST_GUILESS_MAIN(TestTransferFormat)
#include "tst_transfer_format.moc"
