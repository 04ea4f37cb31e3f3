#include "childnamed.h"
#include "operatordesk.h"
#include "serverwindow.h"
#include "teststation.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// The rehearsal from the server window: "Rehearsal…" on the Stations tab,
// Start, the list as the seats answer, and the result saved as a PDF.
class TestConsoleRehearsal : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aRehearsalFromTheStationsTabIsSavedAsPdf() {
        OperatorDesk desk;
        const QString meet = desk.temp.createSampleMeet();
        desk.loadSettings(OperatorDesk::Port::AnyFree);
        QVERIFY(desk.state.openMeetFile(meet));
        auto window = std::make_unique<ServerWindow>(desk.state, desk.prompter);
        QVERIFY(window->load().ok());
        window->show();
        TestStation judge(quint16(window->server().port()));
        QVERIFY(judge.waitConnected());
        judge.setAnswerHeartbeats(true);
        QVERIFY(judge.loginJudge(u"Vault"_s, u"Judge A"_s, desk.state.pin())
                    .startsWith(u"AUTHRESP|0"_s));

        QTest::mouseClick(childNamed<QPushButton>(window.get(), "cmdRehearsal"), Qt::LeftButton);
        auto* rehearsal = childNamed<QWidget>(window.get(), "frmRehearsal");
        QVERIFY(rehearsal->isVisible());
        auto* status = childNamed<QLabel>(rehearsal, "lblRehearsalStatus");
        QCOMPARE(status->text(), u"No rehearsal yet."_s);
        auto* save = childNamed<QPushButton>(rehearsal, "cmdSaveRehearsal");
        QVERIFY(!save->isEnabled());

        QTest::mouseClick(childNamed<QPushButton>(rehearsal, "cmdStartRehearsal"), Qt::LeftButton);
        // The only station answers its heartbeat: the rehearsal is over.
        QTRY_VERIFY(status->text().startsWith(u"Rehearsal of "_s));
        QVERIFY(status->text().contains(u"1 answered"_s));
        auto* table = childNamed<QTableWidget>(rehearsal, "tblRehearsal");
        QCOMPARE(table->item(0, 0)->text(), u"Vault judge 1"_s);
        QCOMPARE(table->item(0, 2)->text(), u"heartbeat"_s);
        QVERIFY(table->item(0, 3)->text().startsWith(u"answered in "_s));
        QCOMPARE(table->item(table->rowCount() - 1, 3)->text(), u"empty"_s);

        const QString pdf = desk.temp.folder() + u"/rehearsal.pdf"_s;
        desk.prompter.chooseFile(pdf);
        QVERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QVERIFY2(desk.prompter.lastMessage().startsWith(u"Saved the rehearsal"_s),
                 qPrintable(desk.prompter.lastMessage()));
        QCOMPARE(QFileInfo(desk.prompter.lastFolderOrProposal).path(), QFileInfo(meet).path());
        QProcess text;
        text.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
        QVERIFY(text.waitForFinished(60000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY(printed.contains(u"Rehearsal"_s));
        QVERIFY(printed.contains(u"1 answered"_s));
        QVERIFY(printed.contains(u"Vault judge 1"_s));
        QVERIFY(printed.contains(table->item(0, 3)->text()));

        window.reset();
        desk.state.closeMeetFile();
    }
};

QTEST_MAIN(TestConsoleRehearsal)
#include "tst_console_rehearsal.moc"
