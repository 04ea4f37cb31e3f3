#include "datarows.h"
#include "db/dbtransaction.h"
#include "db/meetschema.h"
#include "db/sqlitestatement.h"
#include "emptymeet.h"
#include "firstrow.h"
#include "transferfiles.h"

#include <QDate>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

class TestMeetDatabase : public QObject {
    Q_OBJECT

    std::unique_ptr<EmptyMeet> mMeet;

    // typeof() and hex() of the value a statement stored, as one text: a text's
    // hex() is its UTF-8 as the file holds it.
    QString stored(const QString& table) {
        QSqlQuery query(mMeet->db.connection());
        if (!query.exec(u"SELECT typeof(v) || ' ' || hex(v) FROM "_s + table) || !query.next())
            return u"<nothing>"_s;
        return query.value(0).toString();
    }
    static QStringList waitingIndex(MeetDatabase& db) {
        return firstRow(db, u"SELECT sql FROM sqlite_master WHERE name = 'TallvaneQueueWaiting'"_s);
    }

private Q_SLOTS:
    void init() { mMeet = std::make_unique<EmptyMeet>(); }
    void cleanup() { mMeet.reset(); }

    void newFileHasTheWholeSchema() {
        MeetDatabase& db = mMeet->db;
        // Every table with its columns in the meet-management program's order,
        // and no index but the three lookups it gains when opened: 15 tables, 377
        // columns in all.
        QList<int> columns;
        for (const MeetSchema::Table& table : MeetSchema::tables()) {
            const DbRows all = db.select(u"SELECT * FROM "_s + MeetSchema::quotedName(table.name));
            QVERIFY2(all.ok(), qPrintable(all.error()));
            for (int c = 0; c < table.columns.size(); ++c)
                QCOMPARE(all.columnNames().value(c), table.columns[c].name);
            columns << int(all.columnNames().size());
        }
        QCOMPARE(columns, (QList<int>{27, 50, 4, 10, 11, 4, 52, 24, 28, 20, 14, 114, 8, 9, 2}));
        QCOMPARE(firstRow(db, u"SELECT (SELECT group_concat(name, ' ') FROM (SELECT name FROM "
                              "sqlite_master WHERE type = 'index' ORDER BY name)), "
                              "sessionid IS NOT NULL, session_desc FROM current_settings"_s),
                 QStringList({u"TallvaneGymnastsNum TallvaneQueueNumEvent TallvaneQueueWaiting"_s,
                              u"1"_s, QString()}));

        // A gymnast stored with only a number: Null everywhere but the ten
        // Booleans, which are False and cannot be Null.
        QVERIFY(db.execute(u"INSERT INTO Gymnasts(Num) VALUES(?)"_s, {u"007"_s}));
        QStringList expected;
        for (const MeetSchema::Column& column : MeetSchema::table(u"gymnasts"_s)->columns)
            expected << (column.name == u"Num"_s                          ? u"007"_s
                         : column.type == MeetSchema::ColumnType::Boolean ? u"0"_s
                                                                          : u"<null>"_s);
        QCOMPARE(expected.count(u"0"_s), 10);
        QCOMPARE(firstRow(db, u"SELECT * FROM Gymnasts"_s), expected);
        QVERIFY(!db.execute(u"INSERT INTO Gymnasts(Num, Scratched) VALUES('1', NULL)"_s));
    }

    // A file whose waiting-scores index an earlier version made otherwise
    // gets it as it is made now when opened, and its rows read through it as before.
    void anOlderIndexIsMadeAgain() {
        const QString path = mMeet->db.filePath();
        const QString made = waitingIndex(mMeet->db).value(0);
        QVERIFY(made.contains(u"WHERE Status = 'Queued'"_s));
        for (const QString& sql :
             {u"DROP INDEX TallvaneQueueWaiting"_s,
              u"CREATE INDEX TallvaneQueueWaiting "
              "ON ScoreBoardQueue(Status, EventName, QueueTimeNum)"_s,
              u"INSERT INTO ScoreBoardQueue(num, EventName, QueueTimeNum, Status) "
              "VALUES('101', 'Vault', '1', 'Queued'), ('102', 'Vault', '0', 'Sent')"_s})
            QVERIFY2(mMeet->db.execute(sql), qPrintable(mMeet->db.lastError()));
        mMeet->db.close();

        MeetDatabase db;
        QVERIFY2(db.open(path), qPrintable(db.lastError()));
        QCOMPARE(waitingIndex(db), QStringList{made});
        QCOMPARE(firstRow(db, u"SELECT num FROM ScoreBoardQueue WHERE Status = 'Queued' AND "
                              "EventName = 'Vault' ORDER BY QueueTimeNum"_s),
                 QStringList{u"101"_s});
        // Opened again, it stays as it is.
        QVERIFY(db.open(path));
        QCOMPARE(waitingIndex(db), QStringList{made});
    }

