#include "queuetab.h"

#include "correctedrowproxy.h"
#include "elidedlabel.h"
#include "readonlygrid.h"
#include "scoreboard/boardtexts.h"
#include "scoreboard/displaydispatch.h"
#include "scoreboard/displayseconds.h"
#include "scoreboard/eventdisplayloop.h"
#include "scoreboard/scorequeue.h"
#include "shell/operatoralerts.h"
#include "shell/prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int TwipsPerPixel = 15;

// A running event's pause button (and Start All) is green, a paused one pink.
const QColor RunningColour(147, 230, 151);
const QColor PausedColour(235, 174, 174);

QString buttonStyle(const QColor& colour) {
    return u"QPushButton { background-color: %1; font-weight: bold; }"_s.arg(colour.name());
}

} // namespace

QueueTab::QueueTab(ScoreQueue& queue, DisplayDispatch& dispatch, DisplaySeconds& displaySeconds,
                   Prompter& prompter, OperatorAlerts& alerts, QWidget* parent)
    : QWidget(parent)
    , mQueue(queue)
    , mPrompter(prompter)
    , mAlerts(alerts)
    , mGrid(new QTableView(this))
    , mMenu(new QMenu(this)) {
    setUpGrid(queue);
    auto* controls = buildControls(dispatch, displaySeconds);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(buildOnTheBoards(dispatch));
    layout->addWidget(mGrid, 1);
}

// The queue's rows with their colours, and the menu of a score's row.
void QueueTab::setUpGrid(ScoreQueue& queue) {
    mGrid->setObjectName(u"grid1"_s);
    auto* proxy = new CorrectedRowProxy(this);
    proxy->setSourceModel(queue.grid());
    mGrid->setModel(proxy);
    setUpReadOnlyGrid(mGrid);
    mGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int column = 0; column < QueueGridModel::ColumnCount; ++column) {
        mGrid->setColumnHidden(column, QueueGridModel::isHiddenColumn(column));
        const int twips = QueueGridModel::columnWidthTwips(column);
        if (twips > 0)
            mGrid->setColumnWidth(column, twips / TwipsPerPixel);
    }
    mGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    QAction* expedite = mMenu->addAction(u"Move to Top (Expedite)"_s);
    expedite->setObjectName(u"mnuExpedite"_s);
    QAction* remove = mMenu->addAction(u"Remove score from queue"_s);
    remove->setObjectName(u"mnuRemoveFromQueue"_s);
    mHold = mMenu->addAction(u"Hold"_s);
    mHold->setObjectName(u"mnuHold"_s);
    mRelease = mMenu->addAction(u"Release"_s);
    mRelease->setObjectName(u"mnuRelease"_s);
    connect(mHold, &QAction::triggered, this, [this] { holdMenuRow(true); });
    connect(mRelease, &QAction::triggered, this, [this] { holdMenuRow(false); });
    QAction* history = mMenu->addAction(u"History"_s);
    history->setObjectName(u"mnuHistory"_s);
    connect(history, &QAction::triggered, this,
            [this] { historyOfRow(mQueue.grid()->rowOf(mMenuRowId)); });
    connect(expedite, &QAction::triggered, this, &QueueTab::expediteMenuRow);
    connect(remove, &QAction::triggered, this, &QueueTab::removeMenuRow);
    connect(mGrid, &QWidget::customContextMenuRequested, this, &QueueTab::openMenu);
}

// The pause button of each event, Pause All, Start All and the display time.
QHBoxLayout* QueueTab::buildControls(DisplayDispatch& dispatch, DisplaySeconds& displaySeconds) {
    auto* controls = new QHBoxLayout;
    const char* const names[] = {"btnPauseVault", "btnPauseBars", "btnPauseBeam", "btnPauseFloor"};
    for (int i = 0; i < 4; ++i) {
        EventDisplayLoop* loop = dispatch.loop(i);
        auto* button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(names[i]));
        button->setFixedWidth(44);
        auto* caption = new QLabel(loop->eventName(), this);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        controls->addWidget(caption);
        controls->addWidget(button);
        showButton(button, *loop);
        connect(button, &QPushButton::clicked, loop, &EventDisplayLoop::togglePause);
        connect(loop, &EventDisplayLoop::runningChanged, button,
                [this, button, loop] { showButton(button, *loop); });
    }
    auto* pauseAll = new QPushButton(u"Pause All"_s, this);
    pauseAll->setObjectName(u"btnPauseAll"_s);
    auto* startAll = new QPushButton(u"Start All"_s, this);
    startAll->setObjectName(u"btnStartAll"_s);
    startAll->setStyleSheet(buttonStyle(RunningColour));
    connect(pauseAll, &QPushButton::clicked, &dispatch, &DisplayDispatch::pauseAll);
    connect(startAll, &QPushButton::clicked, &dispatch, &DisplayDispatch::startAll);
    controls->addSpacing(12);
    controls->addWidget(pauseAll);
    controls->addWidget(startAll);
    controls->addStretch();

    auto* seconds = new QComboBox(this);
    seconds->setObjectName(u"combo_disp_sec"_s);
    seconds->addItems(DisplaySeconds::choices());
    seconds->setCurrentText(displaySeconds.currentText());
    connect(seconds, &QComboBox::currentTextChanged, &displaySeconds,
            &DisplaySeconds::setCurrentText);
    connect(&displaySeconds, &DisplaySeconds::changed, seconds, &QComboBox::setCurrentText);
    auto* history = new QPushButton(u"History"_s, this);
    history->setObjectName(u"cmdQueueHistory"_s);
    connect(history, &QPushButton::clicked, this,
            [this] { historyOfRow(mGrid->currentIndex().row()); });
    controls->addWidget(history);
    controls->addWidget(new QLabel(u"Display seconds"_s, this));
    controls->addWidget(seconds);
    return controls;
}

