#include "operatordesk.h"
#include "transfer/exportwindow.h"
#include "transfer/importwindow.h"
#include "transfer/transferfileinfo.h"
#include "transferfiles.h"

#include <QAction>
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
    Desk()
        : MainWindowDesk(Port::AnyFree) {}
    template <typename T>
    T* child(const char* window, const char* name) const {
        QWidget* parent = this->window->findChild<QWidget*>(QString::fromLatin1(window));
        return parent ? parent->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }
    QString transferFile(const QByteArray& bytes) {
        const QString path = temp.path(u"in.rxt"_s);
        TransferFiles::write(path, bytes);
        return path;
    }
};

QByteArray meetFile(const QString& level = u"4"_s) {
    return TransferFiles::file(
        {{u"Meets"_s,
          {TransferFiles::record(
              u"Meets"_s, 1,
              {{u"MeetID"_s, u"1"_s}, {u"Name"_s, u"Autumn Open"_s}, {u"Num_Judges"_s, u"2"_s}})}},
         {u"Levels"_s, {TransferFiles::record(u"Levels"_s, 1, {{u"Level"_s, level}})}},
         {u"Sessions"_s,
          {TransferFiles::record(
              u"Sessions"_s, 1,
              {{u"MeetID"_s, u"1"_s}, {u"Session"_s, u"1"_s}, {u"Desc"_s, u"Saturday AM"_s}})}},
         {u"Gymnasts"_s,
          {TransferFiles::record(u"Gymnasts"_s, 1,
                                 {{u"Num"_s, u"12"_s}, {u"Last_Name"_s, u"O'Neil"_s}})}}});
}

} // namespace

class TestTransferWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void importedMeetOpensWhenTheWindowIsClosed() {
        Desk desk;
        desk.prompter.chooseFile(desk.transferFile(meetFile()));
        desk.trigger("mnuImportRostrel");
        QCOMPARE(desk.prompter.lastFilter, u"Rostrel Transfer Files(*.rxt)"_s);
        QCOMPARE(desk.prompter.lastFolderOrProposal, desk.state.dataFolder());
        auto* window = desk.window->findChild<QDialog*>(u"frmImport"_s);
        QVERIFY(window && window->isVisible());
        QVERIFY(desk.child<QLabel>("frmImport", "lblImportFilePath")->text().endsWith(u"in.rxt"_s));
        auto* name = desk.child<QLineEdit>("frmImport", "txtMeetName");
        auto* start = desk.child<QPushButton>("frmImport", "cmdStart");
        auto* cancel = desk.child<QPushButton>("frmImport", "cmdCancel");
        QCOMPARE(name->text(), u"Autumn Open.tallvane"_s);

        // An existing file is kept when the operator says No.
        const QString meet = desk.temp.path(u"Autumn Open.tallvane"_s);
        TransferFiles::write(meet, "an older meet");
        desk.prompter.answerNo();
        start->click();
        QCOMPARE(desk.prompter.questions().last(),
                 u"The data file Autumn Open.tallvane already exists.  Do you want to "
                 "overwrite the file?"_s);
        QCOMPARE(TransferFiles::read(meet), QByteArray("an older meet"));
        QVERIFY(start->isEnabled() && cancel->isEnabled() && name->isEnabled());

        desk.prompter.answerYes();
        start->click();
        QVERIFY(!start->isEnabled() && !cancel->isEnabled() && !name->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(cancel->text(), u"Done"_s, 10000);
        QVERIFY(cancel->isEnabled() && !start->isEnabled());
        QCOMPARE(desk.child<QProgressBar>("frmImport", "pbar")->value(), 100);
        QCOMPARE(desk.prompter.messages(), QStringList()); // nothing to report
        QVERIFY(!desk.state.isMeetOpen());

        cancel->click();
        QVERIFY2(desk.state.isMeetOpen(), qPrintable(desk.prompter.messages().join(u'|')));
        QCOMPARE(desk.state.meetFilePath(), meet);
        QCOMPARE(desk.state.meetBaseName(), u"Autumn Open"_s);
        QCOMPARE(desk.state.numJudges(), 2);
        QCOMPARE(desk.window->windowTitle(), u"Tallvane - "_s + meet);
    }

    // What a double click in the file manager hands over: a transfer file
    // goes to the import window without a file dialog, a meet file opens.
    void filesFromTheFileManagerImportOrOpen() {
        Desk desk;
        desk.window->openFile(desk.transferFile(meetFile()));
        QVERIFY(desk.prompter.lastFilter.isEmpty());
        QVERIFY(desk.child<QLabel>("frmImport", "lblImportFilePath")->text().endsWith(u"in.rxt"_s));
        QCOMPARE(desk.child<QLineEdit>("frmImport", "txtMeetName")->text(),
                 u"Autumn Open.tallvane"_s);
        const QString meet = desk.temp.path(u"Autumn Open.tallvane"_s);
        QVERIFY(!QFile::exists(meet)); // nothing happens before the operator confirms
        desk.child<QPushButton>("frmImport", "cmdStart")->click();
        auto* done = desk.child<QPushButton>("frmImport", "cmdCancel");
        QTRY_COMPARE_WITH_TIMEOUT(done->text(), u"Done"_s, 10000);
        done->click();
        QVERIFY(desk.state.isMeetOpen());

        desk.prompter.answerYes();
        desk.trigger("mnuClose");
        desk.window->openFile(meet);
        QCOMPARE(desk.state.meetFilePath(), meet);
    }

