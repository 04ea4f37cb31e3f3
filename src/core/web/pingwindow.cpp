#include "pingwindow.h"

using namespace Qt::Literals::StringLiterals;

bool PingWindow::take(int pings) {
    const qint64 now = mClock.elapsed();
    while (!mTimes.isEmpty() && mTimes.first() <= now - WindowMs)
        mTimes.removeFirst();
    for (int i = 0; i < pings && mTimes.size() <= MaxPings; ++i)
        mTimes.append(now);
    return mTimes.size() <= MaxPings;
}

QString PingWindow::breach() {
    return u"it sent more than %1 pings in %2 seconds"_s.arg(MaxPings).arg(WindowMs / 1000);
}
