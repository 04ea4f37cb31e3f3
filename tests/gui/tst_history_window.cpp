#include "firstrow.h"
#include "judging/meetservices.h"
#include "manualscore.h"
#include "scoreboard/queuekey.h"
#include "serverwindowfixture.h"

using namespace Qt::Literals::StringLiterals;

// The score history and the inquiries where the operator works: the server
// window's tabs on the sample meet.
class TestHistoryWindow : public ServerWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    // A score's history is two clicks away in the queue, the Gymnasts and the
    // Results tabs; the History tab lists the session's entries, narrowed by
    // kind, and prints them to a PDF.
    void historyIsTwoClicksAway() {
        QVERIFY(storeFinal(mWindow->services(), u"101"_s, u"Vault"_s, u"9.2"_s, false));
        QVERIFY(storeFinal(mWindow->services(), u"101"_s, u"Vault"_s, u"9.4"_s, false));
        const auto historyShown = [this](QWidget* clicked, const QPoint& at, const char* action) {
            Q_EMIT clicked->customContextMenuRequested(at);
            mWindow->findChild<QAction*>(QString::fromLatin1(action))->trigger();
            std::unique_ptr<QWidget> window(mWindow->findChild<QWidget*>(u"frmHistory"_s));
            QAbstractItemModel* shown =
                window ? childNamed<QTableView>(window.get(), "gridHistory")->model() : nullptr;
            QStringList rows;
            for (int row = 0; shown && row < shown->rowCount(); ++row)
                rows.append(QStringList{
                    shown->index(row, 1).data().toString(), shown->index(row, 3).data().toString(),
                    shown->index(row, 5).data().toString(), shown->index(row, 6).data().toString()}
                                .join(u' '));
            return rows;
        };
        const QStringList vault{u"correction Vault 9.400 operator"_s,
                                u"score Vault 9.200 operator"_s};
        auto* queue = child<QTableView>("grid1");
        QCOMPARE(historyShown(queue, queue->visualRect(queue->model()->index(0, 1)).center(),
                              "mnuHistory"),
                 vault);

        clickItem(child<QListWidget>("lstGymnasts"), 0);
        QCOMPARE(historyShown(child<QLineEdit>("txtVaultScore"), {2, 2}, "mnuGymnastHistory"),
                 vault);
        QCOMPARE(historyShown(child<QLineEdit>("txtBarsScore"), {2, 2}, "mnuGymnastHistory"),
                 QStringList());

        click("cmdShowResults");
        auto* results = child<QTableView>("grid2");
        QCOMPARE(cell("grid2", 0, 1), u"101"_s);
        QCOMPARE(historyShown(results, results->visualRect(results->model()->index(0, 3)).center(),
                              "mnuResultsHistory"),
                 vault);

        auto* tabs = child<QTabWidget>("SSTab1");
        tabs->setCurrentWidget(mWindow->findChild<QWidget*>(u"historyTab"_s));
        QCOMPARE(child<QTableView>("gridHistory")->model()->rowCount(), 2);
        choose("comboHistoryKind", u"score"_s);
        QCOMPARE(child<QTableView>("gridHistory")->model()->rowCount(), 1);
        QCOMPARE(cell("gridHistory", 0, 5), u"9.200"_s);

        choose("comboHistoryKind", u"All kinds"_s);
        const QString pdf = mDesk->temp.path(u"history.pdf"_s);
        mDesk->prompter.chooseFile(pdf);
        click("cmdPrintHistory");
        const QString text = pdfText(pdf).simplified();
        QVERIFY2(text.contains(u"correction 101 Vault 9.200 9.400 operator manual entry"_s),
                 qPrintable(text));
        QVERIFY2(text.contains(u"score 101 Vault 9.200 operator manual entry"_s), qPrintable(text));
    }

    // An inquiry filed in the History tab lists as open; past the time limit
    // the operator is asked first; "Score stands" closes it with its reason,
    // and "New score…" opens the manual entry whose score decides it.
    void inquiriesAreFiledAndDecidedInTheHistoryTab() {
        QVERIFY(storeFinal(mWindow->services(), u"101"_s, u"Bars"_s, u"9.1"_s, false));
        QVERIFY(db().execute(u"UPDATE ScoreBoardQueue SET Status = 'Sent', QueueTime = ?"_s,
                             {queueTimeText(QDateTime::currentDateTime().addSecs(-20 * 60))}));
        child<QTabWidget>("SSTab1")->setCurrentWidget(
            mWindow->findChild<QWidget*>(u"historyTab"_s));
        child<QLineEdit>("txtInquiryNum")->setText(u"101"_s);
        choose("comboInquiryEvent", u"Bars"_s);
        child<QLineEdit>("txtInquiryFiledBy")->setText(u"Coach Lee"_s);
        mDesk->prompter.answerNo();
        click("cmdFileInquiry");
        QVERIFY2(mDesk->prompter.questions().value(0).contains(u"past the 10-minute limit"_s),
                 qPrintable(mDesk->prompter.questions().value(0)));
        QCOMPARE(child<QTableWidget>("gridInquiries")->rowCount(), 0);
        mDesk->prompter.answerYes();
        click("cmdFileInquiry");
        QCOMPARE(child<QTableWidget>("gridInquiries")->rowCount(), 1);
        QCOMPARE(cell("gridInquiries", 0, 4), u"Open"_s);

        child<QTableWidget>("gridInquiries")->selectRow(0);
        child<QLineEdit>("txtInquiryReason")->setText(u"the panel agreed"_s);
        click("cmdScoreStands");
        QCOMPARE(cell("gridInquiries", 0, 4), u"Score stands"_s);
        QCOMPARE(cell("gridInquiries", 0, 6), u"the panel agreed"_s);
        QTRY_COMPARE(cell("gridHistory", 0, 1), u"decision"_s);

        // Filed again and decided by a new score from the manual entry.
        child<QLineEdit>("txtInquiryFiledBy")->setText(u"Coach Kim"_s);
        mDesk->prompter.answerYes();
        click("cmdFileInquiry");
        child<QTableWidget>("gridInquiries")->selectRow(1);
        child<QLineEdit>("txtInquiryReason")->setText(u"a missed element"_s);
        click("cmdInquiryNewScore");
        std::unique_ptr<QWidget> entry(mWindow->findChild<QWidget*>(u"frmScoreEntry"_s));
        QVERIFY(entry);
        QCOMPARE(childNamed<QLineEdit>(entry.get(), "txtGymnastNumber")->text(), u"101"_s);
        QCOMPARE(firstRow(db(), u"SELECT COUNT(*) FROM ScoreInquiries WHERE Decision IS NULL"_s),
                 QStringList{u"1"_s});
        QVERIFY(storeFinal(mWindow->services(), u"101"_s, u"Bars"_s, u"9.5"_s, false,
                           u"a missed element"_s));
        QCOMPARE(cell("gridInquiries", 1, 4), u"New score"_s);
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_history_window.moc"
