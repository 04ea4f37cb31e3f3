#pragma once

#include <QWidget>

class DisplayDispatch;
class DisplaySeconds;
class EventDisplayLoop;
class OperatorAlerts;
class Prompter;
class QAction;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QMenu;
class QPushButton;
class QTableView;
class ScoreQueue;

// The "Scoreboard Queue" tab: the waiting scores in queue order, with the
// operator's expedite and remove, the pause / start of each event's display
// loop, how long each score stays on the displays, and which score each
// event's boards show now.
class QueueTab : public QWidget {
    Q_OBJECT

public:
    QueueTab(ScoreQueue& queue, DisplayDispatch& dispatch, DisplaySeconds& displaySeconds,
             Prompter& prompter, OperatorAlerts& alerts, QWidget* parent = nullptr);

    // The grid's context menu ("Move to Top (Expedite)", "Remove score from
    // queue", "Hold", "Release"): it opens only on a row holding a score, and
    // acts on that score.
    QMenu* contextMenu() const { return mMenu; }

Q_SIGNALS:
    // "History" of a score's row: the history of its gymnast and event.
    void historyRequested(const QString& num, const QString& event);

private:
    void setUpGrid(ScoreQueue& queue);
    QHBoxLayout* buildControls(DisplayDispatch& dispatch, DisplaySeconds& displaySeconds);
    QGridLayout* buildOnTheBoards(DisplayDispatch& dispatch);
    void openMenu(const QPoint& at);
    void expediteMenuRow();
    void removeMenuRow();
    void holdMenuRow(bool hold);
    void historyOfRow(int row);
    void showButton(QPushButton* button, const EventDisplayLoop& loop);
    void report(const QString& error);

    ScoreQueue& mQueue;
    Prompter& mPrompter;
    OperatorAlerts& mAlerts;
    QTableView* mGrid;
    QMenu* mMenu;
    QAction* mHold;
    QAction* mRelease;
    qint64 mMenuRowId = 0; // the queue row the menu was opened on
};
