#include "serverwindow.h"

#include "activitymarks.h"
#include "boardlinkspanel.h"
#include "boardstab.h"
#include "console/gymnastsconsole.h"
#include "console/sessionsconsole.h"
#include "db/meetdatabase.h"
#include "db/meetevents.h"
#include "elidedlabel.h"
#include "gymnaststab.h"
#include "historyview.h"
#include "judging/meetserver.h"
#include "queuetab.h"
#include "rehearsalwindow.h"
#include "resultstab.h"
#include "scoreboard/boardtexts.h"
#include "scoreboard/queueentry.h"
#include "scoreentrywindow.h"
#include "server/scoringserver.h"
#include "serverstatuspanel.h"
#include "sessionchooser.h"
#include "sessionstab.h"
#include "shell/appstate.h"
#include "shell/operatoralerts.h"
#include "shell/prompter.h"
#include "standbypanel.h"
#include "stationstab.h"
#include "testscorerow.h"
#include "web/meetwebpages.h"
#include "web/newerprimarywatch.h"
#include "web/replicasource.h"
#include "webaddresspanel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLCDNumber>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

ServerWindow::ServerWindow(AppState& state, Prompter& prompter, QWidget* parent)
    : QWidget(parent)
    , mState(state)
    , mPrompter(prompter)
    , mMeet(std::make_unique<MeetServer>(state)) {
    // No title of its own: filling the main window, it would join the main
    // window's caption ("Tallvane - " and the meet file) as " - [title]".
    setObjectName(u"frmConnections"_s);
    mSessions =
        std::make_unique<SessionsConsole>(state.meetDb(), server().currentSession(), prompter);
    mSessions->setStationLink(&mMeet->stations());
    mGymnasts =
        std::make_unique<GymnastsConsole>(state.meetDb(), server().currentSession(), prompter);
    mWeb = std::make_unique<MeetWebPages>(state, *mMeet);
    mReplicas = std::make_unique<ReplicaSource>(state, *mMeet, mWeb->web());
    // A standby that went on alone while this laptop was out of its sight
    // serves the meet now.
    mNewerPrimary = std::make_unique<NewerPrimaryWatch>(state.meetDb(), *mReplicas);
    connect(mNewerPrimary.get(), &NewerPrimaryWatch::newerPrimaryFound, this,
            &ServerWindow::newerPrimaryFound);
}

ServerWindow::~ServerWindow() = default;

ScoringServer& ServerWindow::server() {
    return mMeet->server();
}

MeetServices& ServerWindow::services() {
    return mMeet->services();
}

OperatorAlerts& ServerWindow::alerts() {
    return mMeet->alerts();
}

ScoringServer::StartResult ServerWindow::load() {
    ScoringServer::StartResult started = server().start();
    if (!started.ok())
        return started;
    QString problem;
    if (!mSessions->refresh(&problem) || !mGymnasts->refresh(&problem)) {
        mMeet->shutdown();
        started.outcome = ScoringServer::StartResult::Outcome::DatabaseError;
        started.message = u"The meet file could not be read: "_s + problem;
        return started;
    }
    buildWindow();
    startWebPages();
    // A standby of this meet may have taken over while this laptop was away:
    // stations and pages wait until it has answered (IntervalMs at most), so
    // that no one logs in to a meet another server serves now.
    if (mNewerPrimary->start()) {
        holdNewConnections(true);
        connect(
            mNewerPrimary.get(), &NewerPrimaryWatch::firstAnswer, this,
            [this] { holdNewConnections(false); }, Qt::SingleShotConnection);
    }
    return started;
}

void ServerWindow::holdNewConnections(bool held) {
    mMeet->stations().holdNewConnections(held);
    mWeb->web().holdNewConnections(held);
}

// The server runs as long as the meet is open: closing the window is a request
// to close the meet, which the main window confirms and carries out.
void ServerWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    Q_EMIT closeRequested();
}

// Without its web pages the meet still runs with its TCP stations.
void ServerWindow::startWebPages() {
    mWeb->start();
    mWebAddress->setAddress(mWeb->address());
    mResultsAddress->setAddress(mWeb->resultsAddress());
    mBoardLinks->setAddress(mWeb->address());
}

void ServerWindow::buildWindow() {
    auto* top = new QHBoxLayout;
    top->addWidget(new ServerStatusPanel(server(), mState, mPrompter, this));
    auto* meet = new QHBoxLayout;
    meet->addStretch();
    meet->addWidget(new QLabel(u"Meet:"_s, this));
    auto* meetName = new ElidedLabel(this);
    meetName->setObjectName(u"lblMeetName"_s);
    meetName->setFullText(server().meetName());
    QFont large = meetName->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.3);
    meetName->setFont(large);
    meet->addWidget(meetName);
    meet->addStretch();
    top->addLayout(meet, 1);
    top->addWidget(buildSessionAndClock());

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildStationLists(), 1);
    auto* addresses = new QHBoxLayout;
    mWebAddress =
        new WebAddressPanel(u"Web pages (judge pads, scoreboards):"_s, u"WebAddress"_s, this);
    addresses->addWidget(mWebAddress);
    mResultsAddress =
        new WebAddressPanel(u"Live results (for the stands):"_s, u"ResultsAddress"_s, this);
    addresses->addWidget(mResultsAddress);
    left->addLayout(addresses);
    body->addLayout(left);
    body->addWidget(buildTabs(), 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);
    layout->addWidget(buildTestRow());
    layout->addWidget(boldLabel(u"Operator Alerts"_s, this));
    layout->addWidget(buildAlerts());
}

