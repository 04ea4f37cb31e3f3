#include "tempmeet.h"
#include "transferfiles.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run tallvane(const TempMeet& temp, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TALLVANE_DATA_DIR"_s, temp.path(u"data"_s));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TALLVANE_BIN), arguments);
    if (!process.waitForFinished(60000))
        qWarning("tallvane %s did not finish", qPrintable(arguments.join(u' ')));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

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

private Q_SLOTS:
    void importsIntoTheDataFolderAndRefusesToOverwrite() {
        TempMeet temp;
        const QString source = temp.path(u"cup.rxt"_s);
        TransferFiles::write(source, meetFile());
        const QString meet = temp.path(u"data/Fall-Winter Cup.tallvane"_s);

        Run run = tallvane(temp, {u"import"_s, source});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(u"Imported 2 records"_s), qPrintable(run.out + run.err));
        QVERIFY(QFile::exists(meet));

        run = tallvane(temp, {u"import"_s, source});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"--force"_s));
        run = tallvane(temp, {u"import"_s, source, u"--force"_s});
        QCOMPARE(run.status, 0);

        const QString exported = temp.path(u"back.rxt"_s);
        run = tallvane(temp, {u"export"_s, meet, exported});
        QCOMPARE(run.status, 0);
        QCOMPARE(TransferFiles::read(exported), meetFile());
        run = tallvane(temp, {u"export"_s, meet, exported});
        QCOMPARE(run.status, 1);
        QCOMPARE(tallvane(temp, {u"export"_s, meet, exported, u"--force"_s}).status, 0);
    }

    void failuresExitNonZeroAndSayWhy() {
        TempMeet temp;
        const QString source = temp.path(u"bad.rxt"_s);
        TransferFiles::write(source, meetFile(u"toolong"_s));
        const QString meet = temp.path(u"bad.tallvane"_s);
        Run run = tallvane(temp, {u"import"_s, source, meet});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(u"[Levels-0001] (line "_s) &&
                     run.err.contains(u"Levels.Level is longer than 5 characters"_s),
                 qPrintable(run.err));
        QVERIFY(QFile::exists(meet)); // the records that could be stored are

        QByteArray old = meetFile();
        old.replace("Version=4.0", "Version=3.5");
        TransferFiles::write(source, old);
        run = tallvane(temp, {u"import"_s, source, temp.path(u"old.tallvane"_s)});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"version number of 4.0 or greater"_s));
        QVERIFY(!QFile::exists(temp.path(u"old.tallvane"_s)));

        QCOMPARE(tallvane(temp, {u"import"_s}).status, 2);
        QCOMPARE(tallvane(temp, {u"import"_s, source, u"--forse"_s}).status, 2);
        QCOMPARE(tallvane(temp, {u"export"_s, meet}).status, 2);
        QCOMPARE(tallvane(temp, {u"import"_s, temp.path(u"none.rxt"_s)}).status, 1);

        run = tallvane(temp, {u"export"_s, temp.path(u"none.tallvane"_s), temp.path(u"x.rxt"_s)});
        QCOMPARE(run.status, 1);
        QVERIFY(!run.err.isEmpty());
        const QString unwritable = temp.path(u"bad.rxt/x.rxt"_s);
        run = tallvane(temp, {u"export"_s, meet, unwritable});
        QCOMPARE(run.status, 1);
        QVERIFY(!run.out.contains(u"Exported"_s));
        QVERIFY(!QFile::exists(unwritable));

        // A meet file is never the target, not even with --force.
        const QByteArray stored = TransferFiles::read(meet);
        run = tallvane(temp, {u"export"_s, meet, meet, u"--force"_s});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(u"meet file"_s), qPrintable(run.err));
        QCOMPARE(TransferFiles::read(meet), stored);
    }
};

QTEST_GUILESS_MAIN(TestTransferCli)
#include "tst_transfer_cli.moc"
