#pragma once

#include <QWidget>

class AppState;
class Prompter;
class QLabel;

// The server window ("frmConnections"): the meet's working window inside the
// main window while a meet file is open.
//
// Its life, as the main window drives it:
//   1. constructed when a meet file has been opened (AppState::meetDb() is open);
//   2. load() once, before it is shown: reads the meet header and sets
//      AppState::numJudges(). On false the main window closes the meet again;
//      it shows `error` when that is not empty (an empty error means the
//      window has already told the operator);
//   3. destroyed when the meet is closed or the program ends, before the meet
//      database is closed, so it may still use the database while it shuts down.
class ServerWindow : public QWidget {
    Q_OBJECT

public:
    ServerWindow(AppState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~ServerWindow() override;

    bool load(QString* error);

private:
    AppState& mState;
    Prompter& mPrompter;
    QLabel* mMeetName = nullptr;
};
