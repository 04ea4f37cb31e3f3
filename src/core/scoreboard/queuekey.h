#pragma once

#include <QDateTime>
#include <QString>

// The ordering key of a queued score within its event, compared as text: the
// day number (days since 30 December 1899) followed by the time of day as a
// fraction of a day times 10,000,000, rounded, always seven digits. The fixed
// width keeps text order equal to time order at every hour (00:10:00 gives
// "0069444", 12:00:00 "5000000").
QString queueKey(const QDateTime& queueTime);

// How queue times are written to and read from the meet file.
QString queueTimeText(const QDateTime& queueTime);
QDateTime queueTimeFromText(const QString& text);
