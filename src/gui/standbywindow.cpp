#include "standbywindow.h"

#include "shell/prompter.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QStringListModel>

using namespace Qt::Literals::StringLiterals;

StandbyWindow::StandbyWindow(const FollowRequest& request, Prompter& prompter, QWidget* parent)
    : QWidget(parent)
    , mPrompter(prompter)
    , mStandby(request) {
    setObjectName(u"frmStandby"_s);
    mStatus = new QLabel(u"Connecting to "_s + mStandby.primaryText(), this);
    mStatus->setObjectName(u"lblStatus"_s);
    QFont large = mStatus->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.3);
    mStatus->setFont(large);
    mPrimary = new QLabel(this);
    mPrimary->setObjectName(u"lblPrimary"_s);
    mTakeOver = new QPushButton(u"Take Over"_s, this);
    mTakeOver->setObjectName(u"cmdTakeOver"_s);
    mTakeOver->setEnabled(false);
    mTakeOver->setToolTip(u"Serve the meet from this laptop's copy, now"_s);
    auto* copy = new QLabel(u"Copy of the meet: "_s + request.meetFile, this);
    copy->setObjectName(u"lblCopyFile"_s);
    auto* hint =
        new QLabel(request.takeOverAfterSeconds > 0
                       ? u"Takes over by itself when the primary is silent for %1 s."_s.arg(
                             request.takeOverAfterSeconds)
                       : u"Takes over only when you press Take Over."_s,
                   this);
    mLog = new QStringListModel(this);
    auto* logView = new QListView(this);
    logView->setObjectName(u"lstStandbyLog"_s);
    logView->setModel(mLog);
    logView->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(u"Status:"_s, this), 0, 0);
    grid->addWidget(mStatus, 0, 1);
    grid->addWidget(mTakeOver, 0, 2, 2, 1);
    grid->addWidget(mPrimary, 1, 1);
    grid->addWidget(copy, 2, 1);
    grid->addWidget(hint, 3, 1);
    grid->addWidget(logView, 4, 0, 1, 3);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);

    connect(&mStandby, &StandbyFollow::following, this, [this](const QString& text) {
        mStatus->setText(text);
        log(text);
    });
    connect(&mStandby, &StandbyFollow::inStep, this, [this](const QString& text) {
        mStatus->setText(text);
        mTakeOver->setEnabled(true);
        log(text);
    });
    connect(&mStandby, &StandbyFollow::problem, this, &StandbyWindow::log);
    connect(&mStandby, &StandbyFollow::failed, this, [this](const QString& text) {
        mStatus->setText(u"Not following"_s);
        mTakeOver->setEnabled(mStandby.everInStep());
        log(text);
        mPrompter.showMessage(text, Prompter::Icon::Critical);
    });
    connect(&mStandby, &StandbyFollow::tookOver, this, [this] {
        log(u"Taking over from "_s + mStandby.primaryText());
        Q_EMIT tookOver(mStandby.request().meetFile, mStandby.meet());
    });
    connect(mTakeOver, &QPushButton::clicked, this, [this] {
        if (const QString refusal = mStandby.takeOver(); !refusal.isEmpty())
            mPrompter.showMessage(refusal, Prompter::Icon::Warning);
    });
    mRefresh.setInterval(RefreshMs);
    connect(&mRefresh, &QTimer::timeout, this, &StandbyWindow::showPrimary);
}

QString StandbyWindow::start() {
    const QString error = mStandby.start();
    if (error.isEmpty()) {
        mRefresh.start();
        showPrimary();
    }
    return error;
}

void StandbyWindow::showPrimary() {
    if (!mStandby.isRunning()) {
        mPrimary->setText(u"Primary: "_s + mStandby.primaryText() + u", not followed"_s);
        return;
    }
    const QString step = mStandby.isInStep() ? u"in step"_s : u"catching up"_s;
    mPrimary->setText(u"Primary: %1, %2, last heard %3 s ago"_s.arg(mStandby.primaryText(), step)
                          .arg(mStandby.sinceHeard() / 1000));
}

void StandbyWindow::log(const QString& text) {
    const int row = mLog->rowCount();
    mLog->insertRows(row, 1);
    mLog->setData(mLog->index(row),
                  QString(QTime::currentTime().toString(u"HH:mm:ss"_s) + u"  "_s + text));
}

// Closing asks first: a standby that stops following no longer holds the
// scores confirmed from then on.
void StandbyWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!mStandby.isRunning()) {
        Q_EMIT ended();
        return;
    }
    mPrompter.askYesNoDefaultNo(
        u"Stop following %1?"_s.arg(mStandby.primaryText()),
        u"This laptop then no longer keeps a copy of the meet and cannot take over."_s,
        [self = QPointer<StandbyWindow>(this)](bool yes) {
            if (!self || !yes)
                return;
            self->mStandby.stop();
            Q_EMIT self->ended();
        });
}
