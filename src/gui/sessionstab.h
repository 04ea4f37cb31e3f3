#pragma once

#include <QList>
#include <QWidget>

class MeetDatabase;
class Prompter;
class QLineEdit;
class QListWidget;
class RecordEditorFrame;
class SessionsConsole;

// The "Sessions" tab: the sessions in number order, the editor of one
// session's description, date and schedule times, and the printing of the
// chosen session's start list and judge sheets.
class SessionsTab : public QWidget {
    Q_OBJECT

public:
    SessionsTab(SessionsConsole& sessions, MeetDatabase& db, Prompter& prompter,
                QWidget* parent = nullptr);

private:
    void refill();
    void select();
    void save();
    void cancel();
    // The number of the session chosen in the list; empty when none is.
    QString chosenSession() const;

    SessionsConsole& mSessions;
    QListWidget* mList;
    RecordEditorFrame* mEditor;
    QList<QLineEdit*> mLines; // the editor's fields, in the order of its table
};
