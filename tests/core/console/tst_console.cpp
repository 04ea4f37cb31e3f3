#include "console/gymnastsconsole.h"
#include "console/meetchoices.h"
#include "console/sessionsconsole.h"
#include "db/meetdatabase.h"
#include "firstrow.h"
#include "results/resultstablemodel.h"
#include "scriptedprompter.h"
#include "shell/currentsession.h"
#include "tempmeet.h"

#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// The operator's consoles on the sample meet (starting 2026-03-14), session 1:
// 101 born 2016-05-02, 102 born 2012-11-20 (gym 2), 103 without birthday
// (level 5); session 2: 201.
class TestConsole : public QObject {
    Q_OBJECT

    // A meet on its own connection, with the current session and the prompter.
    struct Desk {
        TempMeet temp;
        MeetDatabase db;
        CurrentSession current;
        ScriptedPrompter prompter;
    };
    std::unique_ptr<Desk> mDesk;
    std::unique_ptr<GymnastsConsole> mGymnasts;
    std::unique_ptr<SessionsConsole> mSessions;
    std::unique_ptr<ResultsTableModel> mModel;

    void run(const QString& sql, const QVariantList& values = {}) {
        QVERIFY2(mDesk->db.execute(sql, values), qPrintable(mDesk->db.lastError()));
    }
    void addGymnast(const QString& num, const QString& first, const QString& last) {
        run(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, Session, Gym, "
            "Squad, \"Order\") VALUES(1, ?, ?, ?, '4', '1', 1, 'A', 3)"_s,
            {num, first, last});
    }
    QStringList listed() const {
        QStringList texts;
        for (const GymnastEntry& entry : mGymnasts->gymnasts())
            texts.append(entry.text);
        return texts;
    }
    QStringList stored(const QString& sql) { return firstRow(mDesk->db, sql); }
    static SessionRecord session(const QString& number, const QString& description,
                                 const QString& date) {
        return {number, description, date, u"8:00"_s, u"8:30"_s, u"9:15"_s, u"11:30"_s};
    }

    // For the results: 110 born 2015-12-31 (gym 0), 111 born 2016-01-01 and 112
    // scratched, born 2016-02-02, all squad B; age divisions by years and by dates.
    void addResultsGymnasts() {
        const QString insert =
            u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, Birthday, Session, "
            "Gym, Squad, Scratched) VALUES(1, ?, ?, ?, '4', ?, '1', 1, 'B', ?)"_s;
        run(insert, {u"110"_s, u"Nia"_s, u"Ward"_s, u"2015-12-31"_s, 0});
        run(insert, {u"111"_s, u"Ola"_s, u"Vance"_s, u"2016-01-01"_s, 0});
        run(insert, {u"112"_s, u"Pia"_s, u"Quinn"_s, u"2016-02-02"_s, 1});
        run(u"UPDATE Gymnasts SET Gym = 0 WHERE Num = '110'"_s);
        run(u"UPDATE Gymnasts SET Squad = 'a' WHERE Num = '102'"_s);
        run(u"INSERT INTO \"Age Groups\"(EventID, Level, MeetID, AgeID, Name, Low_Age, High_Age, "
            "Start_Date, End_Date) VALUES(1, '4', 1, 3, 'Ten', 10, 10, NULL, NULL), "
            "(1, '4', 1, 0, 'Born 2015', 0, 0, '2015-01-01', '2015-12-31'), "
            "(1, '4', 1, 4, 'Born 2016', 0, 0, '2015-12-31', '2016-05-02'), "
            "(1, '4', 1, 5, 'Born since 2016', 0, 0, '2016-01-01', NULL)"_s);
    }
    QStringList shown(const ResultsFilter& filter) {
        if (!mModel->show(filter))
            qWarning("results failed: %s", qPrintable(mModel->error()));
        QStringList nums;
        for (int row = 0; row < mModel->rowCount(); ++row)
            nums.append(mModel->index(row, 1).data().toString());
        return nums;
    }
    static constexpr qint64 All = -1; // the filter's "All" entry
    static ResultsFilter session1() {
        ResultsFilter filter;
        filter.session = u"1"_s;
        return filter;
    }

private Q_SLOTS:
    void init() {
        mDesk = std::make_unique<Desk>();
        QVERIFY(mDesk->db.open(mDesk->temp.createSampleMeet()));
        mGymnasts = std::make_unique<GymnastsConsole>(mDesk->db, mDesk->current, mDesk->prompter);
        mSessions = std::make_unique<SessionsConsole>(mDesk->db, mDesk->current, mDesk->prompter);
        mModel = std::make_unique<ResultsTableModel>(mDesk->db);
        mDesk->current.set(u"1"_s, u"Saturday AM"_s);
    }
    void cleanup() {
        mModel.reset();
        mSessions.reset();
        mGymnasts.reset();
        mDesk.reset();
    }

