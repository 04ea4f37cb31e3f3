#pragma once

#include <QDateTime>
#include <QString>

// A moment as the meet file's stamps write it: "yyyy-MM-dd HH:mm:ss", with
// ".zzz" after it when `withMilliseconds`; exactly what QDateTime::toString()
// gives for that format. Every batch of scores writes one, so the common
// years are written digit by digit rather than through Qt's format parser.
QString timestampText(const QDateTime& moment, bool withMilliseconds);
