#include "mainwindow.h"

#include "aboutdialog.h"
#include "meetinfodialog.h"
#include "serverwindow.h"
#include "settingsdialog.h"
#include "standbycommands.h"
#include "transfer/exportwindow.h"
#include "transfer/importwindow.h"
#include "usermanual.h"
#include "windowgeometry.h"

#include "server/scoringserver.h"
#include "shell/appstate.h"
#include "shell/operatoralerts.h"
#include "shell/prompter.h"
#include "shell/selectfile.h"
#include "web/standbyfollow.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStringListModel>
#include <QToolBar>

using namespace Qt::Literals::StringLiterals;

namespace {

// A dialog that is on screen; closed ones may wait for their deletion.
template <typename Dialog>
bool isShowing(const QObject* parent) {
    const QList<Dialog*> dialogs = parent->findChildren<Dialog*>();
    return std::any_of(dialogs.begin(), dialogs.end(), [](Dialog* d) { return d->isVisible(); });
}

} // namespace

MainWindow::MainWindow(AppState& state, Prompter& prompter, QWidget* parent)
    : QMainWindow(parent)
    , mState(state)
    , mPrompter(prompter) {
    setObjectName(u"frmMain"_s);
    setWindowTitle(QString::fromLatin1(Title));
    mMdiArea = new QMdiArea(this);
    mMdiArea->setObjectName(u"mdiArea"_s);
    setCentralWidget(mMdiArea);
    // A window smaller than the server window scrolls rather than hiding controls.
    mMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mStandby = new StandbyCommands(mState, mPrompter, *this, *mMdiArea);
    connect(mStandby, &StandbyCommands::followingChanged, this, &MainWindow::followingChanged);
    connect(mStandby, &StandbyCommands::takeOverRequested, this,
            [this](const QString& meetFile, const QString& primary) {
                openMeetFile(meetFile, primary);
            });
    buildMenus();
    buildToolBar();
    WindowGeometry::restore(*this, mState.windowSettingsPath(), GeometryKey, DefaultClientSize);

    connect(&mState, &AppState::meetOpened, this, &MainWindow::updateCommands);
    connect(&mState, &AppState::meetClosed, this, &MainWindow::updateCommands);
    connect(&mState, &AppState::numJudgesChanged, this, &MainWindow::updateCommands);
    updateCommands();
}

MainWindow::~MainWindow() {
    closeMeet();
}

ServerWindow* MainWindow::serverWindow() const {
    return mServerWindow;
}

StandbyWindow* MainWindow::standbyWindow() const {
    return mStandby->window();
}

QAction* MainWindow::addAction(QWidget* to, const QString& name, const QString& caption) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    to->addAction(action);
    return action;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(u"&File"_s);
    file->setObjectName(u"mnuFile"_s);
    file->menuAction()->setObjectName(u"mnuFile"_s);
    QAction* open = addAction(file, u"mnuOpen"_s, u"&Open"_s);
    connect(open, &QAction::triggered, this, &MainWindow::chooseMeetFile);
    QAction* follow = addAction(file, u"mnuFollow"_s, u"Follow Another Tallvane…"_s);
    connect(follow, &QAction::triggered, mStandby, &StandbyCommands::showFollow);
    QAction* close = addAction(file, u"mnuClose"_s, u"&Close Data File"_s);
    connect(close, &QAction::triggered, this, &MainWindow::askCloseMeetFile);

    QMenu* import = file->addMenu(u"&Import"_s);
    import->setObjectName(u"mnuImport"_s);
    import->menuAction()->setObjectName(u"mnuImport"_s);
    connect(addAction(import, u"mnuImportRostrel"_s, u"from Rostrel Transfer File..."_s),
            &QAction::triggered, this, &MainWindow::showImport);

    QMenu* exportMenu = file->addMenu(u"&Export"_s);
    exportMenu->setObjectName(u"mnuExport"_s);
    exportMenu->menuAction()->setObjectName(u"mnuExport"_s);
    connect(addAction(exportMenu, u"mnuExportRostrel"_s, u"to Rostrel Transfer File"_s),
            &QAction::triggered, this, &MainWindow::showExport);

    QAction* settings = addAction(file, u"mnuSettings"_s, u"&Settings"_s);
    connect(settings, &QAction::triggered, this, &MainWindow::showSettings);
    mWithoutMeet = {open, follow, import->menuAction(), settings};
    mWithMeet = {close, exportMenu->menuAction()};
    file->addSeparator();
    QAction* exit = addAction(file, u"mnuExit"_s, u"E&xit"_s);
    exit->setShortcut(QKeySequence(u"Ctrl+X"_s));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* help = menuBar()->addMenu(u"&Help"_s);
    help->setObjectName(u"mnuHelp"_s);
    help->menuAction()->setObjectName(u"mnuHelp"_s);
    connect(addAction(help, u"mnuOpenHelp"_s, u"Open Help"_s), &QAction::triggered, this,
            &MainWindow::openHelp);
    connect(addAction(help, u"mnuAbout"_s, u"&About"_s), &QAction::triggered, this,
            &MainWindow::showAbout);
}

