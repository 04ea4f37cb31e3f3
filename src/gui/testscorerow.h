#pragma once

#include <QWidget>

class OperatorAlerts;
class Prompter;
class QCheckBox;
class QComboBox;
class QLineEdit;
class ScoreQueue;

// The server window's row that sends a test score to the boards of an event:
// the event, the test gymnast, the score, "Send As correction" and "Send
// Test". A score the queue cannot take is an operator alert.
class TestScoreRow : public QWidget {
public:
    TestScoreRow(ScoreQueue& queue, OperatorAlerts& alerts, Prompter& prompter,
                 QWidget* parent = nullptr);

private:
    void send();

    ScoreQueue& mQueue;
    OperatorAlerts& mAlerts;
    Prompter& mPrompter;
    QComboBox* mEvent = nullptr;
    QLineEdit* mNumber = nullptr;
    QLineEdit* mName = nullptr;
    QLineEdit* mScore = nullptr;
    QCheckBox* mCorrection = nullptr;
};
