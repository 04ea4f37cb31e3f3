#include "db/meetdatabase.h"
#include "firstrow.h"
#include "shell/codepage1252.h"
#include "tempmeet.h"
#include "transfer/transferimporter.h"
#include "transferfiles.h"

#include <QFile>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using TransferFiles::record;

namespace {

QByteArray meetsRecord(const QString& values = {}) {
    return record(u"Meets"_s, 1, u"MeetID=1|Name=Spring Classic|Num_Judges=3|"_s + values);
}

} // namespace

class TestTransferImport : public QObject {
    Q_OBJECT

    TempMeet mTemp;
    std::unique_ptr<MeetDatabase> mDb;

    // Imports `bytes` into a new meet file, then open as mDb; returns the importer's report.
    ImportReport import(const QByteArray& bytes) {
        const QString source = mTemp.path(u"in.rxt"_s);
        const QString meet = mTemp.path(u"meet.tallvane"_s);
        mDb = std::make_unique<MeetDatabase>();
        TransferImporter::removeMeetFile(meet);
        TransferFiles::write(source, bytes);
        TransferImporter importer(source, meet);
        importer.run();
        if (importer.report().ran() && !mDb->open(meet))
            qWarning("%s", qPrintable(mDb->lastError()));
        return importer.report();
    }

private Q_SLOTS:
    void valuesAreStoredByColumnType() {
        const ImportReport report = import(TransferFiles::file(
            {{u"Meets"_s,
              {meetsRecord(u"Zip=02139|Start_Date=3/14/2026|UseAgeDiv=True|"
                           "Name=O'Malley's \"Best\" Meet a=b"_s)}},
             {u"Events"_s, {record(u"Events"_s, 1, u"EventID=1|Event2=Bars"_s)}},
             {u"Gyms"_s, {record(u"Gyms"_s, 1, u"official name=O'Hare Flyers"_s)}},
             {u"Gymnasts"_s,
              {record(u"Gymnasts"_s, 1,
                      u"Num=007|First_Name=Zoë|Last_Name=O'Neil|Birthday=5/2/2016|"
                      "Session=2|Scratched=|E1Final=9.275|E1S1= 9.3 "_s)}}}));
        QVERIFY2(report.complete(), qPrintable(report.details()));
        QCOMPARE(report.storedRecords, 4);

        // A text column keeps its zeros and an empty text; an empty number or date
        // is Null, the header still stored; an empty Boolean is False.
        QCOMPARE(firstRow(*mDb, u"SELECT Zip, Name, Start_Date, End_Date, Def_EventID, UseAgeDiv, "
                                "Comp1, Fax FROM Meets"_s),
                 QStringList({u"02139"_s, u"O'Malley's \"Best\" Meet a=b"_s, u"2026-03-14"_s,
                              u"<null>"_s, u"<null>"_s, u"1"_s, u"0"_s, QString()}));
        // Some Events texts are stored as "Null" when empty, as the other program does.
        QCOMPARE(firstRow(*mDb, u"SELECT Ev1ScoreIDs, AlphaWidth1, Event1, Event2, NumEvents, "
                                "Ev1Short FROM Events"_s),
                 QStringList({u"Null"_s, u"Null"_s, QString(), u"Bars"_s, u"<null>"_s, QString()}));
        QCOMPARE(firstRow(*mDb, u"SELECT \"official name\" FROM Gyms"_s),
                 QStringList{u"O'Hare Flyers"_s});
        QCOMPARE(firstRow(*mDb, u"SELECT Num, First_Name, Last_Name, Birthday, Session, Scratched, "
                                "E1Final, E1S1, E2Final, Gym FROM Gymnasts"_s),
                 QStringList({u"007"_s, u"Zoë"_s, u"O'Neil"_s, u"2016-05-02"_s, u"2"_s, u"0"_s,
                              u"9.275"_s, u"9.3"_s, u"<null>"_s, u"<null>"_s}));
    }

