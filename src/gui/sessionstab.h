#pragma once

#include <QWidget>

class QFrame;
class QLineEdit;
class QListWidget;
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
    QLineEdit* addField(const char* name, const QString& caption, int row);

    SessionsConsole& mSessions;
    QListWidget* mList;
    QFrame* mEditor;
    QLineEdit* mNumber = nullptr;
    QLineEdit* mDescription = nullptr;
    QLineEdit* mDate = nullptr;
    QLineEdit* mOpenWarmup = nullptr;
    QLineEdit* mTimedWarmup = nullptr;
    QLineEdit* mMarchIn = nullptr;
    QLineEdit* mAwards = nullptr;
};