    void listsTheCurrentSessionByNumberOrName() {
        addGymnast(u"9"_s, u"Ida"_s, u"Adams"_s);
        addGymnast(u"10"_s, u"Tia"_s, u"Young"_s);
        addGymnast(u"11"_s, u"Ana"_s, u"de Silva"_s);
        addGymnast(u"007"_s, u"Jo"_s, u"Bond"_s);
        QVERIFY(mGymnasts->refresh());
        // Competitor numbers are text: "10" comes before "9", leading zeros stay.
        QCOMPARE(listed(),
                 QStringList({u"007 - Bond, Jo"_s, u"10 - Young, Tia"_s, u"101 - Brooks, Ava"_s,
                              u"102 - O'Neil, Maya"_s, u"103 - Carter, Zoë"_s,
                              u"11 - de Silva, Ana"_s, u"9 - Adams, Ida"_s}));
        QCOMPARE(mGymnasts->load(mGymnasts->gymnasts().first().num).value().lastName, u"Bond"_s);
        QVERIFY(mDesk->prompter.messages().isEmpty());
        QVERIFY(!mGymnasts->load(u"7"_s));
        QCOMPARE(mDesk->prompter.lastMessage(), u"Unable to load/find Gymnast"_s);
        // Names sort without letter case.
        mGymnasts->setSort(GymnastsConsole::Sort::Name);
        QCOMPARE((QStringList{listed().first(), listed().at(4), listed().last()}),
                 QStringList({u"Adams, Ida - 9"_s, u"de Silva, Ana - 11"_s, u"Young, Tia - 10"_s}));

        mDesk->current.set(u"2"_s, u"Saturday PM"_s);
        QCOMPARE(listed(), QStringList{u"Park, Lena - 201"_s});
    }

    void editorShowsScoresOnlyWhereThereAreAny() {
        run(u"UPDATE Gymnasts SET E1Final = 9.5, AA = 36.125 WHERE Num = '101'"_s);
        const auto scored = mGymnasts->load(u"101"_s);
        QCOMPARE(scored->scores,
                 QStringList({u"9.500"_s, QString(), QString(), QString(), u"36.125"_s}));
        const auto unscored = mGymnasts->load(u"102"_s);
        QCOMPARE(unscored->scores, QStringList(5, QString()));
        QCOMPARE(unscored->birthday, QLocale().toString(QDate(2012, 11, 20), QLocale::ShortFormat));

        // The editor's lists come from the meet.
        QCOMPARE(MeetChoices::levels(mDesk->db), QStringList({u"4"_s, u"5"_s}));
        QCOMPARE(MeetChoices::sessionNumbers(mDesk->db), QStringList({u"1"_s, u"2"_s}));
        const auto gyms = MeetChoices::gyms(mDesk->db);
        QCOMPARE(gyms.size(), 2);
        QCOMPARE(gyms[0].text + u' ' + QString::number(gyms[0].id), u"O'Malley Tumbling 2"_s);
    }

    void saveKeepsApostrophesAndStoresEmptyOrderAsZero() {
        auto edited = mGymnasts->load(u"102"_s);
        QVERIFY(edited);
        edited->lastName = u"O'Neil-D'Arcy"_s;
        edited->order.clear();
        edited->birthday = u"2012-11-21"_s;
        edited->session = u"2"_s;
        edited->scratched = true;
        QVERIFY(mGymnasts->save(*edited));
        // An empty order is stored as 0, not Null.
        QCOMPARE(stored(u"SELECT Last_Name, \"Order\", Birthday, Session, Scratched, Level, Gym "
                        "FROM Gymnasts WHERE Num = '102'"_s),
                 QStringList({u"O'Neil-D'Arcy"_s, u"0"_s, u"2012-11-21"_s, u"2"_s, u"1"_s, u"4"_s,
                              u"2"_s}));

        // What the editor could not offer is kept as stored.
        run(u"UPDATE Gymnasts SET Level = 'XC', Squad = 'Z' WHERE Num = '101'"_s);
        edited = mGymnasts->load(u"101"_s);
        edited->level.clear();
        edited->squad.clear();
        edited->gymId = QVariant();
        QVERIFY(mGymnasts->save(*edited));
        QCOMPARE(stored(u"SELECT Level, Squad, Gym FROM Gymnasts WHERE Num = '101'"_s),
                 QStringList({u"XC"_s, u"Z"_s, u"1"_s}));
    }

