#include "stopsignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int number) {
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

} // namespace

StopSignals::StopSignals(QObject* parent)
    : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    for (int fd : signalPipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(signalPipe[0], F_SETFL, O_NONBLOCK);
    mNotifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &StopSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGUSR1, &action, nullptr);
}

StopSignals::~StopSignals() {
    if (!mNotifier)
        return;
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    // Not the default (which ends the process): a late take-over is ignored.
    ::signal(SIGUSR1, SIG_IGN);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void StopSignals::readSignal() {
    char byte = 0;
    if (::read(signalPipe[1], &byte, 1) != 1)
        return;
    if (int(byte) == SIGUSR1)
        Q_EMIT takeOverRequested();
    else
        Q_EMIT stopRequested(int(byte));
}

#else

StopSignals::StopSignals(QObject* parent)
    : QObject(parent) {}
StopSignals::~StopSignals() = default;
void StopSignals::readSignal() {}

#endif
