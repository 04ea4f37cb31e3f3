#pragma once

#include "server/scoringserver.h"

#include <QMainWindow>
#include <QPointer>

class AppState;
class Prompter;
class ExportWindow;
class ImportWindow;
class MeetInfoDialog;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class ServerWindow;
class StandbyCommands;
class StandbyWindow;

// The application's frame ("frmMain"): the menus and toolbar, the meet file
// commands, and the area in which the server window and its children open.
// No meet open: Open, Import and Settings are offered. A meet open: Close and
// Export are offered, and the server window is loaded.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr auto Title = "Tallvane";
    static constexpr auto CloseQuestion =
        "Are you sure you wish to close the current Tallvane file?";
    static constexpr auto ExitQuestion = "Are you sure you wish to exit Tallvane?";
    // The client area the window opens with when it has no size of its own
    // saved: every control of the server window shows, and the window fits a
    // 1366×768 screen.
    static constexpr QSize DefaultClientSize{1320, 660};
    static inline const QString GeometryKey = QStringLiteral("MainWindow/geometry");

    MainWindow(AppState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens the meet file at `path` as "Open" does after its file dialog: on
    // failure the operator is told and no meet is left open.
    // After a take-over (`takingOverFrom`: the old primary's address) the
    // meet's epoch is raised before it is served.
    bool openMeetFile(const QString& path, const QString& takingOverFrom = {});
    // Opens a file handed over by the file manager or the command line: a
    // transfer file (.rxt) starts its import, any other file opens as a meet.
    void openFile(const QString& path);

    ServerWindow* serverWindow() const;
    // The standby's window while this program follows another Tallvane.
    StandbyWindow* standbyWindow() const;

public Q_SLOTS:
    void chooseMeetFile();   // "Open": the file dialog, then openMeetFile()
    void askCloseMeetFile(); // "Close Data File", after the operator confirms
    void showMeetInfo();
    void showImport();
    void showExport();
    void showSettings();
    void showAbout();
    void openHelp();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    QAction* addAction(QWidget* to, const QString& name, const QString& caption);
    void updateCommands();
    void closeMeet();
    QString connectedStationsText();
    void startImport(const QString& transferFile);
    void showStartFailure(const ScoringServer::StartResult& failure);
    void followingChanged(const QString& primary);
    void giveWayTo(const QString& address);

    AppState& mState;
    Prompter& mPrompter;
    QMdiArea* mMdiArea = nullptr;
    QPointer<ServerWindow> mServerWindow;
    QPointer<QMdiSubWindow> mServerSubWindow;
    StandbyCommands* mStandby = nullptr;
    QPointer<MeetInfoDialog> mMeetInfo;
    QPointer<ImportWindow> mImport;
    QPointer<ExportWindow> mExport;
    // Offered only without a meet open, or only with one; the toolbar's
    // buttons only while the open meet has judges, or only without one.
    QList<QAction*> mWithoutMeet;
    QList<QAction*> mWithMeet;
    QList<QAction*> mWhileJudging;
    QList<QAction*> mWithoutJudging;
    bool mExitConfirmed = false;
    bool mExitQuestionOpen = false;
};
