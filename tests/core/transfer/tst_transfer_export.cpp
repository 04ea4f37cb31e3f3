#include "db/meetdatabase.h"
#include "db/meetschema.h"
#include "db/tables/wholetable.h"
#include "shell/codepage1252.h"
#include "tempmeet.h"
#include "transfer/exportjob.h"
#include "transfer/transferexport.h"
#include "transfer/transferimporter.h"
#include "transfer/transfervalues.h"
#include "transfer/transferwriter.h"
#include "transfer/utf8tocp1252.h"
#include "transferfiles.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <limits>

using namespace Qt::Literals::StringLiterals;
using T = MeetSchema::ColumnType;

namespace {

// Every kind of value text, cycled through the columns of each record.
QString sample(const MeetSchema::Column& column, int turn) {
    static const QStringList longs{u"1"_s, u"-7"_s, u"2147483647"_s, u"0"_s, QString()};
    static const QStringList doubles{u"9.275"_s, u"0.3"_s,   u"10"_s,   QString(),
                                     u"-0.5"_s,  u"1E+20"_s, u"12.45"_s};
    static const QStringList dates{u"3/15/1995"_s, u"3/15/1995 2:30:00 PM"_s,
                                   u"12/31/2025 12:05:09 AM"_s, QString()};
    static const QStringList flags{u"True"_s, u"False"_s};
    static const QStringList texts{QString(),    u"O'Neil"_s, u"a=b=c"_s, u"Zoë Ångström"_s,
                                   u"\"Q\" x"_s, u"Null?"_s,  u"[x]"_s};
    switch (column.type) {
    case T::Long:
        return longs[turn % longs.size()];
    case T::Double:
        return doubles[turn % doubles.size()];
    case T::Date:
        return dates[turn % dates.size()];
    case T::Boolean:
        return flags[turn % flags.size()];
    case T::Text:
        break;
    }
    return texts[turn % texts.size()].left(column.length);
}

QByteArray canonicalRecord(const MeetSchema::Table& table, int number) {
    QHash<QString, QString> values;
    for (int c = 0; c < table.columns.size(); ++c)
        values.insert(table.columns[c].name, sample(table.columns[c], number + c));
    return TransferFiles::record(table.name, number, values);
}

// A file as both programs write it: all tables, one of them empty, and one
// long enough for record numbers 999, 1000 and 10000.
QByteArray canonicalFile() {
    QHash<QString, QList<QByteArray>> records;
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        int count = 3;
        if (table->name == u"Meets"_s)
            count = 1;
        else if (table->name == u"Session Age Groups"_s)
            count = 0;
        else if (table->name == u"Age Dates"_s)
            count = 10000;
        for (int n = 1; n <= count; ++n)
            records[table->name].append(canonicalRecord(*table, n));
    }
    return TransferFiles::file(records);
}

// The stored value of a column as a QVariant, as the general way of writing takes it.
QVariant variantOf(const Utf8Statement& row, int column) {
    switch (row.type(column)) {
    case Utf8Statement::Type::Integer:
        return qlonglong(row.integer(column));
    case Utf8Statement::Type::Real:
        return row.real(column);
    case Utf8Statement::Type::Text:
        return QString::fromUtf8(row.text(column));
    case Utf8Statement::Type::Blob:
        return row.blob(column).toByteArray();
    case Utf8Statement::Type::Null:
        break;
    }
    return {};
}

QByteArray printfG15(double value) {
    char text[64];
    const int size = std::snprintf(text, sizeof text, "%.15G", value);
    return QByteArray(text, size);
}

} // namespace

class TestTransferExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void importThenExportGivesTheFileBack() {
        TempMeet temp;
        const QByteArray original = canonicalFile();
        const QString source = temp.path(u"original.rxt"_s);
        const QString meet = temp.path(u"meet.tallvane"_s);
        TransferFiles::write(source, original);
        TransferImporter importer(source, meet);
        QVERIFY(importer.run());
        QVERIFY2(importer.report().complete(), qPrintable(importer.report().details()));
        // Read in blocks, records cross the block ends: every line is counted.
        QCOMPARE(importer.linesRead(), qint64(original.count('\n')));

