#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Comma-separated values as spreadsheets read them: a field in quotes when it
// holds a separator, a quote or a line break, each row ended by CR LF, the
// whole in UTF-8.
class CsvText {
public:
    void addRow(const QStringList& fields);
    QByteArray toUtf8() const;

    static QString field(const QString& text);

private:
    QString mText;
};
