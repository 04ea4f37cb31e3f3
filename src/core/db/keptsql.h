#pragma once

#include <QString>

// The text of a statement that runs again and again (on every score, every
// display turn), made once where it is used, typically as a function's static.
// A connection finds its prepared statement for it by the number it carries,
// never by hashing or comparing the text.
class KeptSql {
public:
    explicit KeptSql(QString sql);
    KeptSql(const KeptSql&) = delete;
    KeptSql& operator=(const KeptSql&) = delete;

    const QString& text() const { return mText; }
    // Unique among every KeptSql made by the program.
    quint32 key() const { return mKey; }

private:
    QString mText;
    quint32 mKey;
};