// A line per event naming the score its boards show now: confirmed scores
// leave the grid at once.
QGridLayout* QueueTab::buildOnTheBoards(DisplayDispatch& dispatch) {
    auto* lines = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        EventDisplayLoop* loop = dispatch.loop(i);
        auto* caption = new QLabel(loop->eventName(), this);
        auto* line = new ElidedLabel(this);
        line->setObjectName(u"lblOnBoards"_s + loop->eventName());
        line->setFullText(BoardTexts::onTheBoards(loop->shown()));
        connect(loop, &EventDisplayLoop::scoreShown, line, [line](const QueueEntry& entry) {
            line->setFullText(BoardTexts::onTheBoards(entry));
        });
        auto* hold = new QCheckBox(u"Hold new scores for review"_s, this);
        hold->setObjectName(u"chkHold"_s + loop->eventName());
        hold->setChecked(mQueue.holdsNewScores(loop->eventName()));
        connect(hold, &QCheckBox::toggled, this,
                [this, event = loop->eventName()](bool on) { mQueue.setHoldNewScores(event, on); });
        lines->addWidget(caption, i / 2, (i % 2) * 3);
        lines->addWidget(line, i / 2, (i % 2) * 3 + 1);
        lines->addWidget(hold, i / 2, (i % 2) * 3 + 2);
    }
    lines->setColumnStretch(1, 1);
    lines->setColumnStretch(4, 1);
    return lines;
}

void QueueTab::showButton(QPushButton* button, const EventDisplayLoop& loop) {
    button->setText(loop.isRunning() ? u"| |"_s : u">"_s);
    button->setStyleSheet(buttonStyle(loop.isRunning() ? RunningColour : PausedColour));
}

// The menu belongs to the score under the pointer: none on the empty grid's
// blank row or below the last score.
void QueueTab::openMenu(const QPoint& at) {
    const QModelIndex index = mGrid->indexAt(at);
    const QueueEntry* entry = index.isValid() ? mQueue.grid()->entryAt(index.row()) : nullptr;
    if (!entry)
        return;
    mGrid->setCurrentIndex(index);
    mMenuRowId = entry->rowId;
    mHold->setVisible(!entry->held && !entry->isTestScore());
    mRelease->setVisible(entry->held);
    mMenu->popup(mGrid->viewport()->mapToGlobal(at));
}

// The queue may have moved since the menu opened: the score it was opened on
// is found again, wherever it is by then.
void QueueTab::expediteMenuRow() {
    const int row = mQueue.grid()->rowOf(mMenuRowId);
    if (row < 0)
        return;
    QString error;
    if (!mQueue.expediteQueueRow(row, &error))
        report(error);
}

void QueueTab::removeMenuRow() {
    const int row = mQueue.grid()->rowOf(mMenuRowId);
    const QString question = mQueue.removeQuestion(row);
    if (question.isEmpty())
        return;
    // The answer, too, acts on the score that was asked about.
    const qint64 rowId = mMenuRowId;
    QPointer<QueueTab> self(this);
    mPrompter.askYesNo(question, [self, rowId](bool yes) {
        if (!self || !yes)
            return;
        const int now = self->mQueue.grid()->rowOf(rowId);
        QString error;
        if (now >= 0 && !self->mQueue.removeQueueRow(now, &error))
            self->report(error);
    });
}

void QueueTab::holdMenuRow(bool hold) {
    const int row = mQueue.grid()->rowOf(mMenuRowId);
    if (row < 0)
        return;
    QString error;
    if (!(hold ? mQueue.holdQueueRow(row, &error) : mQueue.releaseQueueRow(row, &error)))
        report(error);
}

void QueueTab::historyOfRow(int row) {
    if (const QueueEntry* entry = mQueue.grid()->entryAt(row))
        Q_EMIT historyRequested(entry->num, entry->event);
}

void QueueTab::report(const QString& error) {
    mAlerts.raise(error);
}
