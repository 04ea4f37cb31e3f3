#include "db/meetdatabase.h"
#include "db/meetschema.h"
#include "tempmeet.h"
#include "transfer/exportjob.h"
#include "transfer/transferexport.h"
#include "transfer/transferimporter.h"
#include "transferfiles.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

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