        const QString exported = temp.path(u"exported.rxt"_s);
        const TransferExport::Result result = TransferExport::exportMeetFile(meet, exported);
        QVERIFY2(result.ok, qPrintable(result.error));
        const QByteArray written = TransferFiles::read(exported);
        QCOMPARE(written.size(), original.size());
        QCOMPARE(written, original);
    }

    void everyTableComesFromTheSameMomentOfTheMeet() {
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        MeetDatabase writer;
        QVERIFY(writer.open(meet));
        TransferExport::Observer observer;
        // A score stored and a gymnast added while the export is at the last table.
        observer.tableStarted = [&writer](int number, const QString&) {
            if (number != 12)
                return;
            QVERIFY(writer.execute(u"UPDATE Gymnasts SET E1Final = ? WHERE Num = ?"_s,
                                   {9.5, u"101"_s}));
            QVERIFY(writer.execute(u"INSERT INTO Gymnasts(Num) VALUES(?)"_s, {u"999"_s}));
        };
        const QString target = temp.path(u"meet.rxt"_s);
        const TransferExport::Result result =
            TransferExport::exportMeetFile(meet, target, observer);
        QVERIFY2(result.ok, qPrintable(result.error));
        const QByteArray text = TransferFiles::read(target);
        QVERIFY(text.contains("[Gymnasts]\r\nNumRecords=4\r\n"));
        QVERIFY(!text.contains("E1Final=9.5"));
        QCOMPARE(writer.select(u"SELECT * FROM Gymnasts"_s).count(), 5);
    }

    void aFailedExportLeavesNoFileAndClaimsNothing() {
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        // Stopped half-way: the earlier file stays as it was, no temporary file is left.
        const QString earlier = temp.path(u"earlier.rxt"_s);
        TransferFiles::write(earlier, "earlier export");
        TransferExport::Observer observer;
        observer.cancelled = [] {
            return true;
        };
        QVERIFY(!TransferExport::exportMeetFile(meet, earlier, observer).ok);
        QCOMPARE(TransferFiles::read(earlier), QByteArray("earlier export"));
        QVERIFY(!TransferExport::exportMeetFile(meet, temp.path(u"new.rxt"_s), observer).ok);
        QCOMPARE(QDir(temp.folder()).entryList(QDir::Files).size(), 2); // sample, earlier

        QVERIFY(!TransferExport::exportMeetFile(temp.path(u"missing.tallvane"_s),
                                                temp.path(u"out.rxt"_s))
                     .ok);
        QVERIFY(!QFile::exists(temp.path(u"out.rxt"_s)));
    }

    // Every storage class SQLite may hold in every type of column, texts with
    // characters the code page has and lacks and bytes that are no UTF-8:
    // the export's writing from the engine's row gives the bytes the general
    // way gives from the same values, and names the same lossy fields.
    void everyStoredFormIsWrittenAsTheGeneralWayWritesIt() {
        TempMeet temp;
        MeetDatabase db;
        QVERIFY(db.open(temp.createMeetFile()));
        // Values a meet file from elsewhere may hold: past the length and flag checks.
        QVERIFY(db.execute(u"PRAGMA ignore_check_constraints = ON"_s));
        const MeetSchema::Table& gymnasts = *MeetSchema::table(u"Gymnasts"_s);
        // Texts as stored, "|" between them.
        QList<QByteArray> texts =
            QByteArray("Null|null|2026-03-14|2026-3-14|2026-03-14 10:05:00|"
                       "0999-01-01|2026-02-30|O'Neil|12.5|x|bad \xc3(|"
                       "Zo\xc3\xab \xc3\x85ngstr\xc3\xb6m|\xe6\x97\xa5|"
                       "\xe2\x82\xac 5 \xe2\x80\x94 \xe2\x84\xa2|\xf0\x9f\x98\x80")
                .split('|');
        texts << QByteArray("a\xc2\x81") + "b" << QByteArray("nul\0in", 6);
        const QList<double> reals{9.275,
                                  0.1 + 0.2,
                                  -0.5,
                                  1e20,
                                  -0.0,
                                  1.5e-7,
                                  123456789.123456789,
                                  99999999999.999,
                                  1e300,
                                  std::numeric_limits<double>::infinity()};
        const QList<qint64> integers{0, 1, -7, 2147483648LL, -9007199254740993LL};
        const std::unique_ptr<Utf8Statement> insert = WholeTable(db, gymnasts).utf8Inserter();
        QVERIFY(insert);
        for (int r = 0; r < 40; ++r) {
            for (int c = 0; c < gymnasts.columns.size(); ++c) {
                const int turn = r * 7 + c;
                switch (turn % 4) {
                case 0:
                    insert->bindText(c, texts[turn / 4 % texts.size()]);
                    break;
                case 1:
                    insert->bindReal(c, reals[turn / 4 % reals.size()]);
                    break;
                case 2:
                    insert->bindInteger(c, integers[turn / 4 % integers.size()]);
                    break;
                default:
                    if (gymnasts.columns[c].type == MeetSchema::ColumnType::Boolean)
                        insert->bindInteger(c, 1); // NOT NULL
                    else
                        insert->bindNull(c);
                }
            }
            QVERIFY2(insert->run(), qPrintable(insert->error()));
        }
        QVERIFY(db.execute(u"UPDATE Gymnasts SET MeetID = x'41', Num = x'00ff', "
                           "Birthday = x'32', E1S1 = x'33', Scratched = x'34' WHERE rowid = 1"_s));

        QByteArray viaRow;
        QBuffer rowFile(&viaRow);
        rowFile.open(QIODevice::WriteOnly);
        TransferWriter rowWriter(&rowFile);
        QByteArray viaValues;
        QBuffer valueFile(&viaValues);
        valueFile.open(QIODevice::WriteOnly);
        TransferWriter valueWriter(&valueFile);
        const std::unique_ptr<Utf8Statement> select = WholeTable(db, gymnasts).utf8Reader();
        QVERIFY(select);
        for (qint64 number = 1; select->next(); ++number) {
            rowWriter.writeRecord(gymnasts, number, *select);
            QVariantList values;
            for (int c = 0; c < gymnasts.columns.size(); ++c)
                values.append(variantOf(*select, c));
            valueWriter.writeRecord(gymnasts, number, values);
        }
        QVERIFY(select->error().isEmpty());
        QVERIFY(rowWriter.finish() && valueWriter.finish());
        QCOMPARE(viaRow.size(), viaValues.size());
        QCOMPARE(viaRow, viaValues);
        QVERIFY(!rowWriter.lossyFields().isEmpty());
        QCOMPARE(rowWriter.lossyFields(), valueWriter.lossyFields());
    }

    // Scores with up to three decimals take a shortcut; it and the general
    // way both write what printf's %.15G writes whenever 15 digits hold the
    // value, at every magnitude and at the shortcut's limits.
    void numbersAreWrittenAsPrintfWritesThem() {
        QList<double> values;
        for (qint64 n = -200000; n <= 200000; ++n)
            values << double(n) / 1000;
        for (const double edge : {99999999999.999, 99999999999.998, 1e11, 1e11 - 1, 123456.7891,
                                  0.0005, 0.001, 0.0001, 1e-5, 9.999999999999999, 1e15, 1e16,
                                  123456789012345.0, 5e-324, 1.7976931348623157e308})
            values << edge << -edge;
        QRandomGenerator random(27);
        for (int i = 0; i < 200000; ++i) {
            const double scale = std::pow(10.0, int(random.bounded(40)) - 20);
            values << (random.generateDouble() - 0.5) * scale;
            values << std::round(random.generateDouble() * 1e7) / std::pow(10.0, random.bounded(8));
        }
        for (const double value : values) {
            if (value == 0 || TransferValues::shortestDigitCount(value) > 15)
                continue;
            const QByteArray written = TransferValues::formatDouble(value).toLatin1();
            if (written != printfG15(value))
                QFAIL(qPrintable(u"%1 written as %2"_s.arg(QString::fromLatin1(printfG15(value)),
                                                           QString::fromLatin1(written))));
        }
    }

    // Every character below U+10000, at every place of an ASCII run, goes from
    // UTF-8 into the code page as the general way (QString, then the code
    // page) writes it, or is handed to the general way exactly when that one
    // loses it; so are bytes that are no UTF-8.
    void textsGoFromUtf8IntoTheCodePageAsTheGeneralWayWrites() {
        QList<QByteArray> texts{"\xc3",
                                "\xc3(",
                                "\xc0\x80",
                                "\xe0\x80\x80",
                                "\xed\xa0\x80",
                                "\xe2\x82",
                                "\x80"
                                "abc",
                                "\xff",
                                "\xf0\x9f\x98\x80",
                                "\xf4\x90\x80\x80",
                                "plain ascii text"};
        for (char32_t c = 1; c < 0x10000; ++c) {
            if (c >= 0xD800 && c < 0xE000)
                continue;
            const QByteArray utf8 = QString::fromUcs4(&c, 1).toUtf8();
            texts << utf8 << "abcdefg" + utf8 + "hijklmnop";
        }
        for (const QByteArray& text : texts) {
            bool lossless = true;
            const QByteArray general = Cp1252::encode(QString::fromUtf8(text), &lossless);
            QByteArray direct(text.size(), '\0');
            const char* end = Utf8ToCp1252::convert(text, direct.data());
            QCOMPARE(end != nullptr, lossless);
            if (end)
                QCOMPARE(direct.left(end - direct.constData()), general);
        }
    }

    void exportJobRunsOnItsOwnThread() {
        TempMeet temp;
        const QString meet = temp.createSampleMeet();
        ExportJob job(meet, temp.path(u"job.rxt"_s));
        QSignalSpy tables(&job, &ExportJob::tableStarted);
        QSignalSpy finished(&job, &ExportJob::finished);
        job.start();
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.first().first().toBool());
        QCOMPARE(tables.size(), 12);
        QCOMPARE(tables.last().at(1).toString(), u"Gymnasts"_s);
    }
};

QTEST_GUILESS_MAIN(TestTransferExport)
#include "tst_transfer_export.moc"
