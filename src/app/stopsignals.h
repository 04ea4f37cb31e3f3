#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM (and SIGUSR1, a standby's "take over") into Qt
// signals on the event-loop thread: the handler only writes one byte to a
// pipe, which a socket notifier reads.
class StopSignals : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

Q_SIGNALS:
    void stopRequested(int signalNumber);
    void takeOverRequested();

private:
    void readSignal();

    QSocketNotifier* mNotifier = nullptr;
};
