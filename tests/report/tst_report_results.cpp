#include "childprogram.h"
#include "datarows.h"
#include "db/meetdatabase.h"
#include "db/tables/scoreinquiriestable.h"
#include "popplertext.h"
#include "tempmeet.h"
#include "transferfiles.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// `tallvane results` on the sample meet (session 1: levels 4 and 5, level 4
// in Junior and Senior) with scores stored and enough gymnasts for the PDF to
// run over several pages. The PDF is read back with pdftotext.
class TestReportResults : public QObject {
    Q_OBJECT

    TempMeet mTemp;
    QString mMeet;

    ChildProgram::Finished run(const QStringList& arguments) {
        return ChildProgram::runTallvane(QStringList{u"results"_s} + arguments, mTemp.folder());
    }

private Q_SLOTS:
    void initTestCase() {
        mMeet = mTemp.createSampleMeet();
        MeetDatabase db;
        QVERIFY(db.open(mMeet));
        QVERIFY(db.execute(u"UPDATE Gymnasts SET E1Final = 9.5, E2Final = 9.25, AA = 18.75 "
                           "WHERE Num IN ('101', '102')"_s));
        QVERIFY(db.execute(u"UPDATE Gymnasts SET E1Final = 8.8, AA = 8.8 WHERE Num = '103'"_s));
        QVERIFY(db.execute(u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 89) INSERT INTO Gymnasts(MeetID, Num, First_Name, "
                           "Last_Name, Level, Birthday, Session, Gym, E3Final, AA) SELECT 1, "
                           "300 + i, 'Extra', 'Gymnast' || i, '5', '2014-01-01', '1', 1, "
                           "9.0 - i / 100.0, 9.0 - i / 100.0 FROM n"_s));
        ScoreInquiriesTable inquiries(db);
        QVERIFY(inquiries.ensure());
        QVERIFY(inquiries.file(
            {u"101"_s, u"Vault"_s, u"Coach Lee"_s, u"2026-05-02 10:00:00.000"_s, {}, {}, {}}));
        QVERIFY(inquiries.file(
            {u"102"_s, u"Bars"_s, u"Coach Kim"_s, u"2026-05-02 10:05:00.000"_s, {}, {}, {}}));
        QVERIFY(inquiries.decide(u"102"_s, u"Bars"_s, u"Score stands"_s,
                                 u"2026-05-02 10:09:00.000"_s, u"seen on video"_s));
    }

    void pdfAndCsvOfOneSession() {
        const QString pdf = mTemp.path(u"results.pdf"_s);
        const QString csv = mTemp.path(u"results.csv"_s);
        const auto done = run({mMeet, u"--session"_s, u"1"_s, u"--pdf"_s, pdf, u"--csv"_s, csv});
        QVERIFY2(done.status == 0, qPrintable(done.err));

        const QStringList pages = pdfText(pdf).split(u'\f', Qt::SkipEmptyParts);
        QVERIFY2(pages.size() >= 2, "the session runs over several pages");
        for (const QString& page : pages) {
            QVERIFY(page.contains(u"Spring Classic"_s));
            QVERIFY(page.contains(u"Session 1 - Saturday AM"_s));
            QVERIFY(page.contains(u"Printed "_s));
        }
        const QString first = pages.first().simplified();
        QVERIFY(first.contains(u"Level 4 - Senior"_s)); // both born before 2017
        QVERIFY(first.contains(u"1 101 Ava Brooks Riverside 9.500 (1) 9.250 (1) 18.750 (1)"_s));
        QVERIFY(first.contains(u"1 102 Maya O'Neil O'Malley 9.500 (1) 9.250 (1) 18.750 (1)"_s));
        const QString all = pages.join(u' ').simplified();
        QVERIFY(all.contains(u"Team standings - Level 5"_s));
        QVERIFY(all.contains(u"Extra Gymnast89"_s));
        QVERIFY(!all.contains(u"Lena Park"_s)); // session 2
        // The session's inquiries, open and decided, close its pages.
        const QString appendix = all.mid(all.indexOf(u"Appendix: inquiries"_s));
        QVERIFY2(appendix.contains(u"101 Vault Coach Lee 2026-05-02 10:00:00 Open"_s),
                 qPrintable(appendix));
        QVERIFY2(appendix.contains(u"102 Bars Coach Kim 2026-05-02 10:05:00 Score stands "
                                   "2026-05-02 10:09:00 seen on video"_s),
                 qPrintable(appendix));

        const QStringList lines =
            QString::fromUtf8(TransferFiles::read(csv)).split(u"\r\n"_s, Qt::SkipEmptyParts);
        QVERIFY(lines.first().startsWith(
            u"Session,Level,Division,Kind,Num,Name,Gym,Vault,Vault Place,"_s));
        QVERIFY(lines.first().endsWith(u",AA Place"_s));
        QCOMPARE(lines.size(), 1 + 93 + 3); // gymnasts, then a team row per gym and level
        QCOMPARE(lines[1],
                 u"1,4,Senior,Gymnast,101,Ava Brooks,Riverside,9.500,1,9.250,1,,,,,18.750,1"_s);
        QVERIFY(lines.contains(u"1,5,,Gymnast,103,Zoë Carter,Riverside,8.800,1,,,,,,,8.800,21"_s));
    }

    // A long session description wraps beside the print time and page number
    // instead of running under them, and the session is numbered once.
    void longSessionDescriptionKeepsTheHeaderLegible() {
        const QString description =
            u"Session 2 - Sunday afternoon: Level 5 compulsory, Xcel Gold and Platinum, then Level 7 optionals (B)"_s;
        QCOMPARE(description.size(), 100);
        MeetDatabase db;
        QVERIFY(db.open(mMeet));
        QVERIFY(db.execute(u"UPDATE Sessions SET \"Desc\" = ? WHERE Session = 2"_s, {description}));
        db.close();
        const QString pdf = mTemp.path(u"long.pdf"_s);
        const auto done = run({mMeet, u"--session"_s, u"2"_s, u"--pdf"_s, pdf});
        QVERIFY2(done.status == 0, qPrintable(done.err));

        const QString page = pdfText(pdf).split(u'\f').constFirst();
        const QString header = page.left(page.indexOf(u"Place "_s)); // above the captions
        static const QRegularExpression stamp(u"Printed \\S.*Page 1 *$"_s,
                                              QRegularExpression::MultilineOption);
        const QRegularExpressionMatch printed = stamp.match(header);
        QVERIFY2(printed.hasMatch(), qPrintable(header));
        QVERIFY2(!printed.captured().contains(u"Sunday"_s), qPrintable(header));
        QString title = header;
        title.remove(printed.capturedStart(), printed.capturedLength());
        QVERIFY2(title.simplified().contains(description), qPrintable(header));
        QCOMPARE(header.count(u"Session 2"_s), 1);
    }

    void helpAndStandardOutput() {
        const auto help = run({u"--help"_s});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains(u"--session"_s));
        const auto csv = run({mMeet, u"--level"_s, u"4"_s});
        QCOMPARE(csv.status, 0);
        QCOMPARE(csv.out.count(u'\n'), 1 + 2 + 2); // header, session 1's gymnasts and teams
    }
};

QTEST_GUILESS_MAIN(TestReportResults)
#include "tst_report_results.moc"
