#include "boundtexts.h"

void BoundTexts::add(const QString& text) {
    if (text.isNull()) {
        mSlots.append({&text, -1});
        return;
    }
    const qsizetype size = text.size();
    const qsizetype at = mBytes.size();
    mBytes.resize(at + size);
    char* to = mBytes.data() + at;
    const QChar* from = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = from[i].unicode();
        if (unit >= 0x80) {
            mBytes.resize(at);
            mSlots.append({&text, -1});
            return;
        }
        to[i] = char(unit);
    }
    mSlots.append({&text, at});
}

QVariant BoundTexts::value(qsizetype index) const {
    const Slot& slot = mSlots[index];
    if (slot.at < 0)
        return *slot.text;
    // A view of the buffer: never null, so an empty text stays an empty text.
    return QByteArray::fromRawData(mBytes.constData() + slot.at, slot.text->size());
}