// The toolbar offers each command only in the state it belongs to: meet
// commands while the open meet has judges, file commands while none is open.
void MainWindow::buildToolBar() {
    QToolBar* bar = addToolBar(u"Commands"_s);
    bar->setObjectName(u"tbrMain"_s);
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto button = [this, bar](const QString& name, const QString& caption, bool whenOpen,
                              auto slot) {
        QAction* action = addAction(bar, name, caption);
        connect(action, &QAction::triggered, this, [this, whenOpen, slot] {
            if ((mState.numJudges() > 0) == whenOpen)
                (this->*slot)();
        });
        (whenOpen ? mWhileJudging : mWithoutJudging).append(action);
    };
    button(u"tbrMeetInfo"_s, u"      Meet Info      "_s, true, &MainWindow::showMeetInfo);
    button(u"tbrOpen"_s, u"Open Meet File"_s, false, &MainWindow::chooseMeetFile);
    button(u"tbrClose"_s, u"Close Meet File"_s, true, &MainWindow::askCloseMeetFile);
    button(u"tbrImport"_s, u"Import"_s, false, &MainWindow::showImport);
    button(u"tbrExport"_s, u"Export"_s, true, &MainWindow::showExport);
    connect(addAction(bar, u"tbrExit"_s, u"Exit"_s), &QAction::triggered, this, &QWidget::close);
}

void MainWindow::updateCommands() {
    const bool open = mState.isMeetOpen();
    const bool judging = mState.numJudges() > 0;
    const auto enable = [](const QList<QAction*>& actions, bool enabled) {
        for (QAction* action : actions)
            action->setEnabled(enabled);
    };
    // A standby holds its copy of a meet: no other meet opens meanwhile.
    enable(mWithoutMeet, !open && !standbyWindow());
    enable(mWithMeet, open);
    enable(mWhileJudging, judging);
    enable(mWithoutJudging, !judging && !open);
}

void MainWindow::chooseMeetFile() {
    if (mState.isMeetOpen())
        return;
    QPointer<MainWindow> self(this);
    SelectFile::open(mPrompter, u"Tallvane Files"_s, u"tallvane"_s, mState.dataFolder(),
                     [self](const QString& path) {
                         if (self && !path.isEmpty())
                             self->openMeetFile(path);
                     });
}