QWidget* ServerWindow::buildSessionAndClock() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    mChooser = new SessionChooser(*mSessions, server().currentSession(), mPrompter, box);
    grid->addWidget(mChooser, 0, 0, 1, 3);

    WarmupClock& warmup = services().warmupClock();
    auto* start = new QPushButton(u"Start Timer"_s, box);
    start->setObjectName(u"Command5"_s);
    auto* duration = new QComboBox(box);
    duration->setObjectName(u"combo_timed_warmup"_s);
    duration->addItems(WarmupClock::durations());
    duration->setCurrentText(warmup.duration());
    auto* stop = new QPushButton(u"Stop"_s, box);
    stop->setObjectName(u"Command6"_s);
    connect(duration, &QComboBox::currentTextChanged, &warmup, &WarmupClock::setDuration);
    const auto tell = [this](const QString& refusal) {
        if (!refusal.isEmpty())
            mPrompter.showMessage(refusal, Prompter::Icon::Critical);
    };
    connect(start, &QPushButton::clicked, this, [this, tell] {
        const QString refusal = services().warmupClock().sendWarmupTime();
        if (refusal != WarmupClock::QueueNotEmpty)
            return tell(refusal);
        // The fixed text, then which scores hold the clock back.
        mPrompter.showDetailedMessage(
            refusal, BoardTexts::blockingScores(*services().queue().grid(), services().dispatch()),
            Prompter::Icon::Critical);
    });
    connect(stop, &QPushButton::clicked, this,
            [this, tell] { tell(services().warmupClock().sendWarmupStop()); });
    grid->addWidget(start, 1, 0);
    grid->addWidget(duration, 1, 1);
    grid->addWidget(stop, 1, 2);

    mClock = new QLCDNumber(8, box);
    mClock->setObjectName(u"Picture1"_s);
    mClock->setSegmentStyle(QLCDNumber::Flat);
    mClock->setMinimumSize(180, 44);
    auto* tick = new QTimer(this);
    tick->setObjectName(u"tmrUpdate"_s);
    tick->setInterval(100);
    auto showTime = [this] {
        const QString digits = WarmupClock::timeOfDayDigits(QTime::currentTime());
        mClock->display(digits.mid(0, 2) + u':' + digits.mid(2, 2) + u':' + digits.mid(4, 2));
    };
    connect(tick, &QTimer::timeout, this, showTime);
    showTime();
    tick->start();
    grid->addWidget(mClock, 0, 3, 2, 1);
    return box;
}

QWidget* ServerWindow::buildStationLists() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    // Room on the left for the activity marks.
    column->setContentsMargins(16, 0, 0, 0);
    auto addList = [box, column](const char* name, const QString& title,
                                 QAbstractItemModel* model) {
        column->addWidget(boldLabel(title, box));
        auto* list = new QListView(box);
        list->setObjectName(QString::fromLatin1(name));
        list->setModel(model);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setMinimumWidth(260);
        column->addWidget(list, 1);
        return list;
    };
    QListView* judges =
        addList("lstJudgeStations", u"Judging Station Connections"_s, server().judgeStations());
    QListView* displays =
        addList("lstScoreboards", u"Scoreboard Connections"_s, server().scoreboards());
    connect(judges, &QListView::clicked, this, [this](const QModelIndex& index) {
        mPrompter.showMessage(index.data().toString(), Prompter::Icon::None);
    });
    mJudgeMarks = new ActivityMarks(judges, 8, u"hb_event_"_s, u"timer_event"_s, this);
    mDisplayMarks = new ActivityMarks(displays, 4, u"hb_disp_"_s, u"timer_disp"_s, this);
    connect(&server(), &ScoringServer::activityMark, this, &ServerWindow::showActivityMark);
    return box;
}

