#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class RecordEditorFrame;
class SessionsConsole;

// The "Sessions" tab: the sessions in number order and the editor of one
// session's description, date and schedule times.
class SessionsTab : public QWidget {
    Q_OBJECT

public:
    explicit SessionsTab(SessionsConsole& sessions, QWidget* parent = nullptr);

private:
    void refill();
    void select();
    void save();
    void cancel();

    SessionsConsole& mSessions;
    QListWidget* mList;
    RecordEditorFrame* mEditor;
    QLineEdit* mNumber = nullptr;
    QLineEdit* mDescription = nullptr;
    QLineEdit* mDate = nullptr;
    QLineEdit* mOpenWarmup = nullptr;
    QLineEdit* mTimedWarmup = nullptr;
    QLineEdit* mMarchIn = nullptr;
    QLineEdit* mAwards = nullptr;
};
