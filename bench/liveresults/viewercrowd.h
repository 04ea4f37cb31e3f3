#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QWebSocket>

#include <memory>
#include <vector>

// Nanoseconds of the monotonic clock, the same in every process of the machine.
qint64 nowNs();

// The viewers, in a process of their own so that reading 1,000 sockets does
// not hold up the judge station's replies: `--viewers PORT`. It says
// "connected" once every viewer is, and on a line from its input writes each
// viewer's notice times (monotonic ns), one line a viewer, and ends.
class ViewerCrowd : public QObject {
public:
    static constexpr int Viewers = 1000;
    static constexpr int Batch = 32; // connections opened at once (one address may hold 64)

    explicit ViewerCrowd(quint16 port);

private:
    void open();
    void report();

    quint16 mPort;
    QSocketNotifier mInput;
    std::vector<std::unique_ptr<QWebSocket>> mViewers;
    std::vector<std::vector<qint64>> mArrivals; // per viewer, its notices
    int mConnected = 0;
};