QWidget* ServerWindow::buildTabs() {
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(u"SSTab1"_s);
    tabs->addTab(new SessionsTab(*mSessions, mState.meetDb(), mPrompter, tabs), u"Sessions"_s);
    auto* gymnasts = new GymnastsTab(*mGymnasts, mState.meetDb(), tabs);
    connect(gymnasts, &GymnastsTab::scoreEntryRequested, this, &ServerWindow::scoreEntryRequested);
    connect(gymnasts, &GymnastsTab::scoreEntryRequested, this,
            [this](const QString& num, const QString& event) { openScoreEntry(num, event); });
    connect(gymnasts, &GymnastsTab::historyRequested, this, &ServerWindow::openHistory);
    tabs->addTab(gymnasts, u"Gymnasts"_s);
    auto* queue = new QueueTab(services().queue(), services().dispatch(),
                               services().displaySeconds(), mPrompter, alerts(), tabs);
    connect(queue, &QueueTab::historyRequested, this, &ServerWindow::openHistory);
    tabs->addTab(queue, u"Scoreboard Queue"_s);
    auto* results = new ResultsTab(
        mState.meetDb(), mPrompter, [this] { return mChooser->chosenSession(); }, tabs);
    connect(results, &ResultsTab::historyRequested, this, &ServerWindow::openHistory);
    tabs->addTab(results, u"Results"_s);
    auto* history = new HistoryView(
        mState.meetDb(), mPrompter, [this] { return mChooser->chosenSession(); }, tabs);
    history->setObjectName(u"historyTab"_s);
    connect(history, &HistoryView::newScoreRequested, this, &ServerWindow::openScoreEntry);
    tabs->addTab(history, u"History"_s);
    // The session's history is read when the tab is looked at, then follows the meet.
    connect(tabs, &QTabWidget::currentChanged, history, [tabs, history] {
        if (tabs->currentWidget() == history)
            history->refresh();
    });
    auto* ads = new QLabel(u"This feature is coming very soon!"_s, tabs);
    ads->setAlignment(Qt::AlignCenter);
    tabs->addTab(ads, u"  Ads"_s);
    auto* stations = new StationsTab(mWeb->seats(), tabs);
    connect(stations, &StationsTab::rehearsalRequested, this, &ServerWindow::openRehearsal);
    tabs->addTab(stations, u"Stations"_s);
    auto* boards = new BoardsTab(mWeb->boards(), mState.meetDb(), tabs);
    boards->setObjectName(u"boardsTab"_s);
    mBoardLinks = boards->links();
    mBoardLinks->setPin(mState.pin());
    connect(&mState, &AppState::pinChanged, mBoardLinks, &BoardLinksPanel::setPin);
    tabs->addTab(boards, u"Boards"_s);
    return tabs;
}

QWidget* ServerWindow::buildTestRow() {
    auto* row = new TestScoreRow(services().queue(), alerts(), mPrompter, this);
    // The standby that follows this meet, on a line that has room for it.
    row->layout()->addWidget(new StandbyPanel(*mReplicas, row));
    return row;
}

QWidget* ServerWindow::buildAlerts() {
    auto* list = new QListView(this);
    list->setObjectName(u"lstOperatorAlerts"_s);
    list->setModel(alerts().model());
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setMaximumHeight(list->fontMetrics().height() * 4 + 8);
    list->setToolTip(u"Operator alerts"_s);
    // The newest alert is the last line, also when a repeat moves its line there.
    connect(&alerts(), &OperatorAlerts::alertRaised, list, &QListView::scrollToBottom);
    return list;
}

void ServerWindow::showActivityMark(StationKind kind, int row) {
    (kind == StationKind::Judge ? mJudgeMarks : mDisplayMarks)->show(row);
}

// The operator's own entry of a panel's score, stored as station 0's would be.
void ServerWindow::openScoreEntry(const QString& num, const QString& event, const QString& reason) {
    MeetServices* services = &this->services();
    Prompter* prompter = &mPrompter;
    auto submit = [services, prompter, reason](const SubmittedScore& score, bool noScoreboard) {
        const ScoreOutcome outcome = services->enterScore(score, noScoreboard, reason);
        if (!outcome.stored && !outcome.error.isEmpty())
            prompter->showMessage(outcome.error, Prompter::Icon::Critical);
    };
    auto* entry =
        new ScoreEntryWindow(mState.meetDb(), mState.numJudges(), mPrompter, submit, this);
    entry->setAttribute(Qt::WA_DeleteOnClose);
    entry->setGymnastNumber(num);
    entry->setEventName(event);
    entry->open();
}

// The history of one gymnast's event (or every event), newest first, in a
// window of its own with the History tab's filters and Print.
void ServerWindow::openHistory(const QString& num, const QString& event) {
    auto* window = new HistoryView(mState.meetDb(), mPrompter, {}, this);
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(u"frmHistory"_s);
    window->setWindowTitle(event.isEmpty() ? u"History of gymnast %1"_s.arg(num)
                                           : u"History of gymnast %1, %2"_s.arg(num, event));
    window->resize(900, 400);
    connect(window, &HistoryView::newScoreRequested, this, &ServerWindow::openScoreEntry);
    window->showGymnast(num, event);
    window->show();
}

// One window for the rehearsal, kept while the meet is open: it shows the
// running one or the last result.
void ServerWindow::openRehearsal() {
    if (!mRehearsal)
        mRehearsal = new RehearsalWindow(mWeb->rehearsal(), mPrompter, server().meetName(),
                                         QFileInfo(mState.meetDb().filePath()).path(), this);
    mRehearsal->show();
    mRehearsal->raise();
    mRehearsal->activateWindow();
}
