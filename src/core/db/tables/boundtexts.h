#pragma once

#include <QString>
#include <QVarLengthArray>

class SqliteStatement;

// The texts of one run of a statement, bound without a copy each. A plain
// ASCII text (numbers, names, events, times: nearly every one) is written
// once into one buffer whose bytes are its UTF-8, and bound from there; the
// engine then neither converts nor copies it. Any other text (a null one, one
// with other characters) is bound as SqliteStatement::bind() binds it.
class BoundTexts {
public:
    // Adds the value of the next text parameter; `text` must outlive the run.
    void add(const QString& text);
    // Binds text `index` (counting from 0 in the order added) to parameter
    // `parameter` of `statement`; the binding lasts while this object lives
    // and nothing more is added.
    void bind(SqliteStatement& statement, int parameter, qsizetype index) const;

private:
    struct Slot {
        const QString* text;
        qsizetype at; // where its bytes begin in mBytes; -1: bound as it is
    };
    QVarLengthArray<char, 1024> mBytes; // on the stack for all but the longest texts
    QVarLengthArray<Slot, 24> mSlots;
};
