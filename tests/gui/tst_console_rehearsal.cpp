#include "serverwindowfixture.h"
#include "teststation.h"

using namespace Qt::Literals::StringLiterals;

// The rehearsal from the server window: "Rehearsal…" on the Stations tab,
// Start, the list as the seats answer, and the result saved as a PDF.
class TestConsoleRehearsal : public ServerWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void aRehearsalFromTheStationsTabIsSavedAsPdf() {
        TestStation judge(port());
        judge.setAnswerHeartbeats(true);
        QVERIFY(judge.loginJudge(u"Vault"_s, u"Judge A"_s, pin()).startsWith(u"AUTHRESP|0"_s));

        QTest::mouseClick(child<QPushButton>("cmdRehearsal"), Qt::LeftButton);
        auto* rehearsal = child<QWidget>("frmRehearsal");
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

        const QString pdf = mDesk->temp.folder() + u"/rehearsal.pdf"_s;
        mDesk->prompter.chooseFile(pdf);
        QVERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QVERIFY2(mDesk->prompter.lastMessage().startsWith(u"Saved the rehearsal"_s),
                 qPrintable(mDesk->prompter.lastMessage()));
        QCOMPARE(QFileInfo(mDesk->prompter.lastFolderOrProposal).path(),
                 QFileInfo(db().filePath()).path());
        const QString printed = pdfText(pdf);
        for (const QString& text :
             {u"Rehearsal"_s, u"1 answered"_s, u"Vault judge 1"_s, table->item(0, 3)->text()})
            QVERIFY2(printed.contains(text), qPrintable(text));
    }
};

QTEST_MAIN(TestConsoleRehearsal)
#include "tst_console_rehearsal.moc"
