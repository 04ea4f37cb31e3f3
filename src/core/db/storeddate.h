#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>

// A date as a meet file stores it: ISO text, "YYYY-MM-DD", or
// "YYYY-MM-DD HH:MM:SS" when the time of day is not midnight. Read back, a "T"
// between date and time and a time without seconds are accepted too.
//
// The date and the time are kept apart: a date-time in local time may fall
// into a daylight-saving gap and turn invalid, a plain date never does.
struct StoredDate {
    QDate date;
    QTime time{0, 0};

    // std::nullopt for text that is no stored date.
    static std::optional<StoredDate> parse(const QString& text);
    // std::nullopt for Null as well.
    static std::optional<StoredDate> fromValue(const QVariant& stored);
    static StoredDate of(const QDateTime& value) { return {value.date(), value.time()}; }

    QString text() const;
    QDateTime dateTime() const { return QDateTime(date, time); }
};