bool MainWindow::openMeetFile(const QString& path, const QString& takingOverFrom) {
    if (mState.isMeetOpen())
        closeMeet();
    QString error;
    if (!mState.openMeetFile(path, &error)) {
        mPrompter.showMessage(u"The file %1 could not be opened.\n\n%2"_s.arg(path, error),
                              Prompter::Icon::Critical);
        return false;
    }
    const QString epochProblem =
        takingOverFrom.isEmpty() ? QString() : StandbyFollow::raiseEpoch(mState);

    auto* server = new ServerWindow(mState, mPrompter);
    mServerWindow = server;
    // Only a close button: the window always fills the client area.
    mServerSubWindow =
        mMdiArea->addSubWindow(server, Qt::SubWindow | Qt::CustomizeWindowHint |
                                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // Queued: the answer may close the meet, and with it the window whose
    // close event is still being handled.
    connect(server, &ServerWindow::closeRequested, this, &MainWindow::askCloseMeetFile,
            Qt::QueuedConnection);
    connect(server, &ServerWindow::newerPrimaryFound, this, &MainWindow::giveWayTo,
            Qt::QueuedConnection);
    const ScoringServer::StartResult started = server->load();
    if (!started.ok()) {
        // A meet without a working server window is no open meet.
        closeMeet();
        showStartFailure(started);
        return false;
    }
    if (!takingOverFrom.isEmpty()) {
        server->alerts().raise(u"Taking over from "_s + takingOverFrom);
        if (!epochProblem.isEmpty())
            server->alerts().raise(epochProblem);
    }
    // The server window is the meet's working window: it fills the client area.
    mServerSubWindow->showMaximized();
    setWindowTitle(QString::fromLatin1(Title) + u" - "_s + mState.meetFilePath());
    return true;
}

void MainWindow::showStartFailure(const ScoringServer::StartResult& failure) {
    using Outcome = ScoringServer::StartResult::Outcome;
    if (failure.outcome == Outcome::NoSessions) {
        // The message says the program closes; with no meet open, it does so
        // without a question.
        QPointer<MainWindow> self(this);
        mPrompter.showMessage(failure.message, Prompter::Icon::Critical, [self] {
            if (self)
                self->close();
        });
    } else if (failure.outcome == Outcome::ListenFailed) {
        // A plain box with the fixed text; the system's reason below it.
        mPrompter.showDetailedMessage(failure.message, failure.detail, Prompter::Icon::None);
    } else {
        mPrompter.showMessage(failure.message, Prompter::Icon::Critical);
    }
}

void MainWindow::askCloseMeetFile() {
    if (!mState.isMeetOpen())
        return;
    QPointer<MainWindow> self(this);
    mPrompter.askYesNoDefaultNo(QString::fromLatin1(CloseQuestion), connectedStationsText(),
                                [self](bool yes) {
                                    if (self && yes)
                                        self->closeMeet();
                                });
}

// What closing the meet cuts off, said below the question.
QString MainWindow::connectedStationsText() {
    if (!mServerWindow)
        return u"No station is connected."_s;
    ScoringServer& server = mServerWindow->server();
    const int judges = server.judgeStations()->rowCount();
    const int boards = server.scoreboards()->rowCount();
    const auto count = [](int n, const QString& one, const QString& many) -> QString {
        return QString::number(n) + u' ' + (n == 1 ? one : many);
    };
    QStringList connected;
    if (judges > 0)
        connected.append(count(judges, u"judge station"_s, u"judge stations"_s));
    if (boards > 0)
        connected.append(count(boards, u"scoreboard"_s, u"scoreboards"_s));
    if (connected.isEmpty())
        return u"No station is connected."_s;
    return u"Connected now: "_s + connected.join(u" and "_s) + u'.';
}

// The server window goes first: its shutdown still uses the meet database.
void MainWindow::closeMeet() {
    QList<QMdiSubWindow*> windows = mMdiArea->subWindowList();
    if (mServerSubWindow)
        windows.move(windows.indexOf(mServerSubWindow), 0);
    qDeleteAll(windows); // now, not later: the meet file closes below
    for (QDialog* dialog : {static_cast<QDialog*>(mMeetInfo), static_cast<QDialog*>(mExport)}) {
        if (dialog) {
            dialog->hide();
            dialog->deleteLater();
        }
    }
    QString error;
    if (!mState.closeMeetFile(&error))
        mPrompter.showMessage(error, Prompter::Icon::Warning);
    setWindowTitle(QString::fromLatin1(Title));
}

void MainWindow::showMeetInfo() {
    if (!mState.isMeetOpen() || (mMeetInfo && mMeetInfo->isVisible()))
        return;
    mMeetInfo = new MeetInfoDialog(mState, mPrompter, this);
    if (mMeetInfo->load())
        mMeetInfo->open();
    else
        mMeetInfo->deleteLater();
}

void MainWindow::openFile(const QString& path) {
    if (QFileInfo(path).suffix().compare(u"rxt"_s, Qt::CaseInsensitive) == 0)
        startImport(path);
    else
        openMeetFile(path);
}

void MainWindow::showImport() {
    startImport({});
}

// With no file given, the import window asks for one.
void MainWindow::startImport(const QString& transferFile) {
    if (mState.isMeetOpen() || mImport)
        return;
    mImport = new ImportWindow(mState, mPrompter, this);
    connect(mImport, &ImportWindow::meetImported, this,
            [this](const QString& path) { openMeetFile(path); });
    if (transferFile.isEmpty())
        mImport->begin();
    else
        mImport->begin(transferFile);
}

void MainWindow::showExport() {
    if (!mState.isMeetOpen() || mExport)
        return;
    mExport = new ExportWindow(mState, mPrompter, this);
    mExport->begin();
}

void MainWindow::showSettings() {
    if (mState.isMeetOpen() || isShowing<SettingsDialog>(this))
        return;
    (new SettingsDialog(mState, mPrompter, this))->open();
}

void MainWindow::followingChanged(const QString& primary) {
    setWindowTitle(QString::fromLatin1(Title) +
                   (primary.isEmpty() ? QString() : u" - Standby of "_s + primary));
    updateCommands();
}

// Another Tallvane took this meet over: one of the two must stop, and it is
// this one, whose meet file is out of date.
void MainWindow::giveWayTo(const QString& address) {
    if (!mState.isMeetOpen())
        return;
    closeMeet();
    mPrompter.showMessage(
        u"%1 took this meet over and serves it now; this Tallvane stopped serving it. To keep "
        "a copy here, choose File > Follow Another Tallvane… with that address."_s.arg(address),
        Prompter::Icon::Warning);
}

void MainWindow::showAbout() {
    if (isShowing<AboutDialog>(this))
        return;
    (new AboutDialog(QString::fromLatin1(Title), this))->open();
}

void MainWindow::openHelp() {
    UserManual::open(mPrompter);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if ((mState.isMeetOpen() || standbyWindow()) && !mExitConfirmed) {
        event->ignore();
        if (mExitQuestionOpen)
            return;
        mExitQuestionOpen = true;
        QPointer<MainWindow> self(this);
        mPrompter.askYesNoDefaultNo(
            QString::fromLatin1(ExitQuestion), connectedStationsText(), [self](bool yes) {
                if (!self)
                    return;
                self->mExitQuestionOpen = false;
                if (!yes)
                    return; // the meet stays open and the server keeps running
                self->mExitConfirmed = true;
                // The answer may come while this close event is still being handled.
                QMetaObject::invokeMethod(self, &QWidget::close, Qt::QueuedConnection);
            });
        return;
    }
    closeMeet();
    WindowGeometry::save(*this, mState.windowSettingsPath(), GeometryKey);
    event->accept();
}
