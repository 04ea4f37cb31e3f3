#include "acceptguard.h"

#include <QTcpServer>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

int openReserve() {
#ifdef Q_OS_UNIX
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
#else
    return -1;
#endif
}

} // namespace

AcceptGuard::AcceptGuard(QTcpServer& listener, QObject* parent)
    : QObject(parent)
    , mListener(listener)
    , mReserve(openReserve()) {
    mRetry.setSingleShot(true);
    mRetry.setInterval(RetryMs);
    connect(&mRetry, &QTimer::timeout, this, [this] {
        if (mListener.isListening())
            mListener.resumeAccepting();
    });
    connect(&mListener, &QTcpServer::acceptError, this, &AcceptGuard::acceptFailed);
    connect(&mListener, &QTcpServer::newConnection, this, [this] { mShortageTold = false; });
}

AcceptGuard::~AcceptGuard() {
#ifdef Q_OS_UNIX
    if (mReserve >= 0)
        ::close(mReserve);
#endif
}

void AcceptGuard::acceptFailed(QAbstractSocket::SocketError error) {
    // Qt has paused accepting; whatever the failure, accepting resumes later.
    if (error == QAbstractSocket::SocketResourceError) {
        refuseWaiting();
        if (!mShortageTold) {
            mShortageTold = true;
            Q_EMIT descriptorsRanOut();
        }
    }
    mRetry.start();
}

void AcceptGuard::refuseWaiting() {
#ifdef Q_OS_UNIX
    if (mReserve < 0)
        return;
    ::close(mReserve);
    // The listening socket does not block: this ends when the queue is empty
    // (or descriptors are still short).
    for (;;) {
        const int client =
            ::accept4(int(mListener.socketDescriptor()), nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            break;
        ::close(client);
        ++mRefused;
    }
    mReserve = openReserve();
#endif
}
