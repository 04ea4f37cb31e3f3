#pragma once

#include "db/meetschema.h"

#include <QString>
#include <QStringView>
#include <QVariant>

// How the import turns one value text of a transfer file into the value it
// stores, by the column it belongs to.
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

struct Converted {
    QVariant value; // invalid QVariant = Null
    QString error;  // why the value cannot be stored; empty when it can
};

Converted convert(Code code, const MeetSchema::Column& column, QStringView text);

} // namespace ImportValueCodes
