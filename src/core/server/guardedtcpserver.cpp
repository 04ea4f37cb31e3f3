#include "guardedtcpserver.h"

#include <QTcpSocket>

#include <cerrno>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int openReserve() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

bool outOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

} // namespace

GuardedTcpServer::GuardedTcpServer(QObject* parent)
    : QTcpServer(parent)
    , mReserve(openReserve()) {
    mRetry.setSingleShot(true);
    mRetry.setInterval(RetryMs);
    connect(&mRetry, &QTimer::timeout, this, [this] {
        if (mWaiting)
            mWaiting->setEnabled(!mHeld);
    });
}

GuardedTcpServer::~GuardedTcpServer() {
    stop();
    if (mReserve >= 0)
        ::close(mReserve);
}

bool GuardedTcpServer::start(const QHostAddress& address, quint16 port) {
    stop();
    if (!listen(address, port))
        return false;
    // Qt's accepting rests for good; the queue is watched here.
    pauseAccepting();
    mWaiting = std::make_unique<QSocketNotifier>(socketDescriptor(), QSocketNotifier::Read);
    mWaiting->setEnabled(!mHeld);
    connect(mWaiting.get(), &QSocketNotifier::activated, this, &GuardedTcpServer::acceptWaiting);
    return true;
}

void GuardedTcpServer::setHeld(bool held) {
    mHeld = held;
    if (mWaiting)
        mWaiting->setEnabled(!held && !mRetry.isActive());
}

void GuardedTcpServer::stop() {
    mRetry.stop();
    mWaiting.reset(); // before its descriptor closes
    close();
}

void GuardedTcpServer::acceptWaiting() {
    int accepted = 0;
    while (accepted < AcceptBatch) {
        const int client = ::accept4(int(socketDescriptor()), nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED)
                continue; // a client that left before it was taken
            if (outOfDescriptors(error)) {
                refuseWaiting();
                mWaiting->setEnabled(false);
                mRetry.start();
                if (!mShortageTold) {
                    mShortageTold = true;
                    Q_EMIT descriptorsRanOut();
                }
            }
            break; // the queue is empty (or accepting failed otherwise)
        }
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(client)) {
            ::close(client);
            delete socket;
            continue;
        }
        addPendingConnection(socket);
        ++accepted;
    }
    if (accepted > 0) {
        mShortageTold = false;
        Q_EMIT newConnection();
    }
}

void GuardedTcpServer::refuseWaiting() {
    if (mReserve < 0)
        mReserve = openReserve();
    if (mReserve < 0)
        return;
    ::close(mReserve);
    // The listening socket does not block: this ends when the queue is empty
    // (or descriptors are still short).
    for (;;) {
        const int client = ::accept4(int(socketDescriptor()), nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            break;
        ::close(client);
        ++mRefused;
    }
    mReserve = openReserve();
}
