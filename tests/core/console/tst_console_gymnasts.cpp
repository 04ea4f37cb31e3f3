#include "console/gymnastsconsole.h"
#include "console/meetchoices.h"
#include "consoledesk.h"
#include "firstrow.h"

#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

class TestConsoleGymnasts : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleDesk> mDesk;
    std::unique_ptr<GymnastsConsole> mGymnasts;

    void addGymnast(const QString& num, const QString& first, const QString& last,
                    const QString& session = u"1"_s) {
        QVERIFY(mDesk->db.execute(
            u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, "
            "Session, Gym, Squad, \"Order\") VALUES(1, ?, ?, ?, '4', ?, 1, 'A', 3)"_s,
            {num, first, last, session}));
    }
    QStringList listed() const {
        QStringList texts;
        for (const GymnastEntry& entry : mGymnasts->gymnasts())
            texts.append(entry.text);
        return texts;
    }

private Q_SLOTS:
    void init() {
        mDesk = std::make_unique<ConsoleDesk>();
        QVERIFY(mDesk->openSampleMeet());
        mGymnasts = std::make_unique<GymnastsConsole>(mDesk->db, mDesk->current, mDesk->prompter);
        mDesk->current.set(u"1"_s, u"Saturday AM"_s);
    }
    void cleanup() {
        mGymnasts.reset();
        mDesk.reset();
    }

    void listsTheCurrentSessionByNumberOrName() {
        addGymnast(u"9"_s, u"Ida"_s, u"Adams"_s);
        addGymnast(u"10"_s, u"Tia"_s, u"Young"_s);
        addGymnast(u"11"_s, u"Ana"_s, u"de Silva"_s);
        QVERIFY(mGymnasts->refresh());
        // Competitor numbers are text: "10" comes before "9".
        QCOMPARE(listed(), QStringList({u"10 - Young, Tia"_s, u"101 - Brooks, Ava"_s,
                                        u"102 - O'Neil, Maya"_s, u"103 - Carter, Zoë"_s,
                                        u"11 - de Silva, Ana"_s, u"9 - Adams, Ida"_s}));
        // Names sort without letter case.
        mGymnasts->setSort(GymnastsConsole::Sort::Name);
        QCOMPARE(listed().first(), u"Adams, Ida - 9"_s);
        QCOMPARE(listed().at(3), u"de Silva, Ana - 11"_s);
        QCOMPARE(listed().last(), u"Young, Tia - 10"_s);

        mDesk->current.set(u"2"_s, u"Saturday PM"_s);
        QCOMPARE(listed(), QStringList{u"Park, Lena - 201"_s});
    }

    void findsNumbersWithLeadingZeros() {
        addGymnast(u"007"_s, u"Jo"_s, u"Bond"_s);
        QVERIFY(mGymnasts->refresh());
        QCOMPARE(mGymnasts->gymnasts().first().num, u"007"_s);
        const auto loaded = mGymnasts->load(mGymnasts->gymnasts().first().num);
        QVERIFY(loaded);
        QCOMPARE(loaded->lastName, u"Bond"_s);
        QVERIFY(mDesk->prompter.messages().isEmpty());

        QVERIFY(!mGymnasts->load(u"7"_s));
        QCOMPARE(mDesk->prompter.lastMessage(), u"Unable to load/find Gymnast"_s);
    }

    void loadShowsScoresOnlyWhereThereAreAny() {
        QVERIFY(mDesk->db.execute(
            u"UPDATE Gymnasts SET E1Final = 9.5, AA = 36.125 WHERE Num = '101'"_s));
        const auto scored = mGymnasts->load(u"101"_s);
        QCOMPARE(scored->scores,
                 QStringList({u"9.500"_s, QString(), QString(), QString(), u"36.125"_s}));
        const auto unscored = mGymnasts->load(u"102"_s);
        QCOMPARE(unscored->scores, QStringList(5, QString()));
        QCOMPARE(unscored->gymId.toLongLong(), 2);
        QCOMPARE(unscored->birthday, QLocale().toString(QDate(2012, 11, 20), QLocale::ShortFormat));
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
        QCOMPARE(firstRow(mDesk->db, u"SELECT Last_Name, \"Order\", Birthday, Session, Scratched, "
                                     "Level, Gym FROM Gymnasts WHERE Num = '102'"_s),
                 QStringList({u"O'Neil-D'Arcy"_s, u"0"_s, u"2012-11-21"_s, u"2"_s, u"1"_s, u"4"_s,
                              u"2"_s}));
    }

    void saveKeepsValuesTheEditorCouldNotOffer() {
        QVERIFY(mDesk->db.execute(
            u"UPDATE Gymnasts SET Level = 'XC', Squad = 'Z' WHERE Num = '101'"_s));
        auto edited = mGymnasts->load(u"101"_s);
        edited->level.clear();
        edited->squad.clear();
        edited->gymId = QVariant();
        QVERIFY(mGymnasts->save(*edited));
        QCOMPARE(firstRow(mDesk->db, u"SELECT Level, Squad, Gym FROM Gymnasts WHERE Num = '101'"_s),
                 QStringList({u"XC"_s, u"Z"_s, u"1"_s}));
    }

    void saveRefusesBadInput_data() {
        QTest::addColumn<QString>("birthday");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("num");
        QTest::addColumn<QString>("message");
        const QString badDate =
            u"Invalid Birthday date.  Enter a valid Birthday date and try again."_s;
        QTest::newRow("no birthday") << QString() << u"1"_s << u"101"_s << badDate;
        QTest::newRow("birthday words") << u"soon"_s << u"1"_s << u"101"_s << badDate;
        QTest::newRow("order not whole")
            << u"2016-05-02"_s << u"1st"_s << u"101"_s
            << u"Invalid Order.  Enter a whole number and try again."_s;
        QTest::newRow("gymnast gone")
            << u"2016-05-02"_s << u"1"_s << u"555"_s << u"Unable to load/find Gymnast"_s;
    }
    void saveRefusesBadInput() {
        QFETCH(QString, birthday);
        QFETCH(QString, order);
        QFETCH(QString, num);
        QFETCH(QString, message);
        auto edited = mGymnasts->load(u"101"_s);
        edited->num = num;
        edited->firstName = u"Changed"_s;
        edited->birthday = birthday;
        edited->order = order;
        QVERIFY(!mGymnasts->save(*edited));
        QCOMPARE(mDesk->prompter.lastMessage(), message);
        const DbRows row = mDesk->db.select(u"SELECT First_Name FROM Gymnasts WHERE Num = '101'"_s);
        QCOMPARE(row.text(0, u"First_Name"_s), u"Ava"_s);
    }

    void editorListsComeFromTheMeet() {
        QCOMPARE(MeetChoices::levels(mDesk->db), QStringList({u"4"_s, u"5"_s}));
        QCOMPARE(MeetChoices::sessionNumbers(mDesk->db), QStringList({u"1"_s, u"2"_s}));
        const auto gyms = MeetChoices::gyms(mDesk->db);
        QCOMPARE(gyms.size(), 2);
        QCOMPARE(gyms[0].text, u"O'Malley Tumbling"_s);
        QCOMPARE(gyms[0].id, 2);
        QCOMPARE(MeetChoices::ageDivisions(mDesk->db, u"5"_s).size(), 0);
        QCOMPARE(MeetChoices::ageDivisions(mDesk->db, u"4"_s).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestConsoleGymnasts)
#include "tst_console_gymnasts.moc"
