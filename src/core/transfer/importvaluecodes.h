#pragma once

#include "db/meetschema.h"

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <array>

// How the import turns one value text of a transfer file into the value it
// stores, by the column it belongs to. Value texts come as the file holds
// them, in Windows-1252: the plain forms nearly every value takes are read
// from those bytes, anything else is decoded and read by the general rules.
namespace ImportValueCodes {

enum class Code {
    Number,      // Long and Double columns; empty is Null
    Flag,        // Boolean columns; empty is False
    Text,        // the text as it is; empty is the empty text
    TextOrNull,  // empty is stored as the text "Null", which the export writes back empty
    EscapedText, // gymnasts' names: stored as they are, quotes included
    Date,        // empty is Null; dates are stored as ISO text
};

Code codeOf(const MeetSchema::Table& table, int column);

// The value to store, in its storage type.
struct Converted {
    enum class Kind { Null, Integer, Real, Text };

    Kind kind = Kind::Null;
    qint64 integer = 0;
    double real = 0;
    QString error{}; // why the value cannot be stored; empty when it can

    // A text, in Windows-1252: the value text itself (it must outlive this),
    // or a date's ISO text held here.
    QByteArrayView text() const {
        return isoSize > 0 ? QByteArrayView(iso.data(), isoSize) : source;
    }
    // The value as Qt Sql carries it: Null as an invalid QVariant.
    QVariant variant() const;

    QByteArrayView source{};
    std::array<char, 24> iso{};
    qsizetype isoSize = 0;
};

// `text` is the value as the file holds it, in Windows-1252.
Converted convert(Code code, const MeetSchema::Column& column, QByteArrayView text);

} // namespace ImportValueCodes
