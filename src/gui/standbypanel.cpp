#include "standbypanel.h"

#include "web/replicasource.h"

using namespace Qt::Literals::StringLiterals;

StandbyPanel::StandbyPanel(const ReplicaSource& replicas, QWidget* parent)
    : QLabel(parent)
    , mReplicas(replicas) {
    setObjectName(u"lblStandby"_s);
    setToolTip(u"The standby laptop that follows this meet"_s);
    mTimer.setInterval(RefreshMs);
    connect(&mTimer, &QTimer::timeout, this, &StandbyPanel::refresh);
    mTimer.start();
    refresh();
}

void StandbyPanel::refresh() {
    if (!mReplicas.hasStandby()) {
        setText(u"Standby: none"_s);
        return;
    }
    const quint64 behind = mReplicas.standbyBehind();
    const QString step = mReplicas.isInStep() && behind == 0 ? u"in step"_s
                         : mReplicas.isInStep()              ? u"%1 change(s) behind"_s.arg(behind)
                                                             : u"catching up"_s;
    setText(u"Standby: %1, %2, last heard %3 s ago"_s.arg(mReplicas.standbyAddress(), step)
                .arg(mReplicas.sinceStandbyHeard() / 1000));
}
