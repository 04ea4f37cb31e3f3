#include "console/resultstablemodel.h"
#include "consoledesk.h"

#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// Sample meet (starts 2026-03-14), session 1: 101 born 2016-05-02, 102 born
// 2012-11-20 (gym 2), 103 without birthday (level 5); added here: 110 born
// 2015-12-31, 111 born 2016-01-01 and 112 scratched, born 2016-02-02.
class TestConsoleResults : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleDesk> mDesk;
    std::unique_ptr<ResultsTableModel> mModel;

    void run(const QString& sql, const QVariantList& values = {}) {
        QVERIFY2(mDesk->db.execute(sql, values), qPrintable(mDesk->db.lastError()));
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
        mDesk = std::make_unique<ConsoleDesk>();
        QVERIFY(mDesk->openSampleMeet());
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
        mModel = std::make_unique<ResultsTableModel>(mDesk->db);
    }
    void cleanup() {
        mModel.reset();
        mDesk.reset();
    }

    void filtersNarrowTheSession_data() {
        QTest::addColumn<qint64>("gymId");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("squad");
        QTest::addColumn<qint64>("ageId");
        QTest::addColumn<QStringList>("nums");
        QTest::newRow("whole session")
            << All << QString() << QString() << All
            << QStringList{u"101"_s, u"102"_s, u"103"_s, u"110"_s, u"111"_s};
        QTest::newRow("gym") << qint64(2) << QString() << QString() << All << QStringList{u"102"_s};
        QTest::newRow("gym whose id is 0")
            << qint64(0) << QString() << QString() << All << QStringList{u"110"_s};
        QTest::newRow("level") << All << u"5"_s << QString() << All << QStringList{u"103"_s};
        QTest::newRow("squad") << All << QString() << u"B"_s << All
                               << QStringList{u"103"_s, u"110"_s, u"111"_s};
        QTest::newRow("squad stored in the other case")
            << All << QString() << u"A"_s << All << QStringList{u"101"_s, u"102"_s};
        // Ages count calendar years up to the meet's year: born 31 Dec 2015 is 11,
        // born 1 Jan 2016 is 10, whatever the day of the meet.
        QTest::newRow("age by years")
            << All << QString() << QString() << qint64(3) << QStringList{u"101"_s, u"111"_s};
        QTest::newRow("age by years, under 10")
            << All << u"4"_s << QString() << qint64(1) << QStringList{};
        QTest::newRow("birth dates, both ends included")
            << All << QString() << QString() << qint64(4)
            << QStringList{u"101"_s, u"110"_s, u"111"_s};
        QTest::newRow("age division whose id is 0")
            << All << QString() << QString() << qint64(0) << QStringList{u"110"_s};
        QTest::newRow("birth dates, no end")
            << All << QString() << QString() << qint64(5) << QStringList{u"101"_s, u"111"_s};
    }
    void filtersNarrowTheSession() {
        QFETCH(qint64, gymId);
        QFETCH(QString, level);
        QFETCH(QString, squad);
        QFETCH(qint64, ageId);
        QFETCH(QStringList, nums);
        ResultsFilter filter = session1();
        if (gymId != All)
            filter.gymId = gymId;
        filter.level = level;
        filter.squad = squad;
        if (ageId != All)
            filter.ageId = ageId;
        // The scratched gymnast 112 (squad B, level 4, born 2016) never shows.
        QCOMPARE(shown(filter), nums);
    }

    void scoreOrdersPutMissingScoresLast() {
        run(u"UPDATE Gymnasts SET AA = 36.1, E1Final = 9.1 WHERE Num = '101'"_s);
        run(u"UPDATE Gymnasts SET AA = 37.05, E1Final = 8.9 WHERE Num = '111'"_s);
        run(u"UPDATE Gymnasts SET AA = 0 WHERE Num = '110'"_s);
        ResultsFilter filter = session1();
        filter.sort = ResultsFilter::Sort::AllAround;
        const QStringList byAllAround = shown(filter);
        QCOMPARE(byAllAround.mid(0, 3), QStringList({u"111"_s, u"101"_s, u"110"_s}));
        QCOMPARE(byAllAround.size(), 5);
        QCOMPARE(mModel->index(0, 7).data().toString(), u"37.050"_s);
        QCOMPARE(mModel->index(0, 3).data().toString(), u"8.900"_s);
        QCOMPARE(mModel->index(4, 7).data().toString(), QString());

        filter.sort = ResultsFilter::Sort::Vault;
        QCOMPARE(shown(filter).mid(0, 2), QStringList({u"101"_s, u"111"_s}));
        filter.sort = ResultsFilter::Sort::Name;
        QCOMPARE(shown(filter).first(), u"101"_s); // Brooks
        QCOMPARE(mModel->index(0, 2).data().toString(), u"Brooks, Ava"_s);
    }

    void ageByYearsNeedsTheMeetStartDate() {
        run(u"UPDATE Meets SET Start_Date = NULL"_s);
        ResultsFilter filter = session1();
        filter.ageId = 3;
        QVERIFY(!mModel->show(filter));
        QVERIFY(!mModel->error().isEmpty());
        QCOMPARE(mModel->rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestConsoleResults)
#include "tst_console_results.moc"