    // A refused save (birthday, order, or a number no gymnast has) changes nothing.
    void saveRefusesBadInput() {
        const QString badDate =
            u"Invalid Birthday date.  Enter a valid Birthday date and try again."_s;
        const QList<std::tuple<QString, QString, QString, QString>> cases{
            {{}, u"1"_s, u"101"_s, badDate},
            {u"soon"_s, u"1"_s, u"101"_s, badDate},
            {u"2016-05-02"_s, u"1st"_s, u"101"_s,
             u"Invalid Order.  Enter a whole number and try again."_s},
            {u"2016-05-02"_s, u"1"_s, u"555"_s, u"Unable to load/find Gymnast"_s}};
        for (const auto& [birthday, order, num, message] : cases) {
            auto edited = mGymnasts->load(u"101"_s);
            edited->num = num;
            edited->firstName = u"Changed"_s;
            edited->birthday = birthday;
            edited->order = order;
            QVERIFY(!mGymnasts->save(*edited));
            QCOMPARE(mDesk->prompter.lastMessage(), message);
        }
        QCOMPARE(stored(u"SELECT First_Name FROM Gymnasts WHERE Num = '101'"_s),
                 QStringList{u"Ava"_s});
    }

    void listsSessionsAndLoadsTheChosenOne() {
        run(u"INSERT INTO Sessions(MeetID, Session, \"Desc\", SDate, Awards) "
            "VALUES(1, 12, 'Level 4 - Group B', '2026-03-15', '4:00 PM')"_s);
        QVERIFY(mSessions->refresh());
        QCOMPARE(mSessions->sessions().size(), 3);
        const auto loaded = mSessions->load(mSessions->sessions().last().number);
        QVERIFY(loaded); // a Null shows empty
        QCOMPARE((QStringList{loaded->description, loaded->awards, loaded->date, loaded->marchIn}),
                 QStringList({u"Level 4 - Group B"_s,
                              u"4:00 PM"_s,
                              QLocale().toString(QDate(2026, 3, 15), QLocale::ShortFormat),
                              {}}));

        QVERIFY(!mSessions->load(u"77"_s));
        QCOMPARE(mDesk->prompter.lastMessage(), u"Unable to load/find Session"_s);
    }

    // What a session save refuses leaves the stored session as it was.
    void sessionSaves() {
        for (const QString& date : {QString(), u"next Saturday"_s, u"13/40/2026"_s}) {
            QVERIFY(!mSessions->save(session(u"1"_s, u"Changed"_s, date)));
            QCOMPARE(mDesk->prompter.lastMessage(),
                     u"Invalid Session date.  Enter a valid Session date and try again."_s);
        }
        SessionRecord tooLong = session(u"2"_s, u"Changed"_s, u"2026-03-15"_s);
        tooLong.awards = QString(21, u'x');
        QVERIFY(!mSessions->save(tooLong));
        QVERIFY(mDesk->prompter.lastMessage().startsWith(u"The session could not be saved"_s));
        QCOMPARE(allRows(mDesk->db, u"SELECT \"Desc\" FROM Sessions ORDER BY Session"_s),
                 (QStringList{u"Saturday AM"_s, u"Saturday PM"_s}));

        // A save keeps the text intact and stores the date as ISO.
        QVERIFY(mSessions->save(session(u"2"_s, u"Kids' \"Fun\" Session; --"_s, u"3/15/2026"_s)));
        QCOMPARE(stored(u"SELECT \"Desc\", SDate, March_In FROM Sessions WHERE Session = 2"_s),
                 QStringList({u"Kids' \"Fun\" Session; --"_s, u"2026-03-15"_s, u"9:15"_s}));
        QCOMPARE(mSessions->sessions()[1].description, u"Kids' \"Fun\" Session; --"_s);
    }

    void renamingTheCurrentSessionKeepsItCurrent() {
        QVERIFY(mSessions->setCurrentSession(u"1"_s));
        QVERIFY(mSessions->save(session(u"1"_s, u"Saturday Morning"_s, u"2026-03-14"_s)));
        QCOMPARE(mSessions->chooserIndexOfCurrent(), 0);
        // The stored choice keeps the old text until the next "Set".
        QCOMPARE(stored(u"SELECT session_desc FROM current_settings"_s),
                 QStringList{u"Saturday AM"_s});

        // Another session under the same description as the current one stays apart.
        QVERIFY(mSessions->save(session(u"2"_s, u"Saturday Morning"_s, u"2026-03-14"_s)));
        QCOMPARE(mDesk->current.id(), u"1"_s);
    }

