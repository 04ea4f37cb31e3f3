#pragma once

#include <QLabel>
#include <QTimer>

class ReplicaSource;

// The primary's line about its standby ("lblStandby"): where it is, whether
// it is in step or how far behind, and when it was last heard. Read again
// twice a second.
class StandbyPanel : public QLabel {
    Q_OBJECT

public:
    static constexpr int RefreshMs = 500;

    StandbyPanel(const ReplicaSource& replicas, QWidget* parent = nullptr);

    void refresh();

private:
    const ReplicaSource& mReplicas;
    QTimer mTimer;
};
