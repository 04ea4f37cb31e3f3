#pragma once

#include "entry/panelscore.h"
#include "shell/scorerange.h"

#include <QDialog>

#include <array>
#include <functional>

class MeetDatabase;
class Prompter;
class QCheckBox;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// "frmScoreEntry": the operator types a panel's scores for one gymnast and
// one event; the window computes the final and hands the score on as a
// primary judge station's "SENDSCORE" would. A judge's score, start value or
// final outside the meet's range (0 to its maximum score) is refused: the box
// says why and the score cannot be saved.
//
// The opener sets the gymnast number and the event, supplies how a score is
// stored (the server's score processing, as station 0), and opens the window.
// The gymnast is read 300 ms after the window is created, once it is on screen.
class ScoreEntryWindow : public QDialog {
    Q_OBJECT

public:
    using SubmitScore = std::function<void(const SubmittedScore& score, bool noScoreboard)>;

    // `judgesPerEvent`: the open meet's panel size, which sets the boxes shown.
    ScoreEntryWindow(MeetDatabase& db, int judgesPerEvent, Prompter& prompter, SubmitScore submit,
                     QWidget* parent = nullptr);

    void setGymnastNumber(const QString& number);
    void setEventName(const QString& event);

Q_SIGNALS:
    // The gymnast has been read and the entry boxes are shown.
    void loaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* addBox(const QString& name);
    void buildLayout();
    QGroupBox* buildGymnastInfo();
    QFrame* buildEntryGrid();
    QHBoxLayout* buildButtons();
    void loadGymnast();
    void layOut();
    void leaveBox(QLineEdit* box);
    void recompute();
    // Marks each box whose score is outside the meet's range and says why;
    // true when every score is in range.
    bool checkRange();
    void saveScore();
    // The boxes of attempt 0 (every event) or 1 (Vault's second).
    PanelScore::Attempt attempt(int row) const;
    bool isJudgeBox(const QObject* object) const;

    MeetDatabase& mDb;
    Prompter& mPrompter;
    SubmitScore mSubmit;
    int mJudgeCount = 1;
    PanelScore::Result mResult;
    ScoreRange mRange;
    QTimer* mLoadTimer = nullptr;
    QLineEdit* mNumber = nullptr;
    QLabel* mEventName = nullptr;
    QLabel* mGymnastName = nullptr;
    QLabel* mGymName = nullptr;
    QLabel* mLevel = nullptr;
    QLabel* mSquad = nullptr;
    QLabel* mAgeDivision = nullptr;
    QFrame* mEntry = nullptr;
    struct AttemptBoxes {
        QLineEdit* start = nullptr;
        QLineEdit* adjustment = nullptr;
        std::array<QLineEdit*, PanelScore::MaxJudges> judges{};
    };
    std::array<AttemptBoxes, 2> mAttempts;
    std::array<QLabel*, PanelScore::MaxJudges> mJudgeHeaders{};
    QLabel* mAttempt2 = nullptr;
    QLineEdit* mFinal = nullptr;
    QLabel* mRangeProblems = nullptr;
    QCheckBox* mSendToScoreboard = nullptr;
    QPushButton* mSave = nullptr;
};
