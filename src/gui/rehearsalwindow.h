#pragma once

#include <QWidget>

class Prompter;
class QLabel;
class QPushButton;
class QTableWidget;
class Rehearsal;

// The dress rehearsal in the server window ("frmRehearsal"): Start asks every
// seat, the list follows the answers as they come, and Save PDF… puts the
// result on paper. The same rehearsal may be started from /health: the window
// shows whichever runs, or the last one.
class RehearsalWindow : public QWidget {
    Q_OBJECT

public:
    RehearsalWindow(Rehearsal& rehearsal, Prompter& prompter, QString meetName,
                    QWidget* parent = nullptr);

private:
    void refresh();
    void start();
    void savePdf();
    void write(const QString& path);

    Rehearsal& mRehearsal;
    Prompter& mPrompter;
    QString mMeetName;
    QLabel* mStatus = nullptr;
    QTableWidget* mTable = nullptr;
    QPushButton* mStart = nullptr;
    QPushButton* mSave = nullptr;
};
