#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the 8-bit code page of the stations' wire protocol and of the
// transfer files. The five bytes the code page leaves unassigned (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the control characters of the same value, so every
// byte survives decode() followed by encode().
namespace Cp1252 {

QString decode(QByteArrayView bytes);

// Characters the code page cannot hold become '?'; `lossless` (when given)
// tells whether that happened.
QByteArray encode(QStringView text, bool* lossless = nullptr);

} // namespace Cp1252
