#include "db/meetdatabase.h"
#include "tempmeet.h"

#include <QProcess>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// `tallvane results` on the sample meet (session 1: levels 4 and 5, level 4
// in Junior and Senior) with scores stored and enough gymnasts for the PDF to
// run over several pages. The PDF is read back with pdftotext.
class TestReportResults : public QObject {
    Q_OBJECT

    std::unique_ptr<TempMeet> mTemp;
    QString mMeet;

    struct Run {
        int status = -1;
        QByteArray out, err;
    };
    static Run run(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(TALLVANE_BIN), QStringList{u"results"_s} + arguments);
        if (!process.waitForFinished(60000))
            qFatal("tallvane results did not finish");
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }
    static QString pdfText(const QString& pdf) {
        QProcess process;
        process.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            qFatal("pdftotext failed: %s", process.readAllStandardError().constData());
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    // A CSV line split into its fields (quoted fields may hold commas and quotes).
    static QStringList csvFields(const QString& line) {
        QStringList fields{QString()};
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"')
                fields.last() += line[++i];
            else if (c == u'"')
                quoted = !quoted;
            else if (c == u',' && !quoted)
                fields.append(QString());
            else
                fields.last() += c;
        }
        return fields;
    }

private Q_SLOTS:
    void initTestCase() {
        mTemp = std::make_unique<TempMeet>();
        mMeet = mTemp->createSampleMeet();
        MeetDatabase db;
        QVERIFY(db.open(mMeet));
        QVERIFY(db.execute(u"UPDATE Gymnasts SET E1Final = 9.5, E2Final = 9.25, AA = 18.75 "
                           "WHERE Num IN ('101', '102')"_s));
        QVERIFY(db.execute(u"UPDATE Gymnasts SET E1Final = 8.8, AA = 8.8 WHERE Num = '103'"_s));
        for (int i = 0; i < 90; ++i) {
            QVERIFY(db.execute(
                u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, Birthday, "
                "Session, Gym, E3Final, AA) VALUES(1, ?, 'Extra', ?, '5', '2014-01-01', '1', 1, "
                "?, ?)"_s,
                {QString::number(300 + i), u"Gymnast%1"_s.arg(i), 9.0 - i / 100.0,
                 9.0 - i / 100.0}));
        }
    }
    void cleanupTestCase() { mTemp.reset(); }

    void pdfAndCsvOfOneSession() {
        const QString pdf = mTemp->path(u"results.pdf"_s);
        const QString csv = mTemp->path(u"results.csv"_s);
        const Run done = run({mMeet, u"--session"_s, u"1"_s, u"--pdf"_s, pdf, u"--csv"_s, csv});
        QVERIFY2(done.status == 0, done.err.constData());

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

        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
        const QStringList header = csvFields(lines.first());
        QCOMPARE(header.mid(0, 9),
                 (QStringList{u"Session"_s, u"Level"_s, u"Division"_s, u"Kind"_s, u"Num"_s,
                              u"Name"_s, u"Gym"_s, u"Vault"_s, u"Vault Place"_s}));
        QCOMPARE(header.last(), u"AA Place"_s);
        QCOMPARE(lines.size(), 1 + 93 + 3); // gymnasts, then a team row per gym and level
        QCOMPARE(csvFields(lines[1]),
                 (QStringList{u"1"_s, u"4"_s, u"Senior"_s, u"Gymnast"_s, u"101"_s, u"Ava Brooks"_s,
                              u"Riverside"_s, u"9.500"_s, u"1"_s, u"9.250"_s, u"1"_s, QString(),
                              QString(), QString(), QString(), u"18.750"_s, u"1"_s}));
        QVERIFY(lines.contains(u"1,5,,Gymnast,103,Zoë Carter,Riverside,8.800,1,,,,,,,8.800,21"_s));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("no meet file") << QStringList{} << 2;
        QTest::newRow("unknown option") << QStringList{u"MEET"_s, u"--colour"_s} << 2;
        QTest::newRow("session no number") << QStringList{u"MEET"_s, u"--session"_s, u"x"_s} << 2;
        QTest::newRow("missing meet file") << QStringList{u"nowhere.tallvane"_s} << 1;
        QTest::newRow("unknown session") << QStringList{u"MEET"_s, u"--session"_s, u"9"_s} << 1;
        QTest::newRow("level not in session")
            << QStringList{u"MEET"_s, u"--session"_s, u"2"_s, u"--level"_s, u"4"_s} << 1;
        QTest::newRow("unwritable file")
            << QStringList{u"MEET"_s, u"--csv"_s, u"/nonexistent/folder/r.csv"_s} << 1;
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        arguments.replaceInStrings(u"MEET"_s, mMeet);
        const QString pdf = mTemp->path(u"refused.pdf"_s);
        const Run done = run(arguments + QStringList{u"--pdf"_s, pdf});
        QCOMPARE(done.status, status);
        QVERIFY(!done.err.isEmpty());
        QVERIFY2(!QFile::exists(pdf), "nothing is written on a refusal");
    }

    void helpAndStandardOutput() {
        const Run help = run({u"--help"_s});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains("--session"));
        const Run csv = run({mMeet, u"--level"_s, u"4"_s});
        QCOMPARE(csv.status, 0);
        QCOMPARE(csv.out.count('\n'), 1 + 2 + 2); // header, session 1's gymnasts and teams
    }
};

QTEST_GUILESS_MAIN(TestReportResults)
#include "tst_report_results.moc"
