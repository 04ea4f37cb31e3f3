#include "childprogram.h"
#include "datarows.h"
#include "db/meetdatabase.h"
#include "db/tables/scoreinquiriestable.h"
#include "popplertext.h"
#include "shell/papersize.h"
#include "tempmeet.h"
#include "transferfiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The results, start list, awards list and judge sheets of the sample meet,
// through the real `tallvane` on a meet file, read back with pdftotext. Session 1 has
// a 100-character description and squad C enough gymnasts to run over pages,
// numbered against their running order.
class TestReportPaperwork : public QObject {
    Q_OBJECT

    TempMeet mTemp;
    QString mMeet;
    const QString mDescription =
        u"Saturday morning: Level 4 compulsory, Level 5 compulsory, Xcel Silver and Gold rotations (Pods B, C)"_s;

    ChildProgram::Finished run(const QStringList& arguments) {
        return ChildProgram::runTallvane(arguments, mTemp.folder());
    }
    // Runs `tallvane ARGUMENTS --session 1 --pdf NAME.pdf`, and `--csv NAME.csv`
    // when `lines` is given: the PDF's pages in `texts`, the CSV's lines in `lines`.
    bool print(const QStringList& arguments, const QString& name, QStringList& texts,
               QStringList* lines = nullptr) {
        const QString pdf = mTemp.path(name + u".pdf"_s);
        const QString csv = mTemp.path(name + u".csv"_s);
        QStringList all = arguments + QStringList{u"--session"_s, u"1"_s, u"--pdf"_s, pdf};
        if (lines)
            all << u"--csv"_s << csv;
        const auto done = run(all);
        if (done.status != 0)
            qWarning("%s", qPrintable(done.err));
        texts = pdfText(pdf).split(u'\f', Qt::SkipEmptyParts);
        if (lines)
            *lines =
                QString::fromUtf8(TransferFiles::read(csv)).split(u"\r\n"_s, Qt::SkipEmptyParts);
        return done.status == 0;
    }
    // Each page carries the meet, the document, the whole session title, the
    // time of printing and its page number.
    void verifyHeaders(const QStringList& texts, const QString& document) {
        static const QRegularExpression stamp(u"Printed \\S.*Page (\\d+) *$"_s,
                                              QRegularExpression::MultilineOption);
        for (qsizetype i = 0; i < texts.size(); ++i) {
            QString page = texts[i];
            QVERIFY2(page.contains(u"Spring Classic"_s), qPrintable(page));
            QVERIFY2(page.contains(document), qPrintable(page));
            const QRegularExpressionMatch printed = stamp.match(page);
            QVERIFY2(printed.hasMatch(), qPrintable(page));
            QCOMPARE(printed.captured(1).toInt(), i + 1);
            page.remove(printed.capturedStart(), printed.capturedLength());
            QVERIFY2(page.simplified().contains(u"Session 1 - "_s + mDescription),
                     qPrintable(page));
        }
    }

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(mDescription.size(), 100);
        mMeet = mTemp.createSampleMeet();
        MeetDatabase db;
        QVERIFY(db.open(mMeet));
        QVERIFY(
            db.execute(u"UPDATE Sessions SET \"Desc\" = ? WHERE Session = 1"_s, {mDescription}));
        // Ava and Maya tie on vault; Noor is third of level 4 Senior.
        QVERIFY(db.execute(u"UPDATE Gymnasts SET E1Final = 9.5, AA = 9.5 WHERE Num IN ('101', "
                           "'102')"_s));
        QVERIFY(db.execute(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, "
                           "Birthday, Session, Gym, Squad, \"Order\", E1Final, AA) VALUES(1, "
                           "'104', 'Noor', 'Haddad', '4', '2012-02-02', '1', 1, 'A', 3, 9.1, "
                           "9.1)"_s));
        // Squad C: numbers 300 ... 359 run in reverse, 359 first.
        QVERIFY(db.execute(u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 59) INSERT INTO Gymnasts(MeetID, Num, First_Name, "
                           "Last_Name, Level, Birthday, Session, Gym, Squad, \"Order\") SELECT 1, "
                           "300 + i, 'Extra', 'Gymnast' || i, '5', '2014-01-01', '1', 1, 'C', "
                           "60 - i FROM n"_s));
        // A scratched gymnast is on no list.
        QVERIFY(db.execute(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, "
                           "Session, Squad, \"Order\", Scratched) VALUES(1, '105', 'Gone', "
                           "'Away', '4', '1', 'A', 4, 1)"_s));
        // An open inquiry and a decided one.
        ScoreInquiriesTable inquiries(db);
        QVERIFY(inquiries.ensure());
        QVERIFY(inquiries.file(
            {u"101"_s, u"Vault"_s, u"Coach Lee"_s, u"2026-05-02 10:00:00.000"_s, {}, {}, {}}));
        QVERIFY(inquiries.file(
            {u"102"_s, u"Bars"_s, u"Coach Kim"_s, u"2026-05-02 10:05:00.000"_s, {}, {}, {}}));
        QVERIFY(inquiries.decide(u"102"_s, u"Bars"_s, u"Score stands"_s,
                                 u"2026-05-02 10:09:00.000"_s, u"seen on video"_s));
    }

    // Places share a tie and skip the next; each level's teams follow its
    // gymnasts; the session's inquiries close its pages.
    void resultsOfOneSession() {
        QStringList texts, lines;
        QVERIFY(print({u"results"_s, mMeet}, u"results"_s, texts, &lines));
        QVERIFY2(texts.size() >= 2, "the session runs over several pages");
        verifyHeaders(texts, u"Results"_s);
        const QString first = texts.first().simplified();
        QVERIFY(first.contains(u"Level 4 - Senior"_s)); // all born before 2017
        QVERIFY(first.contains(u"1 101 Ava Brooks Riverside 9.500 (1) 9.500 (1)"_s));
        QVERIFY(first.contains(u"1 102 Maya O'Neil O'Malley 9.500 (1) 9.500 (1)"_s));
        QVERIFY(first.contains(u"3 104 Noor Haddad Riverside 9.100 (3) 9.100 (3)"_s));
        QVERIFY(first.contains(u"Team standings - Level 4 "_s));
        QVERIFY(first.contains(u"1 Riverside 18.600 (1) 18.600 (1)"_s));
        const QString all = texts.join(u' ').simplified();
        QVERIFY(all.contains(u"Team standings - Level 5"_s));
        QVERIFY(all.contains(u"Extra Gymnast59"_s));
        QVERIFY(!all.contains(u"Gone Away"_s));
        QVERIFY(!all.contains(u"Lena Park"_s)); // session 2
        const QString appendix = all.mid(all.indexOf(u"Appendix: inquiries"_s));
        QVERIFY2(appendix.contains(u"101 Vault Coach Lee 2026-05-02 10:00:00 Open"_s),
                 qPrintable(appendix));
        QVERIFY2(appendix.contains(u"102 Bars Coach Kim 2026-05-02 10:05:00 Score stands "
                                   "2026-05-02 10:09:00 seen on video"_s),
                 qPrintable(appendix));

        QVERIFY(lines.first().startsWith(
            u"Session,Level,Division,Kind,Num,Name,Gym,Vault,Vault Place,"_s));
        QVERIFY(lines.first().endsWith(u",AA Place"_s));
        QCOMPARE(lines.size(), 1 + 64 + 3); // gymnasts, then a team row per gym and level
        QCOMPARE(lines[1], u"1,4,Senior,Gymnast,101,Ava Brooks,Riverside,9.500,1,,,,,,,9.500,1"_s);
        QCOMPARE(lines[4], u"1,4,,Team,,Riverside,Riverside,18.600,1,,,,,,,18.600,1"_s);
        QCOMPARE(lines[6], u"1,5,,Gymnast,103,Zoë Carter,Riverside,,,,,,,,,,"_s);
        QCOMPARE(lines.last(), u"1,5,,Team,,Riverside,Riverside,,,,,,,,,,"_s);
    }

    void startListRunsSquadBySquadInRunningOrder() {
        QStringList texts, lines;
        QVERIFY(print({u"startlist"_s, mMeet}, u"start"_s, texts, &lines));
        QVERIFY2(texts.size() >= 2, "squad C runs onto a second page");
        verifyHeaders(texts, u"Start List"_s);
        const QString all = texts.join(u' ').simplified();
        QVERIFY(all.contains(u"1 101 Ava Brooks Riverside 4 Senior"_s));
        const QStringList order{u"Squad A"_s,   u"Ava Brooks"_s, u"Maya O'Neil"_s, u"Noor Haddad"_s,
                                u"Squad B"_s,   u"Zoë Carter"_s, u"Squad C"_s,     u"Gymnast59"_s,
                                u"Gymnast58"_s, u"Gymnast0"_s};
        qsizetype at = 0;
        for (const QString& text : order) {
            const qsizetype found = all.indexOf(text, at);
            QVERIFY2(found >= 0, qPrintable(text + u" after position "_s + QString::number(at)));
            at = found + text.size();
        }
        QVERIFY(!all.contains(u"Gone Away"_s));
        QVERIFY(!all.contains(u"Lena Park"_s)); // session 2

        QCOMPARE(lines.size(), 1 + 4 + 60);
        QCOMPARE(lines[0], u"Session,Squad,Order,Num,Name,Gym,Level,Division"_s);
        QCOMPARE(lines[1], u"1,A,1,101,Ava Brooks,Riverside,4,Senior"_s);
        QCOMPARE(lines[2], u"1,A,2,102,Maya O'Neil,O'Malley,4,Senior"_s);
        QCOMPARE(lines[5], u"1,C,1,359,Extra Gymnast59,Riverside,5,"_s);
    }

    // Places 1 to K of each event and the all-around, the last place called
    // first; the two tied on vault share first place.
    void awardsListAnnouncesTheLastPlaceFirst() {
        QStringList texts, lines;
        QVERIFY(print({u"awards"_s, mMeet, u"--places"_s, u"3"_s}, u"awards"_s, texts, &lines));
        verifyHeaders(texts, u"Awards"_s);
        const QString all = texts.join(u' ').simplified();
        const qsizetype vault = all.indexOf(u"Level 4 - Senior - Vault"_s);
        QVERIFY(vault >= 0);
        const qsizetype third = all.indexOf(u"3 104 Noor Haddad Riverside 9.100"_s, vault);
        QVERIFY(third > vault);
        QVERIFY(all.indexOf(u"1 101 Ava Brooks Riverside 9.500"_s, vault) > third);
        QVERIFY(all.indexOf(u"1 102 Maya O'Neil O'Malley 9.500"_s, vault) > third);

        QCOMPARE(lines[0], u"Session,Level,Division,Event,Place,Num,Name,Gym,Score"_s);
        const QStringList seniorVault = lines.filter(u"1,4,Senior,Vault,"_s);
        QCOMPARE(seniorVault.size(), 3);
        QCOMPARE(seniorVault[0], u"1,4,Senior,Vault,3,104,Noor Haddad,Riverside,9.100"_s);
        QVERIFY(seniorVault.contains(u"1,4,Senior,Vault,1,101,Ava Brooks,Riverside,9.500"_s));
        QVERIFY(seniorVault.contains(u"1,4,Senior,Vault,1,102,Maya O'Neil,O'Malley,9.500"_s));

        const auto winners =
            run({u"awards"_s, mMeet, u"--session"_s, u"1"_s, u"--places"_s, u"1"_s});
        QCOMPARE(winners.status, 0);
        QVERIFY(!winners.out.contains(u",Noor Haddad,"_s));
        QVERIFY(winners.out.contains(u"1,4,Senior,Vault,1,102,"_s));
    }

    // One sheet per squad of the event, a box per judge of the meet's panel
    // of three, and a signature line for each.
    void judgeSheetsOfOneEvent() {
        QStringList texts;
        QVERIFY(print({u"judgesheets"_s, mMeet, u"--event"_s, u"beam"_s}, u"sheets"_s, texts));
        verifyHeaders(texts, u"Judge Sheet"_s);
        const QString first = texts.first().simplified();
        QVERIFY(first.contains(u"Beam - Squad A"_s));
        QVERIFY(first.contains(u"Judge 1 Judge 2 Judge 3 Start Value Adjustment Final"_s));
        QVERIFY(!first.contains(u"Judge 4"_s));
        QVERIFY(first.indexOf(u"1 101 Ava Brooks"_s) < first.indexOf(u"3 104 Noor Haddad"_s));
        QVERIFY(first.contains(u"Judge 3 signature"_s));
        QVERIFY(texts[1].contains(u"Beam - Squad B"_s));
        QVERIFY(texts.join(u' ').contains(u"Beam - Squad C (continued)"_s));
        QVERIFY(!texts.join(u' ').contains(u"Vault"_s));
    }

    // Wrong arguments (2) and what cannot be done (1) write nothing. The four
    // commands share their meet, session and file handling: each branch once.
    void refusals_data() {
        const QString meet = u"MEET"_s; // the meet file, put in by the test
        const QString session = u"--session"_s;
        addDataRows<QStringList, int>(
            {"arguments", "status"},
            {{{u"results"_s}, 2},
             {{u"results"_s, meet, u"--colour"_s}, 2},
             {{u"results"_s, meet, session, u"x"_s}, 2},
             {{u"results"_s, u"nowhere.tallvane"_s}, 1},
             {{u"results"_s, meet, session, u"9"_s}, 1},
             {{u"results"_s, meet, session, u"2"_s, u"--level"_s, u"4"_s}, 1},
             {{u"results"_s, meet, u"--csv"_s, u"/nonexistent/folder/r.csv"_s}, 1},
             {{u"startlist"_s, meet, u"--level"_s, u"4"_s}, 2},
             {{u"awards"_s, meet, u"--places"_s, u"three"_s}, 2},
             {{u"awards"_s, meet, u"--places"_s, u"0"_s}, 1},
             {{u"judgesheets"_s, meet}, 2},
             {{u"judgesheets"_s, meet, session, u"1"_s, u"--event"_s, u"Rings"_s}, 1}});
    }

    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        arguments.replaceInStrings(u"MEET"_s, mMeet);
        const QString pdf = mTemp.path(u"refused.pdf"_s);
        const auto done = run(arguments + QStringList{u"--pdf"_s, pdf});
        QCOMPARE(done.status, status);
        QVERIFY2(!done.err.isEmpty(), qPrintable(arguments.join(u' ')));
        QVERIFY2(!QFile::exists(pdf), "nothing is written on a refusal");
    }

    // papersize.txt of the data folder chooses the paper of every document;
    // without it the locale decides, Canada's included.
    void paperSizeFromTheSettings_data() {
        addDataRows<QString, QString>({"saved", "size"},
                                      {{u"Letter"_s, u"Page size: 612 x 792 pts"_s},
                                       {u"A4"_s, u"Page size: 595 x 842 pts"_s}});
    }

    void paperSizeFromTheSettings() {
        QFETCH(QString, saved);
        QFETCH(QString, size);
        QVERIFY(PaperSize::write(mTemp.folder(), *PaperSize::parse(saved)));
        const QString pdf = mTemp.path(u"paper.pdf"_s);
        for (const QString& command : {u"results"_s, u"startlist"_s}) {
            QCOMPARE(run({command, mMeet, u"--session"_s, u"2"_s, u"--pdf"_s, pdf}).status, 0);
            QVERIFY2(poppler(u"pdfinfo"_s, {pdf}).simplified().contains(size), qPrintable(command));
        }
        QFile::remove(mTemp.folder() + u"/papersize.txt"_s);
    }

    void paperSizeOfTheLocale_data() {
        addDataRows<QString, bool>(
            {"locale", "letter"},
            {{u"en_US"_s, true}, {u"fr_CA"_s, true}, {u"en_GB"_s, false}, {u"de_DE"_s, false}});
    }

    void paperSizeOfTheLocale() {
        QFETCH(QString, locale);
        QFETCH(bool, letter);
        QCOMPARE(PaperSize::localeDefault(QLocale(locale)) == PaperSize::Size::Letter, letter);
    }
};

QTEST_GUILESS_MAIN(TestReportPaperwork)
#include "tst_report_paperwork.moc"
