#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>

class AppState;
class FollowDialog;
class Prompter;
class QMdiArea;
class QMdiSubWindow;
class QWidget;
class StandbyWindow;
struct FollowRequest;

// The File menu's standby command, "Follow Another Tallvane…": the dialog,
// then the standby's window in the main window's area until following ends.
// A take-over hands the copy back to be opened as this program's meet.
class StandbyCommands : public QObject {
    Q_OBJECT

public:
    // Dialogs open over `window`, the standby's window in `area`.
    StandbyCommands(AppState& state, Prompter& prompter, QWidget& window, QMdiArea& area);

    StandbyWindow* window() const;
    // "Follow Another Tallvane…"; offered only without a meet open.
    void showFollow();
    // Closes the standby's window, and with it the copy.
    void stopFollowing();

Q_SIGNALS:
    // Following began (the primary's address) or ended (empty).
    void followingChanged(const QString& primary);
    // The copy at `meetFile` is to be served in place of `primary`.
    void takeOverRequested(const QString& meetFile, const QString& primary);

private:
    void startFollowing(const FollowRequest& request);
    void takeOver(const QString& meetFile, const QJsonObject& meet);

    AppState& mState;
    Prompter& mPrompter;
    QWidget& mDialogParent;
    QMdiArea& mArea;
    QPointer<FollowDialog> mDialog;
    QPointer<StandbyWindow> mWindow;
    QPointer<QMdiSubWindow> mSubWindow;
};