    void setUsesTheChosenSessionNumber() {
        run(u"INSERT INTO Sessions(MeetID, Session, \"Desc\") VALUES(1, 3, 'Saturday AM')"_s);
        QVERIFY(mSessions->setCurrentSession(u"3"_s));
        QCOMPARE(mDesk->current.id(), u"3"_s);
        QCOMPARE(allRows(mDesk->db, u"SELECT sessionid FROM current_settings"_s),
                 QStringList{u"3"_s});

        // A meet file that lost its settings row gets one back.
        run(u"DELETE FROM current_settings"_s);
        QVERIFY(mSessions->setCurrentSession(u"2"_s));
        QCOMPARE(stored(u"SELECT session_desc FROM current_settings"_s),
                 QStringList{u"Saturday PM"_s});

        QString error;
        QVERIFY(!mSessions->setCurrentSession(u"99"_s, &error));
        QCOMPARE(mDesk->current.id(), u"2"_s);
    }

    // Each case: gym, level, squad, age division and the numbers shown. The
    // scratched gymnast 112 (squad B, level 4, born 2016) never shows. Ages count
    // calendar years up to the meet's year: born 31 Dec 2015 is 11, born 1 Jan
    // 2016 is 10, whatever the day of the meet.
    void filtersAndOrdersNarrowTheSession() {
        addResultsGymnasts();
        const QList<std::tuple<qint64, QString, QString, qint64, QString>> cases{
            {All, {}, {}, All, u"101 102 103 110 111"_s},
            {2, {}, {}, All, u"102"_s},
            {0, {}, {}, All, u"110"_s}, // a gym whose id is 0
            {All, u"5"_s, {}, All, u"103"_s},
            {All, {}, u"B"_s, All, u"103 110 111"_s},
            {All, {}, u"A"_s, All, u"101 102"_s}, // stored in the other case
            {All, {}, {}, 3, u"101 111"_s},       // by years
            {All, u"4"_s, {}, 1, {}},             // by years, under 10
            {All, {}, {}, 4, u"101 110 111"_s},   // birth dates, both ends included
            {All, {}, {}, 0, u"110"_s},           // an age division whose id is 0
            {All, {}, {}, 5, u"101 111"_s}};      // birth dates, no end
        for (const auto& [gymId, level, squad, ageId, nums] : cases) {
            ResultsFilter filter = session1();
            if (gymId != All)
                filter.gymId = gymId;
            filter.level = level;
            filter.squad = squad;
            if (ageId != All)
                filter.ageId = ageId;
            const QString asked = u"%1 %2 %3 %4: "_s.arg(gymId).arg(level, squad).arg(ageId);
            QCOMPARE(asked + shown(filter).join(u' '), asked + nums);
        }

        // Score orders put missing scores last.
        run(u"UPDATE Gymnasts SET AA = 36.1, E1Final = 9.1 WHERE Num = '101'"_s);
        run(u"UPDATE Gymnasts SET AA = 37.05, E1Final = 8.9 WHERE Num = '111'"_s);
        run(u"UPDATE Gymnasts SET AA = 0 WHERE Num = '110'"_s);
        ResultsFilter filter = session1();
        filter.sort = ResultsFilter::Sort::AllAround;
        const QStringList byAllAround = shown(filter);
        QCOMPARE(byAllAround.mid(0, 3), QStringList({u"111"_s, u"101"_s, u"110"_s}));
        QCOMPARE(byAllAround.size(), 5);
        QCOMPARE((QStringList{mModel->index(0, 7).data().toString(),
                              mModel->index(0, 3).data().toString(),
                              mModel->index(4, 7).data().toString()}),
                 QStringList({u"37.050"_s, u"8.900"_s, QString()}));

        filter.sort = ResultsFilter::Sort::Vault;
        QCOMPARE(shown(filter).mid(0, 2), QStringList({u"101"_s, u"111"_s}));
        filter.sort = ResultsFilter::Sort::Name;
        QCOMPARE(shown(filter).first(), u"101"_s); // Brooks
        QCOMPARE(mModel->index(0, 2).data().toString(), u"Brooks, Ava"_s);

        // Ages by years need the meet's start date.
        run(u"UPDATE Meets SET Start_Date = NULL"_s);
        ResultsFilter byYears = session1();
        byYears.ageId = 3;
        QVERIFY(!mModel->show(byYears));
        QVERIFY(!mModel->error().isEmpty());
        QCOMPARE(mModel->rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestConsole)
#include "tst_console.moc"
