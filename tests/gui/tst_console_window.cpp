#include "childnamed.h"
#include "db/meetdatabase.h"
#include "firstrow.h"
#include "judging/meetservices.h"
#include "operatordesk.h"
#include "resultstab.h"
#include "server/scoringserver.h"
#include "serverwindow.h"
#include "shell/operatoralerts.h"
#include "teststation.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// The server window on the sample meet, its server listening on a free port.
class TestConsoleWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<OperatorDesk> mDesk;
    std::unique_ptr<ServerWindow> mWindow;

    template <typename T>
    T* child(const char* name) {
        return childNamed<T>(mWindow.get(), name);
    }
    void click(const char* button) {
        QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton);
    }
    void clickItem(QListWidget* list, int row) {
        list->setCurrentRow(row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    void choose(const char* combo, const QString& text) {
        auto* box = child<QComboBox>(combo);
        box->setCurrentIndex(box->findText(text));
        Q_EMIT box->activated(box->currentIndex());
    }
    quint16 port() { return quint16(mWindow->server().port()); }
    QStringList texts(QListWidget* list) {
        QStringList all;
        for (int i = 0; i < list->count(); ++i)
            all.append(list->item(i)->text());
        return all;
    }
    int queueRows() {
        const DbRows rows =
            mDesk->state.meetDb().select(u"SELECT count(*) AS n FROM ScoreBoardQueue"_s);
        return rows.value(0, u"n"_s).toInt();
    }

private Q_SLOTS:
    void init() {
        mDesk = std::make_unique<OperatorDesk>();
        const QString meet = mDesk->temp.createSampleMeet();
        mDesk->loadSettings(OperatorDesk::Port::AnyFree);
        QString error;
        QVERIFY2(mDesk->state.openMeetFile(meet, &error), qPrintable(error));
        mWindow = std::make_unique<ServerWindow>(mDesk->state, mDesk->prompter);
        const ScoringServer::StartResult started = mWindow->load();
        QVERIFY2(started.ok(), qPrintable(started.message));
        mWindow->resize(1300, 800);
        mWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(mWindow.get()));
    }
    void cleanup() {
        mWindow.reset();
        mDesk->state.closeMeetFile();
        mDesk.reset();
    }

    void setAnnouncesTheSessionToEveryLoggedInStation() {
        TestStation judge(port());
        TestStation display(port());
        TestStation stranger(port());
        QVERIFY(judge.waitConnected() && display.waitConnected() && stranger.waitConnected());
        QVERIFY(judge.loginJudge(u"Vault"_s, u"Judge A"_s, mDesk->state.pin())
                    .startsWith(u"AUTHRESP|0"_s));
        QVERIFY(display.loginDisplay(u"Board 1"_s, mDesk->state.pin()).startsWith(u"AUTHRESP|0"_s));

        choose("combo_sessions", u"Saturday PM"_s);
        click("cmSetSession");
        QCOMPARE(child<QLabel>("lblSession")->text(), u"Saturday PM"_s);
        QCOMPARE(texts(child<QListWidget>("lstGymnasts")), QStringList{u"201 - Park, Lena"_s});
        for (TestStation* station : {&judge, &display}) {
            QCOMPARE(station->next(), u"SETSESSION|2|Saturday PM"_s);
            // Replies come in order: nothing else came before this answer.
            station->send(u"CLIENTBEAT"_s);
            QCOMPARE(station->next(), u"BEATRESPONSE"_s);
        }
        // A connection that never logged in hears nothing.
        stranger.send(u"GETSESSION"_s);
        QCOMPARE(stranger.next(300), QString());
        const DbRows stored =
            mDesk->state.meetDb().select(u"SELECT sessionid FROM current_settings"_s);
        QCOMPARE(stored.text(0, u"sessionid"_s), u"2"_s);

        // Stations that cannot be looked up: the session is set, the operator told.
        MeetDatabase& db = mDesk->state.meetDb();
        QVERIFY(db.execute(u"ALTER TABLE Connections RENAME TO Unreadable"_s));
        choose("combo_sessions", u"Saturday AM"_s);
        click("cmSetSession");
        QCOMPARE(child<QLabel>("lblSession")->text(), u"Saturday AM"_s);
        QVERIFY(mDesk->prompter.lastMessage().contains(u"the stations could not be told"_s));
        QVERIFY(db.execute(u"ALTER TABLE Unreadable RENAME TO Connections"_s));
    }

    void setOnTheCurrentSessionRereadsItsGymnasts() {
        QVERIFY(mDesk->state.meetDb().execute(
            u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Session) "
            "VALUES(1, '104', 'Di', 'Eng', '1')"_s));
        QCOMPARE(child<QComboBox>("combo_sessions")->currentText(), u"Saturday AM"_s);
        click("cmSetSession");
        QVERIFY(texts(child<QListWidget>("lstGymnasts")).contains(u"104 - Eng, Di"_s));
    }

    void sessionEditorRefusesABadDateAndKeepsTheTyping() {
        auto* list = child<QListWidget>("lstSessions");
        QCOMPARE(texts(list), QStringList({u"1 - Saturday AM"_s, u"2 - Saturday PM"_s}));
        clickItem(list, 0);
        QVERIFY(child<QFrame>("frame_session")->isVisible());
        child<QLineEdit>("txtSessionDesc")->setText(u"Saturday - Morning"_s);
        child<QLineEdit>("sDate")->setText(u"someday"_s);
        click("cmdSessionSave");
        QCOMPARE(mDesk->prompter.lastMessage(),
                 u"Invalid Session date.  Enter a valid Session date and try again."_s);
        QVERIFY(child<QFrame>("frame_session")->isVisible());
        QCOMPARE(child<QLineEdit>("sDate")->text(), u"someday"_s);

        child<QLineEdit>("sDate")->setText(u"2026-03-14"_s);
        click("cmdSessionSave");
        QVERIFY(!child<QFrame>("frame_session")->isVisible());
        QCOMPARE(list->item(0)->text(), u"1 - Saturday - Morning"_s);
        // The renamed current session stays current in the label.
        QCOMPARE(child<QLabel>("lblSession")->text(), u"Saturday - Morning"_s);
    }

    void gymnastEditorShowsAndSaves() {
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        auto* list = child<QListWidget>("lstGymnasts");
        QCOMPARE(list->item(0)->text(), u"101 - Brooks, Ava"_s);
        choose("Combo_gymnast_sort", u"Name"_s);
        QCOMPARE(list->item(0)->text(), u"Brooks, Ava - 101"_s);
        QVERIFY(!child<QPushButton>("scoreVault")->isVisible());

        clickItem(list, 2); // O'Neil, Maya - 102
        QVERIFY(child<QFrame>("frame_gymnast")->isVisible());
        QVERIFY(child<QPushButton>("scoreVault")->isVisible());
        QCOMPARE(child<QComboBox>("combo_gym")->currentText(), u"O'Malley Tumbling"_s);
        QSignalSpy entry(mWindow.get(), &ServerWindow::scoreEntryRequested);
        click("scoreBeam");
        QCOMPARE(entry.value(0), QVariantList({u"102"_s, u"Beam"_s}));
        auto* entryWindow = mWindow->findChild<QDialog*>(u"frmScoreEntry"_s);
        QVERIFY(entryWindow && entryWindow->isVisible());
        QCOMPARE(entryWindow->findChild<QLineEdit*>(u"txtGymnastNumber"_s)->text(), u"102"_s);
        entryWindow->close();

        child<QLineEdit>("last_name")->setText(u"O'Neil-D'Arcy"_s);
        click("Command3");
        QVERIFY(!child<QFrame>("frame_gymnast")->isVisible());
        QCOMPARE(
            firstRow(mDesk->state.meetDb(), u"SELECT Last_Name FROM Gymnasts WHERE Num = '102'"_s),
            QStringList{u"O'Neil-D'Arcy"_s});
    }

    void resultsFollowTheChooserAndTheLevel() {
        auto* grid = child<QTableView>("grid2");
        choose("combo_sessions", u"Saturday PM"_s); // not "Set"
        click("cmdShowResults");
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(grid->model()->index(0, 1).data().toString(), u"201"_s);

        auto* divisions = child<QComboBox>("Combo_Div");
        QCOMPARE(divisions->count(), 3); // All, Junior, Senior
        divisions->setCurrentIndex(2);
        choose("combo_level2", u"5"_s);
        QCOMPARE(divisions->count(), 1);
        QCOMPARE(divisions->currentText(), u"All"_s);
        choose("combo_level2", u"4"_s);
        QCOMPARE(divisions->count(), 3);

        // Auto refresh picks up a new gymnast without "Show".
        choose("combo_sessions", u"Saturday AM"_s);
        choose("combo_level2", u"All"_s);
        mWindow->findChild<ResultsTab*>()->setRefreshInterval(20);
        child<QCheckBox>("chkAutoReloadResults")->setChecked(true);
        QCOMPARE(grid->model()->rowCount(), 3);
        QVERIFY(mDesk->state.meetDb().execute(
            u"INSERT INTO Gymnasts(MeetID, Num, First_Name, "
            "Last_Name, Session) VALUES(1, '104', 'Di', 'Eng', '1')"_s));
        QTRY_COMPARE(grid->model()->rowCount(), 4);
        child<QCheckBox>("chkAutoReloadResults")->setChecked(false);
        QVERIFY(!child<QTimer>("timerAutoReloadResults")->isActive());
    }

    // "Save CSV…" writes the chosen session and level where the operator says.
    void resultsSaveTheChosenSessionAndLevel() {
        choose("combo_sessions", u"Saturday AM"_s);
        choose("combo_level2", u"5"_s);
        const QString csv = mDesk->temp.path(u"level5.csv"_s);
        mDesk->prompter.chooseFile(csv);
        click("cmdSaveResultsCsv");
        QVERIFY2(mDesk->prompter.lastMessage().contains(u"saved"_s),
                 qPrintable(mDesk->prompter.lastMessage()));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 1 + 1 + 1 + 1); // header, 103, Riverside's team, end of line
        QVERIFY(lines[1].startsWith("1,5,,Gymnast,103,"));
    }

    void testScoreRowQueuesOrRefuses() {
        auto* grid = child<QTableView>("grid1");
        child<QLineEdit>("txtTestScore")->clear();
        click("Command1");
        QCOMPARE(mDesk->prompter.lastMessage(),
                 u"Fill in all test fields before sending a test score."_s);
        QCOMPARE(queueRows(), 0);

        child<QLineEdit>("txtTestScore")->setText(u"9.1"_s);
        child<QCheckBox>("chkCorrection")->setChecked(true);
        choose("combo_test_events", u"Beam"_s);
        click("Command1");
        QCOMPARE(queueRows(), 1);
        const QModelIndex first = grid->model()->index(0, 1);
        QCOMPARE(first.data().toString(), u"999"_s);
        QCOMPARE(grid->model()->index(0, 3).data().toString(), u"Beam"_s);
        QCOMPARE(first.data(Qt::BackgroundRole).value<QColor>(), QColor(235, 174, 174));
    }

    // The menu opens only on a score's row, and acts on that score.
    void queueMenuExpeditesAndRemovesThePointedRow() {
        auto* grid = child<QTableView>("grid1");
        grid->setCurrentIndex(grid->model()->index(0, 1));
        auto* menu = mWindow->findChild<QMenu*>();
        auto openMenuAt = [grid, menu](QPoint at) {
            menu->hide();
            Q_EMIT grid->customContextMenuRequested(at);
            return menu->isVisible();
        };
        auto rowCentre = [grid](int row) {
            return grid->visualRect(grid->model()->index(row, 1)).center();
        };
        QVERIFY(!openMenuAt(rowCentre(0))); // the empty grid's blank row

        ScoreQueue& queue = mWindow->services().queue();
        QVERIFY(queue.queueScore(u"101"_s, u"Ava Brooks"_s, u"Vault"_s, u"9.100"_s, false));
        QVERIFY(queue.queueScore(u"102"_s, u"Maya O'Neil"_s, u"Beam"_s, u"9.200"_s, false));
        QCOMPARE(grid->model()->index(1, 1).data().toString(), u"102"_s);
        QVERIFY(!openMenuAt(rowCentre(1) + QPoint(0, grid->rowHeight(1) * 2)));

        QAction* expedite = menu->findChild<QAction*>(u"mnuExpedite"_s);
        QAction* remove = menu->findChild<QAction*>(u"mnuRemoveFromQueue"_s);
        QCOMPARE(expedite->text(), u"Move to Top (Expedite)"_s);
        QVERIFY(openMenuAt(rowCentre(1)));
        expedite->trigger();
        QCOMPARE(grid->model()->index(0, 1).data().toString(), u"102"_s);

        QVERIFY(openMenuAt(rowCentre(0)));
        menu->hide();
        mDesk->prompter.answerNo();
        remove->trigger();
        QCOMPARE(mDesk->prompter.questions().last(),
                 u"Remove score for gymnast 102 from scoreboard queue?"_s);
        QCOMPARE(queueRows(), 2);
        mDesk->prompter.answerYes();
        remove->trigger();
        QCOMPARE(queueRows(), 1);
        QCOMPARE(grid->model()->index(0, 1).data().toString(), u"101"_s);
    }

    void heartbeatAnswersBlinkTheStationsMark() {
        mWindow->server().heartbeats().stop();
        mWindow->server().heartbeats().setIntervals(50, 2000);
        mWindow->server().heartbeats().start();
        TestStation judge(port());
        QVERIFY(judge.waitConnected());
        judge.setAnswerHeartbeats(true);
        QVERIFY(judge.loginJudge(u"Bars"_s, u"Judge B"_s, mDesk->state.pin())
                    .startsWith(u"AUTHRESP|0"_s));
        QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>("hb_event_00")->isVisible(), 5000);
        QVERIFY(!child<QLabel>("hb_event_01")->isVisible());
        mWindow->server().heartbeats().stop();
        QTRY_VERIFY_WITH_TIMEOUT(!child<QLabel>("hb_event_00")->isVisible(), 5000);
    }
};

QTEST_MAIN(TestConsoleWindow)
#include "tst_console_window.moc"
