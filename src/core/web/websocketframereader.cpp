#include "websocketframereader.h"

#include <QStringDecoder>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr quint8 Continuation = 0x0;
constexpr quint8 TextFrame = 0x1;
constexpr quint8 BinaryFrame = 0x2;
constexpr quint8 CloseFrame = 0x8;
constexpr quint8 PingFrame = 0x9;
constexpr quint8 PongFrame = 0xa;
constexpr quint64 MaxControlPayload = 125;
constexpr qsizetype KeptMessageRoom = 4096;

bool isControl(quint8 opcode) {
    return (opcode & 0x8) != 0;
}

// Appends `bytes` to `out`, unmasking them with `mask` from payload position `at`.
void appendUnmasked(QByteArray& out, QByteArrayView bytes, const char* mask, quint64 at) {
    const qsizetype start = out.size();
    out.resize(start + bytes.size());
    char* to = out.data() + start;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        to[i] = char(bytes[i] ^ mask[(at + quint64(i)) & 3]);
}

} // namespace

qsizetype WebSocketFrameReader::headerLength() const {
    const quint8 length = quint8(mHeader.at(1)) & 0x7f;
    const qsizetype extended = length == 126 ? 2 : length == 127 ? 8 : 0;
    return 2 + extended + 4; // a client's frame carries its 4-byte mask
}

WebSocketFrameReader::Result WebSocketFrameReader::feed(QByteArrayView bytes) {
    Result result;
    while (!mDone && result.breach.isEmpty()) {
        if (mInFrame) {
            const qsizetype taken = qsizetype(qMin<quint64>(mPayloadLeft, quint64(bytes.size())));
            QByteArray& into = isControl(mOpcode) ? mControl : mMessage;
            appendUnmasked(into, bytes.first(taken), mMask, mPayloadRead);
            mPayloadRead += quint64(taken);
            mPayloadLeft -= quint64(taken);
            bytes = bytes.sliced(taken);
            if (mPayloadLeft > 0)
                break;
            mInFrame = false;
            result.breach = endFrame(result);
            continue;
        }
        if (bytes.isEmpty())
            break;
        const qsizetype wanted = mHeader.size() < 2 ? 2 : headerLength();
        const qsizetype taken = qMin(wanted - mHeader.size(), bytes.size());
        mHeader.append(bytes.first(taken));
        bytes = bytes.sliced(taken);
        if (mHeader.size() == 2 && (quint8(mHeader.at(1)) & 0x80) == 0)
            result.breach = u"it sent a frame without a mask"_s;
        else if (mHeader.size() >= 2 && mHeader.size() == headerLength())
            result.breach = startFrame();
    }
    if (!result.breach.isEmpty())
        mDone = true;
    return result;
}

QString WebSocketFrameReader::startFrame() {
    const quint8 first = quint8(mHeader.at(0));
    mOpcode = first & 0x0f;
    mFinal = (first & 0x80) != 0;
    quint64 length = quint8(mHeader.at(1)) & 0x7f;
    if (length == 126)
        length = qFromBigEndian<quint16>(mHeader.constData() + 2);
    else if (length == 127)
        length = qFromBigEndian<quint64>(mHeader.constData() + 2);
    std::copy_n(mHeader.constData() + mHeader.size() - 4, 4, mMask);
    mHeader.clear();
    mPayloadLeft = length;
    mPayloadRead = 0;
    mInFrame = true;

    if ((first & 0x70) != 0)
        return u"it sent a frame with reserved bits set"_s;
    if (isControl(mOpcode)) {
        if (mOpcode != CloseFrame && mOpcode != PingFrame && mOpcode != PongFrame)
            return u"it sent a frame of unknown kind %1"_s.arg(mOpcode);
        if (length > MaxControlPayload)
            return u"it sent a control frame over 125 bytes"_s;
        if (!mFinal)
            return u"it sent a control frame in pieces"_s;
        mControl.clear();
        return {};
    }
    if (mOpcode != Continuation && mOpcode != TextFrame && mOpcode != BinaryFrame)
        return u"it sent a frame of unknown kind %1"_s.arg(mOpcode);
    if (mLimits.controlOnly)
        return u"it sent a message where none is read"_s;
    if (mOpcode == Continuation && mMessageKind == 0)
        return u"it continued a message it had not begun"_s;
    if (mOpcode != Continuation && mMessageKind != 0)
        return u"it began a message before ending the last"_s;
    if (length > quint64(mLimits.maxFrame))
        return u"it sent a frame of %1 bytes, over %2"_s.arg(length).arg(mLimits.maxFrame);
    if (quint64(mMessage.size()) + length > quint64(mLimits.maxMessage))
        return u"it sent a message of over %1 bytes"_s.arg(mLimits.maxMessage);
    if (mOpcode != Continuation)
        mMessageKind = mOpcode;
    return {};
}

QString WebSocketFrameReader::endFrame(Result& result) {
    if (isControl(mOpcode)) {
        if (mOpcode == PingFrame)
            result.events.append({Event::Ping, {}, std::exchange(mControl, {})});
        else if (mOpcode == CloseFrame) {
            result.events.append({Event::Close, {}, std::exchange(mControl, {})});
            mDone = true;
        }
        return {};
    }
    if (!mFinal)
        return {};
    const quint8 kind = std::exchange(mMessageKind, 0);
    if (kind == BinaryFrame) {
        result.events.append({Event::Binary, {}, std::exchange(mMessage, {})});
        return {};
    }
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(mMessage);
    // The room of a short message serves the next; a long one's is let go.
    if (mMessage.capacity() > KeptMessageRoom)
        mMessage = QByteArray();
    else
        mMessage.resize(0);
    if (utf8.hasError())
        return u"it sent a text that is not UTF-8"_s;
    result.events.append({Event::Text, std::move(text), {}});
    return {};
}
