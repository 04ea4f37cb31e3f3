#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// Builds transfer files for tests, line by line in Windows-1252 with CR LF.
namespace TransferFiles {

// A record section holding every column of the table in schema order; the
// columns named in `values` get those texts, Booleans default to False and all
// others are empty.
QByteArray record(const QString& table, int number, const QHash<QString, QString>& values = {});
// The same with the values given as "Column=text|Column=text" (a later one wins).
QByteArray record(const QString& table, int number, const QString& values);

// A whole file of version 4.0: the header, then for each of the twelve tables
// its records (as given, by table name) and its trailer.
QByteArray file(const QHash<QString, QList<QByteArray>>& records);

// Writes bytes to a file; fails the test when it cannot.
void write(const QString& path, const QByteArray& bytes);
QByteArray read(const QString& path);

} // namespace TransferFiles
