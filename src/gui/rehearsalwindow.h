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
    // `folder`: where Save PDF… proposes the file (the meet file's).
    RehearsalWindow(Rehearsal& rehearsal, Prompter& prompter, QString meetName, QString folder,
                    QWidget* parent = nullptr);

private:
    void refresh();
    void start();
    void savePdf();
    void write(const QString& path);

    Rehearsal& mRehearsal;
    Prompter& mPrompter;
    QString mMeetName;
    QString mFolder;
    QLabel* mStatus = nullptr;
    QTableWidget* mTable = nullptr;
    QPushButton* mStart = nullptr;
    QPushButton* mSave = nullptr;
};
