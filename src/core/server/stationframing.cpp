#include "stationframing.h"

StationFraming::Result StationFraming::feed(QByteArrayView bytes) {
    Result result;
    if (bytes.isEmpty())
        return result;
    if (mMode == Mode::Legacy && !bytes.contains('\n')) {
        if (bytes.size() > mMaxPending)
            result.overflow = true;
        else
            result.messages.append(bytes.toByteArray());
        return result;
    }
    mMode = Mode::Line;
    mPending.append(bytes);
    takeLines(result);
    if (mPending.size() > mMaxPending) {
        result.overflow = true;
        mPending.clear();
    }
    return result;
}

void StationFraming::takeLines(Result& result) {
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = mPending.indexOf('\n', start);
        if (end < 0)
            break;
        qsizetype length = end - start;
        if (length > 0 && mPending.at(end - 1) == '\r')
            --length;
        if (length > 0)
            result.messages.append(mPending.mid(start, length));
        start = end + 1;
    }
    mPending.remove(0, start);
}

QByteArray StationFraming::frame(QByteArrayView message) const {
    QByteArray bytes = message.toByteArray();
    if (mMode == Mode::Line)
        bytes.append('\n');
    return bytes;
}
