#pragma once

#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTimer>

#include <memory>

// A listening port that keeps working when the process runs out of file
// descriptors. Qt's own accepting takes a failed accept for a passing one and
// tries again at once for as long as clients wait in the queue: the event
// loop spins. Here the connections are accepted by this class instead. When
// an accept fails for want of descriptors, the clients waiting in the queue
// are turned away (one descriptor is kept in reserve for that, so they are
// told at once instead of hanging) and accepting rests for a moment, while
// the connections already open (logged-in stations) carry on.
//
// Accepted connections come as QTcpServer's do: newConnection() and
// nextPendingConnection().
class GuardedTcpServer : public QTcpServer {
    Q_OBJECT

public:
    static constexpr int RetryMs = 250;
    // At most this many accepted in one turn of the event loop.
    static constexpr int AcceptBatch = 64;

    explicit GuardedTcpServer(QObject* parent = nullptr);
    ~GuardedTcpServer() override;

    // Listens as QTcpServer::listen does, the accepting done here.
    bool start(const QHostAddress& address, quint16 port);
    // Stops listening; connections already accepted stay open.
    void stop();
    // While held, clients wait in the queue (their connection made, nothing
    // read) until accepting resumes.
    void setHeld(bool held);

    // How many clients were turned away since the start.
    qint64 refused() const { return mRefused; }

Q_SIGNALS:
    // Accepting failed for want of descriptors; emitted once per shortage
    // (again only after a connection was accepted since).
    void descriptorsRanOut();

private:
    void acceptWaiting();
    void refuseWaiting();

    std::unique_ptr<QSocketNotifier> mWaiting;
    QTimer mRetry;
    int mReserve = -1;
    qint64 mRefused = 0;
    bool mShortageTold = false;
    bool mHeld = false;
};
