#include "firstrow.h"
#include "judging/meetservices.h"
#include "manualscore.h"
#include "queuetab.h"
#include "resultstab.h"
#include "scoreboard/eventdisplayloop.h"
#include "scoreboard/queuekey.h"
#include "scoreboard/warmupclock.h"
#include "server/scoringserver.h"
#include "serverwindowfixture.h"
#include "teststation.h"
#include "transferfiles.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

// The server window's tabs on the sample meet, its server listening on a free port.
class TestConsoleWindow : public ServerWindowFixture {
    Q_OBJECT

    QString queueRows() { return firstRow(db(), u"SELECT count(*) FROM ScoreBoardQueue"_s)[0]; }

private Q_SLOTS:
    void setAnnouncesTheSessionToEveryLoggedInStation() {
        TestStation judge(port()), display(port()), stranger(port());
        QVERIFY(stranger.waitConnected());
        QVERIFY(judge.loginJudge(u"Vault"_s, u"Judge A"_s, pin()).startsWith(u"AUTHRESP|0"_s));
        QVERIFY(display.loginDisplay(u"Board 1"_s, pin()).startsWith(u"AUTHRESP|0"_s));

        choose("combo_sessions", u"Saturday PM"_s);
        click("cmSetSession");
        QCOMPARE(child<QLabel>("lblSession")->text(), u"Saturday PM"_s);
        QCOMPARE(child<QListWidget>("lstGymnasts")->item(0)->text(), u"201 - Park, Lena"_s);
        for (TestStation* station : {&judge, &display}) {
            QCOMPARE(station->next(), u"SETSESSION|2|Saturday PM"_s);
            QCOMPARE(station->ask(u"CLIENTBEAT"_s), u"BEATRESPONSE"_s); // told once
        }
        QCOMPARE(stranger.ask(u"GETSESSION"_s, 300), QString()); // never logged in: hears nothing

        // "Set" on the current session reads its gymnasts again.
        QVERIFY(db().execute(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Session) "
                             "VALUES(1, '202', 'Di', 'Eng', '2')"_s));
        click("cmSetSession");
        QCOMPARE(child<QListWidget>("lstGymnasts")->count(), 2);

