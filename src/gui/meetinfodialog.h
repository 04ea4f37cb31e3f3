#pragma once

#include <QDialog>

class AppState;
class Prompter;
class QCheckBox;
class QComboBox;
class QLineEdit;

// "Meet Information" ("frmMeetInfo"): the meet header, read-only except for
// the start and end dates and the judges per event.
class MeetInfoDialog : public QDialog {
    Q_OBJECT

public:
    MeetInfoDialog(AppState& state, Prompter& prompter, QWidget* parent = nullptr);

    // Fills the window from the meet row. False when there is nothing to show:
    // no meet open (silently), or no meet row (after telling the operator).
    bool load();

private:
    QLineEdit* addField(const QString& name, bool editable = false);
    void save();

    AppState& mState;
    Prompter& mPrompter;
    QCheckBox* mAgeDivisions = nullptr;
    QComboBox* mJudges = nullptr;
};
