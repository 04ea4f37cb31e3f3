#include "childprogram.h"
#include "tempmeet.h"
#include "transferfiles.h"

#include <QFile>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

using Run = ChildProgram::Finished;

QByteArray meetFile(const QString& levelText = u"4"_s) {
    return TransferFiles::file(
        {{u"Meets"_s,
          {TransferFiles::record(u"Meets"_s, 1,
                                 {{u"MeetID"_s, u"1"_s}, {u"Name"_s, u"Fall/Winter Cup"_s}})}},
         {u"Levels"_s, {TransferFiles::record(u"Levels"_s, 1, {{u"Level"_s, levelText}})}}});
}

} // namespace

class TestTransferCli : public QObject {
    Q_OBJECT

    TempMeet mTemp;
    Run tallvane(const QStringList& arguments) {
        return ChildProgram::runTallvane(arguments, mTemp.path(u"data"_s));
    }

private Q_SLOTS:
    void importsIntoTheDataFolderAndRefusesToOverwrite() {
        const QString source = mTemp.path(u"cup.rxt"_s);
        TransferFiles::write(source, meetFile());
        const QString meet = mTemp.path(u"data/Fall-Winter Cup.tallvane"_s);

        Run run = tallvane({u"import"_s, source});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(u"Imported 2 records"_s), qPrintable(run.out + run.err));
        QVERIFY(QFile::exists(meet));

        run = tallvane({u"import"_s, source});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"--force"_s));
        run = tallvane({u"import"_s, source, u"--force"_s});
        QCOMPARE(run.status, 0);

        const QString exported = mTemp.path(u"back.rxt"_s);
        run = tallvane({u"export"_s, meet, exported});
        QCOMPARE(run.status, 0);
        QCOMPARE(TransferFiles::read(exported), meetFile());
        run = tallvane({u"export"_s, meet, exported});
        QCOMPARE(run.status, 1);
        QCOMPARE(tallvane({u"export"_s, meet, exported, u"--force"_s}).status, 0);
    }

    void failuresExitNonZeroAndSayWhy() {
        const QString source = mTemp.path(u"bad.rxt"_s);
        TransferFiles::write(source, meetFile(u"toolong"_s));
        const QString meet = mTemp.path(u"bad.tallvane"_s);
        Run run = tallvane({u"import"_s, source, meet});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(u"[Levels-0001] (line "_s) &&
                     run.err.contains(u"Levels.Level is longer than 5 characters"_s),
                 qPrintable(run.err));
        QVERIFY(QFile::exists(meet)); // the records that could be stored are

        QByteArray old = meetFile();
        old.replace("Version=4.0", "Version=3.5");
        TransferFiles::write(source, old);
        run = tallvane({u"import"_s, source, mTemp.path(u"old.tallvane"_s)});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"version number of 4.0 or greater"_s));
        QVERIFY(!QFile::exists(mTemp.path(u"old.tallvane"_s)));

        QCOMPARE(tallvane({u"import"_s, mTemp.path(u"none.rxt"_s)}).status, 1);

        run = tallvane({u"export"_s, mTemp.path(u"none.tallvane"_s), mTemp.path(u"x.rxt"_s)});
        QCOMPARE(run.status, 1);
        QVERIFY(!run.err.isEmpty());
        const QString unwritable = mTemp.path(u"bad.rxt/x.rxt"_s);
        run = tallvane({u"export"_s, meet, unwritable});
        QCOMPARE(run.status, 1);
        QVERIFY(!run.out.contains(u"Exported"_s));
        QVERIFY(!QFile::exists(unwritable));

        // A meet file is never the target, not even with --force.
        const QByteArray stored = TransferFiles::read(meet);
        run = tallvane({u"export"_s, meet, meet, u"--force"_s});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(u"meet file"_s), qPrintable(run.err));
        QCOMPARE(TransferFiles::read(meet), stored);
    }
};

QTEST_GUILESS_MAIN(TestTransferCli)
#include "tst_transfer_cli.moc"