        // Stations that cannot be looked up: the session is set, the operator told.
        QVERIFY(db().execute(u"ALTER TABLE Connections RENAME TO Unreadable"_s));
        choose("combo_sessions", u"Saturday AM"_s);
        click("cmSetSession");
        QCOMPARE(child<QLabel>("lblSession")->text(), u"Saturday AM"_s);
        QVERIFY(mDesk->prompter.lastMessage().contains(u"the stations could not be told"_s));
        QVERIFY(db().execute(u"ALTER TABLE Unreadable RENAME TO Connections"_s));
    }

    void sessionEditorKeepsRefusedTypingAndRenamesTheCurrentSession() {
        clickItem(child<QListWidget>("lstSessions"), 0);
        QVERIFY(child<QFrame>("frame_session")->isVisible());
        child<QLineEdit>("txtSessionDesc")->setText(u"Saturday - Morning"_s);
        child<QLineEdit>("sDate")->setText(u"someday"_s);
        click("cmdSessionSave");
        QVERIFY(mDesk->prompter.lastMessage().startsWith(u"Invalid Session date."_s));
        QVERIFY(child<QFrame>("frame_session")->isVisible());
        QCOMPARE(child<QLineEdit>("sDate")->text(), u"someday"_s);

        child<QLineEdit>("sDate")->setText(u"2026-03-14"_s);
        click("cmdSessionSave");
        QVERIFY(!child<QFrame>("frame_session")->isVisible());
        QCOMPARE(child<QListWidget>("lstSessions")->item(0)->text(), u"1 - Saturday - Morning"_s);
        QCOMPARE(child<QLabel>("lblSession")->text(), u"Saturday - Morning"_s);
    }

    void gymnastEditorOpensScoreEntryAndSaves() {
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        QVERIFY(!child<QPushButton>("scoreVault")->isVisible());
        clickItem(child<QListWidget>("lstGymnasts"), 1); // 102 - O'Neil, Maya
        QVERIFY(child<QFrame>("frame_gymnast")->isVisible());
        QCOMPARE(child<QComboBox>("combo_gym")->currentText(), u"O'Malley Tumbling"_s);
        click("scoreBeam");
        auto* entry = mWindow->findChild<QDialog*>(u"frmScoreEntry"_s);
        QVERIFY(entry);
        QVERIFY(entry->isVisible());
        QCOMPARE(entry->findChild<QLineEdit*>(u"txtGymnastNumber"_s)->text(), u"102"_s);
        entry->close();

        child<QLineEdit>("last_name")->setText(u"O'Neil-D'Arcy"_s);
        click("Command3");
        QVERIFY(!child<QFrame>("frame_gymnast")->isVisible());
        QCOMPARE(firstRow(db(), u"SELECT Last_Name FROM Gymnasts WHERE Num = '102'"_s),
                 QStringList{u"O'Neil-D'Arcy"_s});
    }

    // At the window's first size on a 1366x768 screen the score boxes show a
    // whole score, and one stored for the gymnast shown appears at once.
    void gymnastScoresShowWholeAndFollowStoredScores() {
        mWindow->resize(1320, 640);
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        clickItem(child<QListWidget>("lstGymnasts"), 0); // 101 - Brooks, Ava
        auto* floor = child<QLineEdit>("txtFloorScore");
        QCOMPARE(floor->text(), QString());
        QVERIFY(storeFinal(mWindow->services(), u"101"_s, u"Floor"_s, u"8.675"_s));
        QCOMPARE(floor->text(), u"8.675"_s);
        for (const char* name : {"txtVaultScore", "txtFloorScore", "txtAAScore"}) {
            const auto* box = child<QLineEdit>(name);
            QVERIFY2(box->contentsRect().width() - 4 >=
                         box->fontMetrics().horizontalAdvance(u"88.888"_s),
                     name);
        }
    }

    void resultsFollowTheChooserLevelAndRefresh() {
        choose("combo_sessions", u"Saturday PM"_s); // chosen, not "Set"
        click("cmdShowResults");
        QCOMPARE(child<QTableView>("grid2")->model()->rowCount(), 1);
        QCOMPARE(cell("grid2", 0, 1), u"201"_s);

        // Divisions follow the level: level 5 has none.
        auto* divisions = child<QComboBox>("Combo_Div");
        divisions->setCurrentIndex(2);
        choose("combo_level2", u"5"_s);
        QCOMPARE(divisions->count(), 1);
        choose("combo_level2", u"4"_s);
        QCOMPARE(divisions->count(), 3);

        choose("combo_sessions", u"Saturday AM"_s);
        choose("combo_level2", u"All"_s);
        mWindow->findChild<ResultsTab*>()->setRefreshInterval(20);
        child<QCheckBox>("chkAutoReloadResults")->setChecked(true);
        QVERIFY(db().execute(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Session) "
                             "VALUES(1, '104', 'Di', 'Eng', '1')"_s));
        QTRY_COMPARE(child<QTableView>("grid2")->model()->rowCount(), 4);
        child<QCheckBox>("chkAutoReloadResults")->setChecked(false);
        QVERIFY(!child<QTimer>("timerAutoReloadResults")->isActive());

        // "Save CSV…" writes the chosen session and level where the operator says.
        choose("combo_level2", u"5"_s);
        const QString csv = mDesk->temp.path(u"level5.csv"_s);
        mDesk->prompter.chooseFile(csv);
        click("cmdSaveResultsCsv");
        QVERIFY2(mDesk->prompter.lastMessage().contains(u"saved"_s),
                 qPrintable(mDesk->prompter.lastMessage()));
        const QByteArray text = TransferFiles::read(csv); // header, 103, Riverside's team
        QCOMPARE(text.count('\n'), 3);
        QVERIFY(text.contains("\n1,5,,Gymnast,103,"));
    }

    // The Sessions tab prints the session chosen in its list, the Results
    // tab the awards of the chosen session; each asks for the file first.
    void paperworkIsPrintedForTheChosenSession() {
        click("cmdPrintStartList");
        QCOMPARE(mDesk->prompter.lastMessage(), u"Choose a session first."_s);
        clickItem(child<QListWidget>("lstSessions"), 1);
        const struct {
            const char* button;
            QString file;
        } documents[] = {{"cmdPrintStartList", u"start.pdf"_s},
                         {"cmdPrintJudgeSheets", u"sheets.pdf"_s}};
        for (const auto& document : documents) {
            const QString pdf = mDesk->temp.path(document.file);
            mDesk->prompter.chooseFile(pdf);
            click(document.button);
            QVERIFY2(mDesk->prompter.lastMessage().startsWith(u"Saved the "_s),
                     qPrintable(mDesk->prompter.lastMessage()));
            QVERIFY(mDesk->prompter.lastFolderOrProposal.endsWith(
                u" session 2 "_s +
                (document.file == u"start.pdf"_s ? u"start list.pdf"_s : u"judge sheets.pdf"_s)));
            QVERIFY(TransferFiles::read(pdf).startsWith("%PDF"));
        }
        choose("combo_sessions", u"Saturday AM"_s);
        const QString awards = mDesk->temp.path(u"awards.pdf"_s);
        mDesk->prompter.chooseFile(awards);
        click("cmdPrintAwards");
        QVERIFY(mDesk->prompter.lastFolderOrProposal.endsWith(u" session 1 awards list.pdf"_s));
        QVERIFY(TransferFiles::read(awards).startsWith("%PDF"));
        // A file that cannot be written is said so.
        mDesk->prompter.chooseFile(u"/nonexistent/folder/awards.pdf"_s);
        click("cmdPrintAwards");
        QVERIFY2(mDesk->prompter.lastMessage().startsWith(u"Could not save the awards list: "_s),
                 qPrintable(mDesk->prompter.lastMessage()));
    }

    // A test score is queued only with every field filled. The menu opens
    // only on a score's row, and acts on that score.
    void queueTakesTestScoresAndActsOnThePointedRow() {
        auto* grid = child<QTableView>("grid1");
        QMenu* menu = mWindow->findChild<QueueTab*>()->contextMenu();
        auto openMenuOn = [grid, menu](int row, int below = 0) {
            menu->hide();
            const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
            Q_EMIT grid->customContextMenuRequested(at + QPoint(0, below * grid->rowHeight(row)));
            return menu->isVisible();
        };
        QVERIFY(!openMenuOn(0)); // the empty grid's blank row
        child<QLineEdit>("txtTestScore")->clear();
        click("Command1");
        QCOMPARE(mDesk->prompter.lastMessage(),
                 u"Fill in all test fields before sending a test score."_s);
        QCOMPARE(queueRows(), u"0"_s);

        child<QLineEdit>("txtTestScore")->setText(u"9.1"_s);
        child<QCheckBox>("chkCorrection")->setChecked(true);
        choose("combo_test_events", u"Beam"_s);
        click("Command1");
        QCOMPARE((QStringList{cell("grid1", 0, 1), cell("grid1", 0, 3)}),
                 QStringList({u"999"_s, u"Beam"_s}));
        QCOMPARE(grid->model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>(),
                 QColor(235, 174, 174));
        // A pause button says and shows whether its event's boards are fed.
        auto* pauseBars = child<QPushButton>("btnPauseBars");
        QCOMPARE(pauseBars->text(), u"| |"_s);
        QVERIFY(pauseBars->styleSheet().contains(u"#93e697"_s));
        click("btnPauseBars");
        QCOMPARE(pauseBars->text(), u">"_s);
        QVERIFY(pauseBars->styleSheet().contains(u"#ebaeae"_s));
        click("btnPauseBars");
        QVERIFY(mWindow->services().queue().queueScore(u"101"_s, u"Ava Brooks"_s, u"Vault"_s,
                                                       u"9.100"_s, false));
        QVERIFY(!openMenuOn(1, 2));

        QVERIFY(openMenuOn(1));
        menu->findChild<QAction*>(u"mnuExpedite"_s)->trigger();
        QCOMPARE(cell("grid1", 0, 1), u"101"_s);

        QVERIFY(openMenuOn(0));
        menu->hide();
        QAction* remove = menu->findChild<QAction*>(u"mnuRemoveFromQueue"_s);
        mDesk->prompter.answerNo();
        remove->trigger();
        QCOMPARE(mDesk->prompter.questions().last(),
                 u"Remove score for gymnast 101 from scoreboard queue?"_s);
        QCOMPARE(queueRows(), u"2"_s);
        mDesk->prompter.answerYes();
        remove->trigger();
        QCOMPARE(cell("grid1", 0, 1), u"999"_s);
        QCOMPARE(queueRows(), u"1"_s);
    }

    // Each event's line names the score its boards show until the next one
    // is shown; the warm-up clock's refusal names the scores that hold it.
    void queueTabTellsWhatIsOnTheBoards() {
        TestStation board(port());
        QVERIFY(board.loginDisplay(u"Board 1"_s, pin()).startsWith(u"AUTHRESP|0"_s));
        EventDisplayLoop* floorLoop = mWindow->services().dispatch().loop(u"Floor"_s);
        auto* floorLine = child<QLabel>("lblOnBoardsFloor");
        QCOMPARE(floorLine->text(), u"On the boards: nothing yet"_s);
        QVERIFY(storeFinal(mWindow->services(), u"103"_s, u"Floor"_s, u"9.1"_s, false));
        QVERIFY(storeFinal(mWindow->services(), u"101"_s, u"Floor"_s, u"8.9"_s, false));
        const auto refusalDetail = [this] {
            click("Command5");
            const ScriptedPrompter::Shown& shown = mDesk->prompter.shown().last();
            return shown.text == WarmupClock::QueueNotEmpty ? shown.detail : u"no refusal"_s;
        };
        QCOMPARE(refusalDetail(),
                 u"Waiting to be shown: 103 Zoë Carter 9.100 (Floor) and 1 more."_s);

        floorLoop->processQueue();
        QCOMPARE(board.next(), u"SETSCORE|Floor|103|Zoë Carter|9.100|30000|0"_s);
        QCOMPARE(refusalDetail(), u"On the boards, not yet confirmed by a scoreboard: 103 Zoë "
                                  "Carter 9.100 (Floor).\nWaiting to be shown: 101 Ava Brooks "
                                  "8.900 (Floor)."_s);
        board.send(u"CONFIRMSCORE|103|Floor"_s);
        QTRY_COMPARE(floorLine->text(), u"On the boards: 103 Zoë Carter 9.100"_s);
        QCOMPARE(floorLine->toolTip(), floorLine->text());
        QCOMPARE(child<QLabel>("lblOnBoardsVault")->text(), u"On the boards: nothing yet"_s);

        // Kept while the next score is offered, replaced once it is shown.
        floorLoop->processQueue();
        QCOMPARE(board.next(), u"SETSCORE|Floor|101|Ava Brooks|8.900|30000|0"_s);
        QCOMPARE(floorLine->text(), u"On the boards: 103 Zoë Carter 9.100"_s);
        board.send(u"CONFIRMSCORE|101|Floor"_s);
        QTRY_COMPARE(floorLine->text(), u"On the boards: 101 Ava Brooks 8.900"_s);
        click("Command5");
        QCOMPARE(board.next(), u"STARTTIMER|TIMEDWARMUP|15:00"_s);
    }

    void heartbeatAnswersBlinkTheStationsMark() {
        ScoringServer& server = mWindow->server();
        server.stopHeartbeats();
        server.setHeartbeatIntervals(50, 2000);
        server.startHeartbeats();
        TestStation judge(port());
        judge.setAnswerHeartbeats(true);
        QVERIFY(judge.loginJudge(u"Bars"_s, u"Judge B"_s, pin()).startsWith(u"AUTHRESP|0"_s));
        QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>("hb_event_00")->isVisible(), 5000);
        QVERIFY(!child<QLabel>("hb_event_01")->isVisible());
        server.stopHeartbeats();
        QTRY_VERIFY_WITH_TIMEOUT(!child<QLabel>("hb_event_00")->isVisible(), 5000);
    }

    // Four events of four judges and eight boards: every seat in sight on a
    // laptop's 1366x768 screen (the window below the menu and toolbar), the
    // logged-in ones said so, the empty ones marked in words.
    void theStationsTabShowsEverySeat() {
        mDesk->state.setNumJudges(4);
        std::vector<std::unique_ptr<TestStation>> boards;
        for (int board = 1; board <= 8; ++board) {
            boards.push_back(std::make_unique<TestStation>(port()));
            QVERIFY(boards.back()
                        ->loginDisplay(u"Board %1"_s.arg(board), pin())
                        .startsWith(u"AUTHRESP|0"_s));
        }
        TestStation judge(port());
        QVERIFY(judge.loginJudge(u"Beam"_s, u"Judge C"_s, pin(), u"1"_s, u"3"_s)
                    .startsWith(u"AUTHRESP|0"_s));
        auto* tabs = child<QTabWidget>("SSTab1");
        auto* view = child<QTableView>("stationsView");
        tabs->setCurrentWidget(view->parentWidget());
        mWindow->resize(1366, 690);
        QTRY_COMPARE(view->model()->rowCount(), 16 + 8);
        QTRY_VERIFY(view->isVisible());
        QCOMPARE(view->verticalScrollBar()->maximum(), 0);
        QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
        const auto row = [view](const QString& seat) {
            const QModelIndex first = view->model()->index(0, 0);
            return view->model()
                ->match(first, Qt::DisplayRole, seat, 1, Qt::MatchFixedString)
                .value(0)
                .row();
        };
        const int beam = row(u"Beam judge 3"_s);
        QVERIFY(beam >= 0);
        QCOMPARE(view->model()->index(beam, 2).data().toString(), u"logged in"_s);
        QVERIFY(view->model()->index(beam, 1).data().toString().endsWith(u"(TCP)"_s));
        QCOMPARE(view->model()->index(row(u"Beam judge 4"_s), 8).data().toString(),
                 u"Empty seat"_s);
        QCOMPARE(view->model()->index(row(u"Scoreboard Board 8"_s), 2).data().toString(),
                 u"logged in"_s);
    }
};

QTEST_MAIN(TestConsoleWindow)
#include "tst_console_window.moc"
