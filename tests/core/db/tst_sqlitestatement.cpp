#include "db/sqlitestatement.h"
#include "emptymeet.h"

#include <QDate>
#include <QSqlQuery>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// The engine's own statements must store and read exactly what Qt Sql's do on
// the same connection: the transfer import and export rely on it.
class TestSqliteStatement : public QObject {
    Q_OBJECT

    std::unique_ptr<EmptyMeet> mMeet;

    // typeof() and quote() of the value a statement stored, as one text.
    QString stored(const QString& table) {
        QSqlQuery query(mMeet->db.connection());
        if (!query.exec(u"SELECT typeof(v) || ' ' || quote(v) FROM "_s + table) || !query.next())
            return u"<nothing>"_s;
        return query.value(0).toString();
    }

private Q_SLOTS:
    void init() { mMeet = std::make_unique<EmptyMeet>(); }
    void cleanup() { mMeet.reset(); }

    void bindsEveryKindOfValueAsQtSqlDoes_data() {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("invalid") << QVariant();
        QTest::newRow("null text") << QVariant(QString());
        QTest::newRow("empty text") << QVariant(u""_s);
        QTest::newRow("text") << QVariant(u"Zoë \"Z\" O'Neil"_s);
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
        QVERIFY(mMeet->db.execute(u"INSERT INTO byQt(v) VALUES(?)"_s, {value}));

        const std::shared_ptr<SqliteStatement> insert =
            mMeet->db.sqliteStatement(u"INSERT INTO byEngine(v) VALUES(?)"_s);
        QVERIFY2(insert, qPrintable(mMeet->db.lastError()));
        insert->bind(0, value);
        QVERIFY2(insert->run(), qPrintable(insert->error()));
        QCOMPARE(stored(u"byEngine"_s), stored(u"byQt"_s));
    }

    // Texts are handed to the engine as UTF-8 or UTF-16: either way the file
    // holds the text's UTF-8, whatever its length or characters.
    void storesEveryTextAsItsUtf8() {
        QVERIFY(mMeet->db.execute(u"CREATE TABLE texts(v)"_s));
        const std::shared_ptr<SqliteStatement> insert =
            mMeet->db.sqliteStatement(u"INSERT INTO texts(v) VALUES(?)"_s);
        QVERIFY2(insert, qPrintable(mMeet->db.lastError()));
        const QStringList texts{
            u"9.350"_s,         u""_s,    QString(u"a\0b"_s),         QString(256, u'x'),
            QString(257, u'y'), u"Zoë"_s, QString(300, u'z') + u"é"_s};
        for (const QString& text : texts) {
            insert->bind(0, text);
            QVERIFY2(insert->run(), qPrintable(insert->error()));
        }
        QSqlQuery query(mMeet->db.connection());
        QVERIFY(query.exec(u"SELECT typeof(v), hex(v) FROM texts ORDER BY rowid"_s));
        for (const QString& text : texts) {
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toString(), u"text"_s);
            QCOMPARE(query.value(1).toString(),
                     QString::fromLatin1(text.toUtf8().toHex().toUpper()));
        }
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

    void refusalsCarryTheEnginesMessageAndLeaveTheStatementReusable() {
        const QString sql = u"INSERT INTO Gymnasts(Num, Level) VALUES(?, ?)"_s;
        QVERIFY(!mMeet->db.execute(sql, {u"1"_s, u"123456"_s}));
        const QString qtMessage = mMeet->db.lastError();

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
        QCOMPARE(mMeet->db.select(u"SELECT Level FROM Gymnasts"_s).text(0, u"Level"_s), fits);

        QVERIFY(!mMeet->db.sqliteStatement(u"SELECT Num FROM nowhere"_s));
        QVERIFY2(mMeet->db.lastError().contains(u"nowhere"_s), qPrintable(mMeet->db.lastError()));
    }
};

QTEST_GUILESS_MAIN(TestSqliteStatement)
#include "tst_sqlitestatement.moc"
