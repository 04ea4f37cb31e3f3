#include "console/sessionsconsole.h"
#include "consoledesk.h"
#include "firstrow.h"

#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

class TestConsoleSessions : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleDesk> mDesk;
    std::unique_ptr<SessionsConsole> mSessions;

    void run(const QString& sql, const QVariantList& values = {}) {
        QVERIFY2(mDesk->db.execute(sql, values), qPrintable(mDesk->db.lastError()));
    }
    QString stored(const QString& sql) {
        const DbRows rows = mDesk->db.select(sql);
        return rows.isEmpty() ? QString() : rows.value(0, 0).toString();
    }
    SessionRecord record(const QString& number, const QString& description, const QString& date) {
        return {number, description, date, u"8:00"_s, u"8:30"_s, u"9:15"_s, u"11:30"_s};
    }

private Q_SLOTS:
    void init() {
        mDesk = std::make_unique<ConsoleDesk>();
        QVERIFY(mDesk->openSampleMeet());
        mSessions = std::make_unique<SessionsConsole>(mDesk->db, mDesk->current, mDesk->prompter);
    }
    void cleanup() {
        mSessions.reset();
        mDesk.reset();
    }

    void listsSessionsAndLoadsTheChosenOne() {
        run(u"INSERT INTO Sessions(MeetID, Session, \"Desc\", SDate, Awards) "
            "VALUES(1, 12, 'Level 4 - Group B', '2026-03-15', '4:00 PM')"_s);
        QVERIFY(mSessions->refresh());
        QCOMPARE(mSessions->sessions().size(), 3);
        const SessionEntry entry = mSessions->sessions().last();
        QCOMPARE(SessionsConsole::listText(entry), u"12 - Level 4 - Group B"_s);

        const auto loaded = mSessions->load(entry.number);
        QVERIFY(loaded);
        // A Null shows empty.
        QCOMPARE((QStringList{loaded->description, loaded->awards, loaded->date, loaded->marchIn}),
                 QStringList({u"Level 4 - Group B"_s,
                              u"4:00 PM"_s,
                              QLocale().toString(QDate(2026, 3, 15), QLocale::ShortFormat),
                              {}}));

        QVERIFY(!mSessions->load(u"77"_s));
        QCOMPARE(mDesk->prompter.lastMessage(), u"Unable to load/find Session"_s);
    }

    void saveRefusesDatesThatAreNoDates_data() {
        QTest::addColumn<QString>("date");
        QTest::newRow("empty") << QString();
        QTest::newRow("words") << u"next Saturday"_s;
        QTest::newRow("month 13") << u"13/40/2026"_s;
    }
    void saveRefusesDatesThatAreNoDates() {
        QFETCH(QString, date);
        QVERIFY(!mSessions->save(record(u"1"_s, u"Changed"_s, date)));
        QCOMPARE(mDesk->prompter.lastMessage(),
                 u"Invalid Session date.  Enter a valid Session date and try again."_s);
        QCOMPARE(stored(u"SELECT \"Desc\" FROM Sessions WHERE Session = 1"_s), u"Saturday AM"_s);
    }

    void saveStoresTextIntactAndDateAsIso() {
        QVERIFY(mSessions->save(record(u"2"_s, u"Kids' \"Fun\" Session; --"_s, u"3/15/2026"_s)));
        QCOMPARE(firstRow(mDesk->db,
                          u"SELECT \"Desc\", SDate, March_In FROM Sessions WHERE Session = 2"_s),
                 QStringList({u"Kids' \"Fun\" Session; --"_s, u"2026-03-15"_s, u"9:15"_s}));
        QCOMPARE(mSessions->sessions()[1].description, u"Kids' \"Fun\" Session; --"_s);
    }

    void saveRefusesTooLongTextAndWritesNothing() {
        SessionRecord edited = record(u"2"_s, u"Changed"_s, u"2026-03-15"_s);
        edited.awards = QString(21, u'x');
        QVERIFY(!mSessions->save(edited));
        QVERIFY(mDesk->prompter.lastMessage().startsWith(u"The session could not be saved"_s));
        QCOMPARE(stored(u"SELECT \"Desc\" FROM Sessions WHERE Session = 2"_s), u"Saturday PM"_s);
    }

    void renamingTheCurrentSessionKeepsItCurrent() {
        QVERIFY(mSessions->setCurrentSession(u"1"_s));
        QVERIFY(mSessions->save(record(u"1"_s, u"Saturday Morning"_s, u"2026-03-14"_s)));
        QCOMPARE(mDesk->current.id(), u"1"_s);
        QCOMPARE(mDesk->current.description(), u"Saturday Morning"_s);
        QCOMPARE(mSessions->chooserIndexOfCurrent(), 0);
        // The stored choice keeps the old text until the next "Set".
        QCOMPARE(stored(u"SELECT session_desc FROM current_settings"_s), u"Saturday AM"_s);

        // Another session under the same description as the current one stays apart.
        QVERIFY(mSessions->save(record(u"2"_s, u"Saturday Morning"_s, u"2026-03-14"_s)));
        QCOMPARE(mDesk->current.id(), u"1"_s);
    }

    void setUsesTheChosenSessionNumber() {
        run(u"INSERT INTO Sessions(MeetID, Session, \"Desc\") VALUES(1, 3, 'Saturday AM')"_s);
        QVERIFY(mSessions->setCurrentSession(u"3"_s));
        QCOMPARE(mDesk->current.id(), u"3"_s);
        QCOMPARE(stored(u"SELECT sessionid FROM current_settings"_s), u"3"_s);
        QCOMPARE(stored(u"SELECT count(*) FROM current_settings"_s), u"1"_s);

        // A meet file that lost its settings row gets one back.
        run(u"DELETE FROM current_settings"_s);
        QVERIFY(mSessions->setCurrentSession(u"2"_s));
        QCOMPARE(stored(u"SELECT session_desc FROM current_settings"_s), u"Saturday PM"_s);

        QString error;
        QVERIFY(!mSessions->setCurrentSession(u"99"_s, &error));
        QCOMPARE(mDesk->current.id(), u"2"_s);
    }
};

QTEST_GUILESS_MAIN(TestConsoleSessions)
#include "tst_console_sessions.moc"
