#include "padstate.h"

PadState PadState::fromFields(const QStringList& fields) {
    const auto field = [&fields](int index) {
        return index < fields.size() ? fields[index].trimmed() : QString();
    };
    PadState state;
    bool ok = false;
    const int battery = field(1).toInt(&ok);
    if (ok && battery >= 0 && battery <= 100)
        state.battery = battery;
    if (field(2) == u'1')
        state.charging = true;
    else if (field(2) == u'0')
        state.charging = false;
    const int outbox = field(3).toInt(&ok);
    state.outbox = ok && outbox > 0 ? outbox : 0;
    // The browser's name is shown as it is, within a line.
    for (const QChar c : field(4).left(MaxAgent))
        state.agent += c.isPrint() ? c : QChar(u' ');
    return state;
}