    // Every character of the code page is stored as itself, a date with a time
    // of day as its ISO text, in a reordered record too.
    void storesEveryCharacterOfTheCodePage() {
        QByteArray high;
        for (int b = 0x80; b < 0x100; ++b)
            high.append(char(b));
        const QString characters = Cp1252::decode(high);
        QByteArray reordered = record(u"Levels"_s, 1, u"EventID=1|Level=\u00e9t\u00e9"_s);
        reordered.replace("EventID=1\r\n", "").replace("TAMethodAA=", "EventID=1\r\nTAMethodAA=");
        const ImportReport report = import(TransferFiles::file(
            {{u"Meets"_s,
              {meetsRecord(u"Start_Date=3/14/2026 2:30:05 PM|Facility="_s + characters)}},
             {u"Levels"_s, {reordered}},
             {u"Gyms"_s, {record(u"Gyms"_s, 1, u"official name=\u20acuro \u201cGym\u201d"_s)}}}));
        QVERIFY2(report.complete(), qPrintable(report.details()));
        QCOMPARE(firstRow(*mDb, u"SELECT Start_Date, Facility FROM Meets"_s),
                 QStringList({u"2026-03-14 14:30:05"_s, characters}));
        QCOMPARE(allRows(*mDb, u"SELECT EventID, Level FROM Levels"_s),
                 QStringList{u"1|\u00e9t\u00e9"_s});
        QCOMPARE(firstRow(*mDb, u"SELECT \"official name\" FROM Gyms"_s),
                 QStringList{u"\u20acuro \u201cGym\u201d"_s});
    }

    // Fields are matched by name, in any order and letter case; a record with
    // unknown or missing names or values that cannot be stored is refused.
    void refusedRecordsAreListedAndTheRestIsStored() {
        const QByteArray reordered =
            "[Levels-0001]\r\nTAMethodAA=AA\r\nlevel=4\r\nTAMethod=T\r\nEventID=7\r\n\r\n";
        QByteArray unknownField = record(u"Levels"_s, 2, u"EventID=2"_s);
        unknownField.replace("TAMethod=", "TAMethodX=");
        QByteArray missingField = record(u"Levels"_s, 3, u"EventID=3"_s);
        missingField.replace("TAMethodAA=\r\n", "");
        const ImportReport report = import(TransferFiles::file(
            {{u"Meets"_s, {meetsRecord(), meetsRecord(u"Name=Second"_s)}},
             {u"Levels"_s,
              {reordered, unknownField, missingField, record(u"Levels"_s, 4, u"Level=123456"_s),
               record(u"Levels"_s, 5, u"EventID=five"_s)}},
             {u"Gyms"_s, {record(u"Gyms"_s, 1, u"women=Yes"_s)}},
             {u"Coaches"_s, {record(u"Coaches"_s, 1, u"proexpire=2/30/2020"_s)}},
             {u"Gymnasts"_s,
              {record(u"Gymnasts"_s, 1, u"Num=1"_s),
               record(u"Gymnasts"_s, 2, u"Num=2|E1S1=9,5"_s)}}}));
        QVERIFY(report.ran());
        QVERIFY(!report.complete());
        QCOMPARE(report.storedRecords, 3); // Meets, Levels-0001, Gymnasts-0001

        QStringList refused;
        for (const ImportReport::Refused& r : report.refused)
            refused.append(r.record + u": "_s + r.reason);
        const QStringList expected{
            u"Meets-0001: a meet has one Meets record; only the first was imported"_s,
            u"Levels-0002: unknown fields: TAMethodX; missing fields: TAMethod"_s,
            u"Levels-0003: missing fields: TAMethodAA"_s,
            u"Levels-0004: CHECK constraint failed: Levels.Level is longer than 5 characters"_s,
            u"Levels-0005: EventID: \"five\" is not a number"_s,
            u"Gyms-0001: women: \"Yes\" is neither True nor False"_s,
            u"Coaches-0001: proexpire: \"2/30/2020\" is not a date"_s,
            u"Gymnasts-0002: E1S1: \"9,5\" is not a number"_s};
        QCOMPARE(refused, expected);
        QVERIFY(
            report.details().startsWith(u"8 records were not imported:\r\n[Meets-0001] (line "_s));

        QCOMPARE(mDb->select(u"SELECT * FROM Meets"_s).text(0, u"Name"_s), u"Spring Classic"_s);
        QCOMPARE(allRows(*mDb, u"SELECT EventID, Level, TAMethod, TAMethodAA FROM Levels"_s),
                 QStringList{u"7|4|T|AA"_s});
        QCOMPARE(mDb->select(u"SELECT * FROM Gymnasts"_s).count(), 1);
    }

