#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QTimer>

class QTcpServer;

// Keeps a listening port working when the process runs out of file
// descriptors. Qt stops accepting for good when an accept fails (too many
// open files); the guard then turns away the clients waiting in the queue
// (with one descriptor kept in reserve for that, so they are told at once
// instead of hanging), and accepts again after a pause, so the event loop
// never spins on a queue it cannot take from and the connections already
// open (logged-in stations) carry on.
class AcceptGuard : public QObject {
    Q_OBJECT

public:
    static constexpr int RetryMs = 250;

    explicit AcceptGuard(QTcpServer& listener, QObject* parent = nullptr);
    ~AcceptGuard() override;

    // How many clients were turned away since the start.
    qint64 refused() const { return mRefused; }

Q_SIGNALS:
    // Accepting failed for want of descriptors; emitted once per shortage
    // (again only after a connection was accepted since).
    void descriptorsRanOut();

private:
    void acceptFailed(QAbstractSocket::SocketError error);
    void refuseWaiting();

    QTcpServer& mListener;
    QTimer mRetry;
    int mReserve = -1;
    qint64 mRefused = 0;
    bool mShortageTold = false;
};