    // Names sort and match without letter case, in every alphabet: each pair
    // as "same less" (1 or 0).
    void textComparesWithoutLetterCase_data() {
        addDataRows<QString, QString, QString>({"left", "right", "order"},
                                               {{u"de Silva"_s, u"Young"_s, u"0 1"_s},
                                                {u"vault"_s, u"Vault"_s, u"1 0"_s},
                                                {u"ÉMILIE"_s, u"émilie"_s, u"1 0"_s},
                                                {u"ΣΟΦΙΑ"_s, u"σοφια"_s, u"1 0"_s},
                                                {u"ann"_s, u"Anna"_s, u"0 1"_s},
                                                {u"Zoë"_s, u"zoe"_s, u"0 0"_s}});
    }

    void textComparesWithoutLetterCase() {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(QString, order);
        QCOMPARE(firstRow(mMeet->db, u"SELECT ? = ? COLLATE NOCASE, ? < ? COLLATE NOCASE"_s,
                          {left, right, left, right})
                     .join(u' '),
                 order);
    }

    // Values are bound, never spliced in, and column names match in any case.
    void valuesAreBound() {
        QVERIFY(mMeet->db.execute(u"INSERT INTO scoreboardqueue(num, GymnastName) VALUES(?, ?)"_s,
                                  {u"5"_s, u"Maya O'Neil'; DROP TABLE Gymnasts; --"_s}));
        QCOMPARE(
            mMeet->db.select(u"SELECT GymnastName AS who FROM ScoreBoardQueue"_s).text(0, u"WHO"_s),
            u"Maya O'Neil'; DROP TABLE Gymnasts; --"_s);
    }

    void transactionRollsBackUnlessCommitted() {
        for (const bool commit : {false, true}) {
            DbTransaction transaction(mMeet->db);
            QVERIFY(mMeet->db.execute(u"INSERT INTO Gymnasts(Num) VALUES(?)"_s, {int(commit)}));
            QVERIFY(!commit || transaction.commit());
        }
        QCOMPARE(allRows(mMeet->db, u"SELECT Num FROM Gymnasts"_s), QStringList{u"1"_s});
    }

    // Deferrals nest: commits sync by themselves again once the last ends.
    void commitSyncDeferralsNest() {
        MeetDatabase& db = mMeet->db;
        const auto mode = [&db] {
            return firstRow(db, u"PRAGMA synchronous"_s).value(0);
        };
        QVERIFY(db.deferCommitSync() && db.deferCommitSync() && db.endCommitSyncDeferral());
        QCOMPARE(mode(), u"1"_s); // NORMAL while one deferral is left
        QVERIFY(db.endCommitSyncDeferral() && db.endCommitSyncDeferral());
        QCOMPARE(mode(), u"2"_s); // FULL
    }

    // Neither a missing file nor one of other text becomes a meet.
    void refusesFilesThatAreNoMeet() {
        MeetDatabase db;
        QVERIFY(!db.open(mMeet->temp.path(u"missing.tallvane"_s)));
        QVERIFY(!QFile::exists(mMeet->temp.path(u"missing.tallvane"_s)));
        TransferFiles::write(mMeet->temp.path(u"notes.tallvane"_s), "Not a meet.\n");
        QVERIFY(!MeetDatabase::createMeetDatabase(mMeet->temp.path(u"notes.tallvane"_s)));
    }

