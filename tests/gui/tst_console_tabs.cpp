#include "console/boardstablemodel.h"
#include "firstrow.h"
#include "judging/meetservices.h"
#include "manualscore.h"
#include "scoreboard/queuekey.h"
#include "serverwindowfixture.h"
#include "teststation.h"
#include "webteststation.h"

using namespace Qt::Literals::StringLiterals;

// The "Boards" tab: the connected boards with a layout box each, a choice
// sent to the board at once, and the QR codes that open a board by itself.
// The rehearsal from the Stations tab: "Rehearsal…", Start, the list as the
// seats answer, and the result saved as a PDF. The score history and the
// inquiries where the operator works.
class TestConsoleTabs : public ServerWindowFixture {
    Q_OBJECT

    quint16 webPort() { return quint16(QUrl(child<QLabel>("lblWebAddress")->text()).port()); }
    QComboBox* box(const QString& name) { return mWindow->findChild<QComboBox*>(name); }

private Q_SLOTS:
    void aBoxChangesWhatTheBoardShows() {
        child<QTabWidget>("SSTab1")->setCurrentWidget(child<QWidget>("boardsTab"));
        WebTestStation board(webPort());
        QCOMPARE(board.loginDisplay(u"Door"_s, pin()), u"AUTHRESP|0"_s);
        board.send(u"BOARDLAYOUT|single|Bars||"_s);
        TestStation tcp(port());
        QCOMPARE(tcp.loginDisplay(u"Lobby"_s, pin()), u"AUTHRESP|0"_s);

        QTRY_COMPARE(cell("lstBoards", 0, BoardsTableModel::Showing),
                     u"One score at a time: Bars"_s);
        QCOMPARE(cell("lstBoards", 0, BoardsTableModel::Board), u"Door"_s);
        QCOMPARE(cell("lstBoards", 1, BoardsTableModel::Layout), u"One score at a time (fixed)"_s);
        QVERIFY(!box(u"cboLayout_Lobby"_s));
        QVERIFY(box(u"cboLayout_Door"_s)->isVisible());
        QCOMPARE(box(u"cboEvent_Door"_s)->currentText(), u"Bars"_s);
        QVERIFY(!box(u"cboLevel_Door"_s));

        choose("cboLayout_Door", u"Leaders"_s);
        QCOMPARE(board.next(), u"BOARDLAYOUT|leaders|Bars||"_s);
        // The leaders follow a group, not an event.
        QTRY_VERIFY(!box(u"cboEvent_Door"_s));
        QComboBox* level = box(u"cboLevel_Door"_s);
        QVERIFY(level);
        QVERIFY(level->count() > 1);
        const QString chosen = level->itemData(1).toString();
        choose("cboLevel_Door", level->itemText(1));
        QCOMPARE(board.next(), u"BOARDLAYOUT|leaders|Bars|%1|"_s.arg(chosen));
        QVERIFY(tcp.pending().filter(u"BOARDLAYOUT"_s).isEmpty());
    }

    void theCodesCarryTheNameAndTheStationPin() {
        child<QTabWidget>("SSTab1")->setCurrentWidget(child<QWidget>("boardsTab"));
        child<QLineEdit>("txtBoardName")->setText(u"Door 2"_s);
        auto* four = child<QLabel>("imgBoard_fourCode");
        QVERIFY(four->isVisible());
        QVERIFY(!four->pixmap().isNull());
        const QString pages = child<QLabel>("lblWebAddress")->text();
        QCOMPARE(four->toolTip(), pages + u"display?name=Door%202&layout=four&pin="_s + pin());
        child<QLineEdit>("txtPIN")->setText(u"2468"_s);
        click("cmdSetPIN");
        QVERIFY(four->toolTip().endsWith(u"&pin=2468"_s));
        child<QLineEdit>("txtBoardName")->clear();
        QVERIFY(!four->isVisible());
    }

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
        // A new entry goes on top of the rows shown, which stay as they are.
        QSignalSpy resets(child<QTableView>("gridHistory")->model(),
                          &QAbstractItemModel::modelReset);
        QVERIFY(storeFinal(mWindow->services(), u"101"_s, u"Bars"_s, u"8.9"_s, false));
        QTRY_COMPARE(cell("gridHistory", 0, 5), u"8.900"_s);
        QCOMPARE(child<QTableView>("gridHistory")->model()->rowCount(), 3);
        QCOMPARE(resets.count(), 0);
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

QTEST_MAIN(TestConsoleTabs)
#include "tst_console_tabs.moc"
