#include "operatordesk.h"
#include "transfer/exportwindow.h"
#include "transfer/importwindow.h"
#include "transfer/transferfileinfo.h"
#include "transferfiles.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Desk : MainWindowDesk {
    template <typename T = QPushButton>
    T* importer(const char* name) const {
        QWidget* parent = window->findChild<QWidget*>(u"frmImport"_s);
        return parent ? parent->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }
    // Writes a transfer file of one meet ("Autumn Open", 2 judges) with a
    // gymnast and a level, and returns its path.
    QString transferFile(const QString& level = u"4"_s, const QByteArray& version = "4.0") {
        using namespace TransferFiles;
        QByteArray bytes = file(
            {{u"Meets"_s, {record(u"Meets"_s, 1, u"MeetID=1|Name=Autumn Open|Num_Judges=2"_s)}},
             {u"Levels"_s, {record(u"Levels"_s, 1, u"Level="_s + level)}},
             {u"Sessions"_s, {record(u"Sessions"_s, 1, u"MeetID=1|Session=1|Desc=Saturday AM"_s)}},
             {u"Gymnasts"_s, {record(u"Gymnasts"_s, 1, u"Num=12|Last_Name=O'Neil"_s)}}});
        bytes.replace("Version=4.0", QByteArray("Version=" + version));
        const QString path = temp.path(u"in.rxt"_s);
        write(path, bytes);
        return path;
    }
    // Starts the import and waits for it to end.
    bool runImport() const {
        importer("cmdStart")->click();
        return QTest::qWaitFor([this] { return importer("cmdCancel")->text() == u"Done"_s; },
                               10000);
    }
    // Runs an export window on `begin` and waits until it has closed.
    bool runExport() {
        QPointer<ExportWindow> exporter = new ExportWindow(state, prompter, window.get());
        exporter->setStartDelay(0);
        exporter->begin();
        return QTest::qWaitFor([&exporter] { return exporter.isNull(); }, 10000);
    }
};

} // namespace

class TestTransferWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A transfer file opened from the file manager goes to the import window
    // without a file dialog; the imported meet opens when it is closed, and
    // opens from the file manager again later.
    void importedMeetOpensWhenTheWindowIsClosed() {
        Desk desk;
        desk.window->openFile(desk.transferFile());
        QVERIFY(desk.prompter.shown().isEmpty());
        QVERIFY(desk.importer<QLabel>("lblImportFilePath")->text().endsWith(u"in.rxt"_s));
        auto* name = desk.importer<QLineEdit>("txtMeetName");
        QCOMPARE(name->text(), u"Autumn Open.tallvane"_s);

        // Nothing is imported before Start; an existing file is kept when the
        // operator says No.
        const QString meet = desk.temp.path(u"Autumn Open.tallvane"_s);
        QVERIFY(!QFile::exists(meet));
        TransferFiles::write(meet, "an older meet");
        desk.prompter.answerNo();
        desk.importer("cmdStart")->click();
        QCOMPARE(desk.prompter.questions(),
                 QStringList{u"The data file Autumn Open.tallvane already exists.  Do you want "
                             "to overwrite the file?"_s});
        QCOMPARE(TransferFiles::read(meet), QByteArray("an older meet"));
        QVERIFY(desk.importer("cmdStart")->isEnabled());
        QVERIFY(name->isEnabled());

        desk.prompter.answerYes();
        QVERIFY(desk.runImport());
        QVERIFY(!desk.importer("cmdStart")->isEnabled());
        QVERIFY(!name->isEnabled());
        QCOMPARE(desk.importer<QProgressBar>("pbar")->value(), 100);
        QCOMPARE(desk.prompter.messages(), QStringList()); // nothing to report
        QVERIFY(!desk.state.isMeetOpen());

        desk.importer("cmdCancel")->click();
        QVERIFY2(desk.state.isMeetOpen(), qPrintable(desk.prompter.messages().join(u'|')));
        QCOMPARE(desk.state.numJudges(), 2);
        QCOMPARE(desk.window->windowTitle(), u"Tallvane - "_s + meet);
        desk.prompter.answerYes();
        desk.trigger("mnuClose");
        desk.window->openFile(meet);
        QCOMPARE(desk.state.meetFilePath(), meet);
    }

    void refusedRecordsAreShownOnceAndUnusableFilesClose() {
        Desk desk;
        desk.prompter.chooseFile(desk.transferFile(u"toolong"_s));
        desk.trigger("mnuImportRostrel");
        QCOMPARE(desk.prompter.lastFolderOrProposal, desk.state.dataFolder());
        QVERIFY(desk.runImport());
        QCOMPARE(desk.prompter.messages().size(), 1);
        QVERIFY(desk.prompter.lastMessage().startsWith(u"1 record was not imported:\r\n"
                                                       "[Levels-0001] (line "_s));
        QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Warning);

        // Version 3.5: refused, nothing created, the window goes away unshown;
        // so does one whose file dialog was cancelled.
        desk.prompter.clear();
        desk.prompter.chooseFile(desk.transferFile(u"4"_s, "3.5"));
        QPointer<ImportWindow> window = new ImportWindow(desk.state, desk.prompter);
        window->begin();
        QCOMPARE(desk.prompter.messages(),
                 QStringList{QString::fromLatin1(TransferFileInfo::VersionMessage)});
        QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Critical);
        QTRY_VERIFY(window.isNull());
        window = new ImportWindow(desk.state, desk.prompter);
        window->begin();
        QTRY_VERIFY(window.isNull());
    }

    void exportAsksBeforeReplacingAndReportsOnlyRealSuccess() {
        Desk desk;
        QVERIFY(desk.window->openMeetFile(desk.temp.createSampleMeet(u"spring.2026.tallvane"_s)));
        const QString target = desk.temp.path(u"spring.rxt"_s);
        TransferFiles::write(target, "earlier");
        // A meet file is never written over: refused without a question, the
        // dialog comes back.
        const QString meet = desk.temp.createSampleMeet(u"other-meet.rxt"_s);
        const QByteArray before = TransferFiles::read(meet);
        desk.prompter.chooseFile(meet);
        desk.prompter.chooseFile(target); // exists: No brings the dialog back
        desk.prompter.answerNo();
        desk.prompter.chooseFile(QString()); // then cancelled
        QVERIFY(desk.runExport());
        QCOMPARE(desk.prompter.lastFolderOrProposal, desk.state.dataFolder() + u"/spring.rxt"_s);
        QVERIFY(desk.prompter.lastMessage().contains(u"meet file"_s));
        QCOMPARE(desk.prompter.questions(),
                 QStringList{u"The file spring.rxt already exists.  Do you wish to "
                             "overwrite this file?"_s});
        QCOMPARE(TransferFiles::read(target), QByteArray("earlier"));
        QCOMPARE(TransferFiles::read(meet), before);

        desk.prompter.clear();
        desk.prompter.chooseFile(target);
        desk.prompter.answerYes();
        desk.trigger("mnuExportRostrel");
        auto* window = desk.window->findChild<ExportWindow*>(u"frmExport"_s);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QSignalSpy destroyed(window, &QObject::destroyed);
        QVERIFY2(destroyed.wait(10000), qPrintable(desk.prompter.messages().join(u'|')));
        QCOMPARE(desk.prompter.messages(), QStringList{u"Export complete!"_s});
        QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Information);
        QVERIFY(TransferFiles::read(target).contains("Last_Name=O'Neil\r\n"));

        // A target that cannot be written: a clear failure, no success message, no file.
        desk.prompter.clear();
        const QString unwritable = desk.temp.path(u"spring.rxt/out.rxt"_s);
        desk.prompter.chooseFile(unwritable);
        QVERIFY(desk.runExport());
        QCOMPARE(desk.prompter.messages().size(), 1);
        QVERIFY(desk.prompter.lastMessage().startsWith(u"The export to "_s));
        QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Critical);
        QVERIFY(!QFile::exists(unwritable));
    }
};

QTEST_MAIN(TestTransferWindows)
#include "tst_transfer_windows.moc"
