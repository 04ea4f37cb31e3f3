#pragma once

#include <QWidget>

class ElidedLabel;
class QComboBox;
class QPushButton;
class SessionsConsole;
class CurrentSession;
class Prompter;

// "Current Session:" with the current session's description, the chooser of
// every session and its "Set" button. The chosen entry carries its session
// number; the results read it whether or not "Set" was pressed.
class SessionChooser : public QWidget {
    Q_OBJECT

public:
    SessionChooser(SessionsConsole& sessions, CurrentSession& current, Prompter& prompter,
                   QWidget* parent = nullptr);

    // The session number of the chosen entry ("" when there is none).
    QString chosenSession() const;

Q_SIGNALS:
    void chosenSessionChanged();

private:
    void refill();
    void setCurrent();

    SessionsConsole& mSessions;
    CurrentSession& mCurrent;
    Prompter& mPrompter;
    QComboBox* mChooser;
    QPushButton* mSet;
    ElidedLabel* mCurrentLabel;
};
