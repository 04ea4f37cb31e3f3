#pragma once

#include <QByteArrayView>

// Texts as a meet file stores them (UTF-8) written straight into the bytes of
// the transfer file's code page, Windows-1252, without a detour through
// QString: the export moves every text of a meet this way.
namespace Utf8ToCp1252 {

// Writes `utf8` at `out`, which has room for utf8.size() bytes (a character
// never takes more bytes in the code page than in UTF-8), and returns the end
// of what it wrote. Returns nullptr, having written an unknown part, when the
// text holds a character the code page lacks or bytes that are no UTF-8: the
// caller then takes the general way, which writes those as '?' and says so.
char* convert(QByteArrayView utf8, char* out);

} // namespace Utf8ToCp1252