    void refusesAMeetWithoutWriteAheadLogging() {
        const QString file = mMeet->temp.createMeetFile(u"other.tallvane"_s);
        TempMeet::change(file, u"PRAGMA journal_mode=DELETE"_s);
        {
            // A reader holding the file keeps it from switching back to WAL.
            QSqlDatabase reader = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"reader"_s);
            reader.setDatabaseName(file);
            QVERIFY(reader.open());
            QSqlQuery hold(reader);
            QVERIFY(hold.exec(u"BEGIN"_s));
            QVERIFY(hold.exec(u"SELECT * FROM Meets"_s));

            MeetDatabase db;
            QVERIFY(!db.open(file));
            QVERIFY(!db.isOpen());
            QVERIFY2(db.lastError().contains(u"write-ahead logging"_s), qPrintable(db.lastError()));
        }
        QSqlDatabase::removeDatabase(u"reader"_s);
    }

    // The engine's own statements must store and read exactly what Qt Sql's do
    // on the same connection: the transfer import and export rely on it. Texts
    // are handed to the engine as UTF-8 or UTF-16, by their length and
    // characters: either way the file holds the text's UTF-8.
    void bindsEveryKindOfValueAsQtSqlDoes_data() {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("invalid") << QVariant();
        QTest::newRow("null text") << QVariant(QString());
        QTest::newRow("empty text") << QVariant(u""_s);
        QTest::newRow("text") << QVariant(u"Zoë \"Z\" O'Neil"_s);
        QTest::newRow("text of a number") << QVariant(u"9.350"_s);
        QTest::newRow("text with a NUL") << QVariant(QString(u"a\0b"_s));
        QTest::newRow("256 ASCII characters") << QVariant(QString(256, u'x'));
        QTest::newRow("257 ASCII characters") << QVariant(QString(257, u'y'));
        QTest::newRow("long, beyond ASCII") << QVariant(QString(300, u'z') + u"é"_s);
        QTest::newRow("int") << QVariant(-7);
        QTest::newRow("bool") << QVariant(true);
        QTest::newRow("long long") << QVariant(qlonglong(1) << 40);
        QTest::newRow("double") << QVariant(9.275);
        QTest::newRow("bytes") << QVariant(QByteArray("\x01\x00\x02", 3));
        QTest::newRow("null bytes") << QVariant(QByteArray());
        QTest::newRow("date (as text)") << QVariant(QDate(2026, 3, 14));
    }
    void bindsEveryKindOfValueAsQtSqlDoes() {
        QFETCH(QVariant, value);
        // Untyped columns keep whatever storage class the value was bound with.
        QVERIFY(mMeet->db.execute(u"CREATE TABLE byQt(v)"_s));
        QVERIFY(mMeet->db.execute(u"CREATE TABLE byEngine(v)"_s));
        QSqlQuery byQt(mMeet->db.connection());
        QVERIFY(byQt.prepare(u"INSERT INTO byQt(v) VALUES(?)"_s));
        byQt.addBindValue(value);
        QVERIFY2(byQt.exec(), qPrintable(byQt.lastError().text()));

        const std::shared_ptr<SqliteStatement> insert =
            mMeet->db.sqliteStatement(u"INSERT INTO byEngine(v) VALUES(?)"_s);
        QVERIFY2(insert, qPrintable(mMeet->db.lastError()));
        insert->bind(0, value);
        QVERIFY2(insert->run(), qPrintable(insert->error()));
        QCOMPARE(stored(u"byEngine"_s), stored(u"byQt"_s));
    }

    void readsEveryStorageClassAsQtSqlDoes() {
        QVERIFY(mMeet->db.execute(u"CREATE TABLE kinds(v)"_s));
        QVERIFY(mMeet->db.execute(u"INSERT INTO kinds(v) VALUES (42), (-0.5), ('Émilie'), (''), "
                                  "(NULL), (x'00ff')"_s));
        QSqlQuery query(mMeet->db.connection());
        QVERIFY(query.exec(u"SELECT v FROM kinds ORDER BY rowid"_s));
        const std::shared_ptr<SqliteStatement> select =
            mMeet->db.sqliteStatement(u"SELECT v FROM kinds ORDER BY rowid"_s);
        QVERIFY2(select, qPrintable(mMeet->db.lastError()));
        int rows = 0;
        while (query.next()) {
            QVERIFY(select->next());
            const QVariant mine = select->value(0);
            if (query.isNull(0)) {
                QVERIFY(!mine.isValid());
            } else {
                QCOMPARE(mine.typeId(), query.value(0).typeId());
                QCOMPARE(mine, query.value(0));
            }
            ++rows;
        }
        QVERIFY(!select->next());
        QVERIFY(select->error().isEmpty());
        QCOMPARE(rows, 6);
        // Stepped to the end, it runs again from the start.
        QVERIFY(select->next());
        QCOMPARE(select->value(0), QVariant(qlonglong(42)));
        select->reset();
    }

    // Text lengths count characters, not bytes; a refusal carries the
    // engine's message either way and leaves the statement reusable.
    void refusalsCarryTheEnginesMessageAndLeaveTheStatementReusable() {
        const QString sql = u"INSERT INTO Gymnasts(Num, Level) VALUES(?, ?)"_s;
        QVERIFY(mMeet->db.execute(sql, {u"1"_s, u"ééééé"_s}));
        QVERIFY(!mMeet->db.execute(sql, {u"1"_s, u"123456"_s}));
        const QString qtMessage = mMeet->db.lastError();
        QVERIFY2(qtMessage.contains(u"Gymnasts.Level is longer than 5 characters"_s),
                 qPrintable(qtMessage));

        const std::shared_ptr<SqliteStatement> insert = mMeet->db.sqliteStatement(sql);
        QVERIFY(insert);
        const QString num = u"2"_s;
        const QString tooLong = u"123456"_s;
        insert->bind(0, num);
        insert->bind(1, tooLong);
        QVERIFY(!insert->run());
        QCOMPARE(insert->error(), qtMessage);

        const QString fits = u"12345"_s;
        insert->bind(1, fits);
        QVERIFY2(insert->run(), qPrintable(insert->error()));
        QVERIFY(insert->error().isEmpty());
        QCOMPARE(
            mMeet->db.select(u"SELECT Level FROM Gymnasts WHERE Num = '2'"_s).text(0, u"Level"_s),
            fits);

        QVERIFY(!mMeet->db.sqliteStatement(u"SELECT Num FROM nowhere"_s));
        QVERIFY2(mMeet->db.lastError().contains(u"nowhere"_s), qPrintable(mMeet->db.lastError()));
    }
};

QTEST_GUILESS_MAIN(TestMeetDatabase)
#include "tst_meetdatabase.moc"
