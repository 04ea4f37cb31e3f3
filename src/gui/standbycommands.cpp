#include "standbycommands.h"

#include "followdialog.h"
#include "standbywindow.h"

#include "shell/appstate.h"
#include "shell/prompter.h"

#include <QMdiArea>
#include <QMdiSubWindow>

StandbyCommands::StandbyCommands(AppState& state, Prompter& prompter, QWidget& window,
                                 QMdiArea& area)
    : QObject(&window)
    , mState(state)
    , mPrompter(prompter)
    , mDialogParent(window)
    , mArea(area) {}

StandbyWindow* StandbyCommands::window() const {
    return mWindow;
}

void StandbyCommands::showFollow() {
    if (mState.isMeetOpen() || mWindow || (mDialog && mDialog->isVisible()))
        return;
    mDialog = new FollowDialog(mState.dataFolder(), mPrompter, &mDialogParent);
    mDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(mDialog, &FollowDialog::followRequested, this, &StandbyCommands::startFollowing);
    mDialog->open();
}

void StandbyCommands::startFollowing(const FollowRequest& request) {
    if (mState.isMeetOpen() || mWindow)
        return;
    auto* standby = new StandbyWindow(request, mPrompter);
    if (const QString error = standby->start(); !error.isEmpty()) {
        delete standby;
        mPrompter.showMessage(error, Prompter::Icon::Critical);
        return;
    }
    mWindow = standby;
    mSubWindow = mArea.addSubWindow(standby, Qt::SubWindow | Qt::CustomizeWindowHint |
                                                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // Queued: both come from inside the standby window, which goes.
    connect(standby, &StandbyWindow::tookOver, this, &StandbyCommands::takeOver,
            Qt::QueuedConnection);
    connect(standby, &StandbyWindow::ended, this, &StandbyCommands::stopFollowing,
            Qt::QueuedConnection);
    mSubWindow->showMaximized();
    Q_EMIT followingChanged(standby->standby().primaryText());
}

void StandbyCommands::stopFollowing() {
    delete mSubWindow; // with the standby window, which closes the copy
    Q_EMIT followingChanged({});
}

// The copy is served with the primary's station PIN and ports: the stations
// log in as they did.
void StandbyCommands::takeOver(const QString& meetFile, const QJsonObject& meet) {
    if (!mWindow)
        return;
    const QString primary = mWindow->standby().primaryText();
    stopFollowing();
    StandbyFollow::adoptSettings(meet, mState, false, false, false);
    Q_EMIT takeOverRequested(meetFile, primary);
}
