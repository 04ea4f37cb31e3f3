#pragma once

#include "shell/meetinfo.h"

#include <QDialog>
#include <QList>

class AppState;
class Prompter;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLineEdit;

// "Meet Information" ("frmMeetInfo"): the meet header, read-only except for
// the start and end dates and the judges per event, and the meet's maximum
// score.
class MeetInfoDialog : public QDialog {
    Q_OBJECT

public:
    MeetInfoDialog(AppState& state, Prompter& prompter, QWidget* parent = nullptr);

    // Fills the window from the meet row. False when there is nothing to show:
    // no meet open (silently), or no meet row (after telling the operator).
    bool load();

private:
    QGridLayout* buildFields();
    QHBoxLayout* buildButtons();
    // A field that shows one text of the meet header, read-only unless made editable.
    QLineEdit* addField(const QString& name, QString MeetInfo::Header::*shows);
    void save();

    AppState& mState;
    Prompter& mPrompter;
    struct Field {
        QLineEdit* edit;
        QString MeetInfo::Header::*shows;
    };
    QList<Field> mFields;
    QLineEdit* mStartDate = nullptr;
    QLineEdit* mEndDate = nullptr;
    QLineEdit* mMaxScore = nullptr;
    QCheckBox* mAgeDivisions = nullptr;
    QComboBox* mJudges = nullptr;
};
