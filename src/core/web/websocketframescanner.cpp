#include "websocketframescanner.h"

#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr quint8 Continuation = 0x0;
constexpr quint8 Text = 0x1;
constexpr quint8 Binary = 0x2;
constexpr quint8 Ping = 0x9;
constexpr quint64 MaxControlPayload = 125;

bool isControl(quint8 opcode) {
    return (opcode & 0x8) != 0;
}

} // namespace

qsizetype WebSocketFrameScanner::headerLength() const {
    const quint8 length = quint8(mHeader.at(1)) & 0x7f;
    const qsizetype extended = length == 126 ? 2 : length == 127 ? 8 : 0;
    return 2 + extended + 4; // a client's frame carries its 4-byte mask
}

WebSocketFrameScanner::Result WebSocketFrameScanner::feed(QByteArrayView bytes) {
    Result result;
    while (!mBroken && !bytes.isEmpty()) {
        if (mPayloadLeft > 0) {
            const qsizetype skipped = qsizetype(qMin<quint64>(mPayloadLeft, quint64(bytes.size())));
            mPayloadLeft -= quint64(skipped);
            bytes = bytes.sliced(skipped);
            continue;
        }
        const qsizetype wanted = mHeader.size() < 2 ? 2 : headerLength();
        const qsizetype taken = qMin(wanted - mHeader.size(), bytes.size());
        mHeader.append(bytes.first(taken));
        bytes = bytes.sliced(taken);
        if (mHeader.size() == 2 && (quint8(mHeader.at(1)) & 0x80) == 0) {
            result.breach = u"it sent a frame without a mask"_s;
        } else if (mHeader.size() >= 2 && mHeader.size() == headerLength()) {
            const quint8 first = quint8(mHeader.at(0));
            const quint8 opcode = first & 0x0f;
            quint64 length = quint8(mHeader.at(1)) & 0x7f;
            if (length == 126)
                length = qFromBigEndian<quint16>(mHeader.constData() + 2);
            else if (length == 127)
                length = qFromBigEndian<quint64>(mHeader.constData() + 2);
            mHeader.clear();
            if (opcode == Ping)
                ++result.pings;
            result.breach = frameBreach(opcode, (first & 0x80) != 0, length);
            mPayloadLeft = length;
        }
        if (!result.breach.isEmpty())
            mBroken = true;
    }
    return result;
}

QString WebSocketFrameScanner::frameBreach(quint8 opcode, bool final, quint64 length) {
    if (isControl(opcode))
        return length > MaxControlPayload ? u"it sent a control frame over 125 bytes"_s : QString();
    if (opcode != Continuation && opcode != Text && opcode != Binary)
        return {}; // the library refuses reserved opcodes itself
    if (mLimits.controlOnly)
        return u"it sent a message where none is read"_s;
    if (length > quint64(mLimits.maxFrame))
        return u"it sent a frame of %1 bytes, over %2"_s.arg(length).arg(mLimits.maxFrame);
    mMessage += qint64(length);
    if (mMessage > mLimits.maxMessage)
        return u"it sent a message of over %1 bytes"_s.arg(mLimits.maxMessage);
    if (final)
        mMessage = 0;
    return {};
}
