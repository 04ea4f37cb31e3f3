#pragma once

#include "db/meetdatabase.h"

#include <QTemporaryDir>

// A temporary data folder holding real meet files, removed with the object.
class TempMeet {
public:
    TempMeet();

    QString folder() const { return mDir.path(); }
    QString path(const QString& fileName) const { return mDir.filePath(fileName); }

    // Creates an empty meet file (full schema) and returns its path.
    QString createMeetFile(const QString& fileName = QStringLiteral("meet.tallvane"));

    // Creates a small meet: one Meets row (3 judges), two sessions, two gyms,
    // levels, age groups and a handful of gymnasts. Returns its path.
    QString createSampleMeet(const QString& fileName = QStringLiteral("sample.tallvane"));

    // Runs one statement on a meet file no one holds open; a failure ends the run.
    static void change(const QString& file, const QString& sql);

private:
    QTemporaryDir mDir;
};
