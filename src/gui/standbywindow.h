#pragma once

#include "web/standbyfollow.h"

#include <QTimer>
#include <QWidget>

class Prompter;
class QLabel;
class QPushButton;
class QStringListModel;

// The standby's window ("frmStandby") while this desktop program follows
// another Tallvane: its status ("Following …", then "In step with …"), the
// primary (address, in step or not, last heard), what happened, and "Take
// Over". It closes by stopping to follow, after the operator confirms.
class StandbyWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int RefreshMs = 500;

    StandbyWindow(const FollowRequest& request, Prompter& prompter, QWidget* parent = nullptr);

    // Begins to follow; what is wrong, or empty.
    QString start();
    StandbyFollow& standby() { return mStandby; }

Q_SIGNALS:
    // Following ended for a take-over: the copy is ready to be served.
    void tookOver(const QString& meetFile, const QJsonObject& meet);
    // The operator stopped following (or it failed and the operator was told).
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void log(const QString& text);
    void showPrimary();

    Prompter& mPrompter;
    StandbyFollow mStandby;
    QLabel* mStatus = nullptr;
    QLabel* mPrimary = nullptr;
    QPushButton* mTakeOver = nullptr;
    QStringListModel* mLog = nullptr;
    QTimer mRefresh;
};
