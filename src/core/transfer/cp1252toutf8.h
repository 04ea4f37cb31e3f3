#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Windows-1252 bytes straight into the UTF-8 that a meet file stores, with no
// UTF-16 between them; every byte becomes the character Cp1252::decode() gives
// it, the five unassigned ones included.
namespace Cp1252ToUtf8 {

// Replaces `utf8` with the UTF-8 of `cp1252`; `utf8` keeps its room.
void convert(QByteArrayView cp1252, QByteArray& utf8);

} // namespace Cp1252ToUtf8
