#pragma once

#include "server/scoringserver.h"
#include "server/stationkind.h"

#include <QWidget>

#include <memory>

class ActivityMarks;
class QCheckBox;
class QComboBox;
class AppState;
class GymnastsConsole;
class MeetServer;
class MeetServices;
class OperatorAlerts;
class Prompter;
class QLabel;
class QLCDNumber;
class ScoringServer;
class MeetWebPages;
class NewerPrimaryWatch;
class ReplicaSource;
class SessionsConsole;

// The server window ("frmConnections"): the meet's working window inside the
// main window while a meet file is open. It shows the scoring server's state,
// the connected stations, the current session, the warm-up clock, the tabs for
// sessions, gymnasts, the scoreboard queue and results, the test score and the
// operator alerts. It holds no logic of its own beyond binding to the core.
//
// Its life, as the main window drives it:
//   1. constructed when a meet file has been opened (AppState::meetDb() is open);
//   2. load() once, before it is shown: starts the scoring server and reads the
//      meet. On failure the main window closes the meet again and tells the
//      operator what the result says;
//   3. destroyed when the meet is closed or the program ends, before the meet
//      database is closed, so it may still use the database while it shuts down.
// It never closes by itself: its close button asks for the meet to be closed.
class ServerWindow : public QWidget {
    Q_OBJECT

public:
    ServerWindow(AppState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~ServerWindow() override;

    ScoringServer::StartResult load();

    ScoringServer& server();
    MeetServices& services();
    OperatorAlerts& alerts();

Q_SIGNALS:
    // The operator asked for manual score entry of one gymnast and event.
    void scoreEntryRequested(const QString& num, const QString& event);
    // The operator closed the window: the meet is to be closed ("Close Data File").
    void closeRequested();
    // The standby at `address` took this meet over and serves it now: this
    // window's meet is out of date and is to be closed.
    void newerPrimaryFound(const QString& address);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildSessionAndClock();
    QWidget* buildStationLists();
    QWidget* buildTabs();
    QWidget* buildTestRow();
    QWidget* buildAlerts();
    void startWebPages();
    void holdNewConnections(bool held);
    void showActivityMark(StationKind kind, int row);
    // The manual entry of a gymnast's event; `reason` is the meet referee's
    // when the new score decides an inquiry.
    void openScoreEntry(const QString& num, const QString& event, const QString& reason = {});
    void openHistory(const QString& num, const QString& event);
    void openRehearsal();

    AppState& mState;
    Prompter& mPrompter;
    std::unique_ptr<MeetServer> mMeet;
    std::unique_ptr<MeetWebPages> mWeb;       // pages, browser stations, live results
    std::unique_ptr<ReplicaSource> mReplicas; // a standby following this meet
    std::unique_ptr<NewerPrimaryWatch> mNewerPrimary;
    std::unique_ptr<SessionsConsole> mSessions;
    std::unique_ptr<GymnastsConsole> mGymnasts;
    ActivityMarks* mJudgeMarks = nullptr;
    ActivityMarks* mDisplayMarks = nullptr;
    QLCDNumber* mClock = nullptr;
    class SessionChooser* mChooser = nullptr;
    class WebAddressPanel* mWebAddress = nullptr;
    class WebAddressPanel* mResultsAddress = nullptr;
    class RehearsalWindow* mRehearsal = nullptr; // a child, once opened
    class BoardLinksPanel* mBoardLinks = nullptr;
};
