#pragma once

#include <QByteArray>
#include <QString>
#include <QVarLengthArray>
#include <QVariant>

// The texts of one run of a statement, bound without a copy each. A plain
// ASCII text (numbers, names, events, times: nearly every one) is written
// once into one buffer and bound as its bytes, which the statement turns back
// into the same text with `CAST(? AS TEXT)`; the engine then neither converts
// nor copies it. Any other text (a null one, one with other characters) is
// bound as it is, which the cast leaves as it is too.
class BoundTexts {
public:
    // Adds the value of the next text parameter; `text` must outlive the run.
    void add(const QString& text);
    // The value to bind for text `index` (counting from 0 in the order added),
    // valid until the next add() and while this object lives.
    QVariant value(qsizetype index) const;

private:
    struct Slot {
        const QString* text;
        qsizetype at; // where its bytes begin in mBytes; -1: bound as it is
    };
    QVarLengthArray<char, 1024> mBytes; // on the stack for all but the longest texts
    QVarLengthArray<Slot, 24> mSlots;
};