    void aFileThatEndsEarlySaysWhichTablesAreMissing() {
        QByteArray whole =
            TransferFiles::file({{u"Meets"_s, {meetsRecord()}},
                                 {u"Judges"_s, {record(u"Judges"_s, 1, u"JudgeID=1"_s)}},
                                 {u"Attend"_s, {record(u"Attend"_s, 1, u"GymID=1"_s)}}});
        const QByteArray cut = whole.left(whole.indexOf("[Attend-0001]") + 40); // mid-record
        const ImportReport report = import(cut);
        QVERIFY(report.ran());
        QCOMPARE(report.missingTables,
                 QStringList({u"Attend"_s, u"Gyms"_s, u"Coaches"_s, u"Gymnasts"_s}));
        QCOMPARE(report.refused.size(), 1); // the cut record lacks most of its fields
        QVERIFY2(report.refused[0].reason.contains(u"missing fields: Short_Name, Reg_Rcvd"_s),
                 qPrintable(report.refused[0].reason));
        QVERIFY(report.details().contains(u"These tables were not found or are incomplete: "
                                          "Attend, Gyms, Coaches, Gymnasts"_s));
        QCOMPARE(mDb->select(u"SELECT * FROM Judges"_s).count(), 1); // what was there is kept
    }

    void nothingIsCreatedForAnUnusableFileOrAnExistingTarget() {
        TempMeet temp;
        const QString source = temp.path(u"old.rxt"_s);
        const QString meet = temp.path(u"meet.tallvane"_s);
        TransferFiles::write(source, TransferFiles::file({{u"Meets"_s, {meetsRecord()}}})
                                         .replace("Version=4.0", "Version=3.5"));
        {
            TransferImporter importer(source, meet);
            QVERIFY(!importer.run());
            QCOMPARE(importer.report().error, u"This software requires a Rostrel file with a "
                                              "version number of 4.0 or greater."_s);
        }
        QVERIFY(!QFile::exists(meet));

        TransferFiles::write(source, TransferFiles::file({}));
        TransferFiles::write(meet, "keep me");
        QVERIFY(!TransferImporter(source, meet).run());
        QCOMPARE(TransferFiles::read(meet), QByteArray("keep me"));

        // Side files of a deleted meet go with it.
        TransferFiles::write(meet + u"-wal"_s, "stale");
        QVERIFY(TransferImporter::removeMeetFile(meet));
        QVERIFY(!QFile::exists(meet));
        QVERIFY(!QFile::exists(meet + u"-wal"_s));

        // An import given up half-way leaves no meet file.
        {
            TransferImporter importer(source, meet);
            QVERIFY(importer.begin());
            QVERIFY(QFile::exists(meet));
            // Until the import commits, the file holds no meet: not even its tables.
            MeetDatabase early;
            QVERIFY(!early.open(meet));
        }
        QVERIFY(!QFile::exists(meet));
    }
};

QTEST_GUILESS_MAIN(TestTransferImport)
#include "tst_transfer_import.moc"
