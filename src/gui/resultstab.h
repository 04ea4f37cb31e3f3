#pragma once

#include <QWidget>

#include <functional>

class MeetDatabase;
class Prompter;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QPushButton;
class QTableView;
class QTimer;
class ResultsTableModel;

// The "Results" tab: the results of the session chosen above the tabs, narrowed
// by gym, level, squad and age division, refreshed on "Show" or every five
// seconds while "Auto refresh" is ticked.
class ResultsTab : public QWidget {
    Q_OBJECT

public:
    // `chosenSession` gives the session number the results are for.
    ResultsTab(MeetDatabase& db, Prompter& prompter, std::function<QString()> chosenSession,
               QWidget* parent = nullptr);

    // Shortens the auto-refresh period (tests only).
    void setRefreshInterval(int milliseconds);

    void showResults();

Q_SIGNALS:
    // "History" of a gymnast's row: of the event whose score was chosen, or
    // ("") of every event.
    void historyRequested(const QString& num, const QString& event);

private:
    void fillChoices(MeetDatabase& db);
    QGridLayout* buildFilters(MeetDatabase& db, QPushButton* show);
    void levelChosen();
    void fillAgeDivisions();
    void autoRefreshToggled(bool on);
    void historyOf(const QModelIndex& index);

    MeetDatabase& mDb;
    Prompter& mPrompter;
    std::function<QString()> mChosenSession;
    ResultsTableModel* mModel;
    QComboBox* mGym;
    QComboBox* mLevel;
    QComboBox* mSquad;
    QComboBox* mDivision;
    QComboBox* mSort;
    QCheckBox* mAutoRefresh;
    QTableView* mGrid;
    QTimer* mTimer;
    QString mResultsLevel;
};