    void refusedRecordsAreShownOnceAndUnusableFilesClose() {
        Desk desk;
        desk.prompter.chooseFile(desk.transferFile(meetFile(u"toolong"_s)));
        desk.trigger("mnuImportRostrel");
        desk.child<QPushButton>("frmImport", "cmdStart")->click();
        auto* cancel = desk.child<QPushButton>("frmImport", "cmdCancel");
        QTRY_COMPARE_WITH_TIMEOUT(cancel->text(), u"Done"_s, 10000);
        QCOMPARE(desk.prompter.messages().size(), 1);
        QVERIFY(desk.prompter.lastMessage().startsWith(u"1 record was not imported:\r\n"
                                                       "[Levels-0001] (line "_s));
        QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Warning);
        cancel->click();
        QVERIFY2(desk.state.isMeetOpen(), qPrintable(desk.prompter.messages().join(u'|')));
        desk.prompter.answerYes();
        desk.trigger("mnuClose");
        QVERIFY(!desk.state.isMeetOpen());

        // Version 3.5: refused, nothing created, the window goes away.
        desk.prompter.clear();
        QByteArray old = meetFile();
        old.replace("Version=4.0", "Version=3.5");
        desk.prompter.chooseFile(desk.transferFile(old));
        QPointer<ImportWindow> window = new ImportWindow(desk.state, desk.prompter);
        window->begin();
        QCOMPARE(desk.prompter.messages(),
                 QStringList{QString::fromLatin1(TransferFileInfo::VersionMessage)});
        QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Critical);
        QTRY_VERIFY(window.isNull()); // closed and deleted, never shown

        // A cancelled dialog: no window, no file.
        QPointer<ImportWindow> cancelled = new ImportWindow(desk.state, desk.prompter);
        cancelled->begin();
        QTRY_VERIFY(cancelled.isNull()); // closed and deleted
    }

    void exportAsksBeforeReplacingAndReportsOnlyRealSuccess() {
        Desk desk;
        const QString meet = desk.temp.createSampleMeet(u"spring.2026.tallvane"_s);
        QVERIFY(desk.window->openMeetFile(meet));

        const QString target = desk.temp.path(u"spring.rxt"_s);
        TransferFiles::write(target, "earlier");
        desk.prompter.chooseFile(target); // exists: No brings the dialog back
        desk.prompter.answerNo();
        desk.prompter.chooseFile(QString()); // then cancelled
        {
            QPointer<ExportWindow> window =
                new ExportWindow(desk.state, desk.prompter, desk.window.get());
            window->begin();
            QCOMPARE(desk.prompter.lastFilter, u"Rostrel Transfer File (*.rxt)"_s);
            QCOMPARE(desk.prompter.lastFolderOrProposal,
                     desk.state.dataFolder() + u"/spring.rxt"_s);
            QCOMPARE(desk.prompter.questions(),
                     QStringList{u"The file spring.rxt already exists.  Do you wish to "
                                 "overwrite this file?"_s});
            QTRY_VERIFY(window.isNull());
        }
        QCOMPARE(TransferFiles::read(target), QByteArray("earlier"));

        desk.prompter.clear();
        desk.prompter.chooseFile(target);
        desk.prompter.answerYes();
        desk.trigger("mnuExportRostrel");
        auto* window = desk.window->findChild<ExportWindow*>(u"frmExport"_s);
        QVERIFY(window && window->isVisible());
        QSignalSpy destroyed(window, &QObject::destroyed);
        QVERIFY2(destroyed.wait(10000), qPrintable(desk.prompter.messages().join(u'|')));
        QCOMPARE(desk.prompter.messages(), QStringList{u"Export complete!"_s});
        QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Information);
        QVERIFY(TransferFiles::read(target).contains("Last_Name=O'Neil\r\n"));

        // A target that cannot be written: a clear failure, no success message, no file.
        desk.prompter.clear();
        const QString unwritable = desk.temp.path(u"spring.rxt/out.rxt"_s);
        desk.prompter.chooseFile(unwritable);
        auto* failing = new ExportWindow(desk.state, desk.prompter, desk.window.get());
        failing->setStartDelay(0);
        QSignalSpy gone(failing, &QObject::destroyed);
        failing->begin();
        QVERIFY(gone.wait(10000));
        QCOMPARE(desk.prompter.messages().size(), 1);
        QVERIFY(desk.prompter.lastMessage().startsWith(u"The export to "_s));
        QCOMPARE(desk.prompter.shown().last().icon, Prompter::Icon::Critical);
        QVERIFY(!QFile::exists(unwritable));
    }

    // Neither the open meet file nor any other meet file is written over, even
    // with a Yes to replacing an existing file: the dialog comes back.
    void exportRefusesMeetFilesAsTarget() {
        Desk desk;
        const QString meet = desk.temp.createSampleMeet();
        const QString other = desk.temp.createSampleMeet(u"other-meet.rxt"_s);
        QVERIFY(desk.window->openMeetFile(meet));
        const QByteArray before = TransferFiles::read(other);
        for (const QString& target : QStringList{meet, other, meet + u"-wal"_s}) {
            desk.prompter.clear();
            desk.prompter.chooseFile(target);
            desk.prompter.answerYes();
            desk.prompter.chooseFile(QString());
            QPointer<ExportWindow> window =
                new ExportWindow(desk.state, desk.prompter, desk.window.get());
            window->setStartDelay(0);
            window->begin();
            QTRY_VERIFY(window.isNull());
            QCOMPARE(desk.prompter.messages().size(), 1);
            QVERIFY2(desk.prompter.lastMessage().contains(u"meet file"_s),
                     qPrintable(desk.prompter.lastMessage()));
            QVERIFY(desk.prompter.questions().isEmpty());
        }
        QCOMPARE(TransferFiles::read(other), before);
        QCOMPARE(desk.state.meetDb().select(u"SELECT Num FROM Gymnasts"_s).count(), 4);
    }
};

QTEST_MAIN(TestTransferWindows)
#include "tst_transfer_windows.moc"
