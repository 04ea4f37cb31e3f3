#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What an import did: every record it could not store with the reason, the
// tables the file lacked, and anything else in the file that was skipped.
struct ImportReport {
    struct Refused {
        QString record; // "Gyms-0003"
        qint64 line = 0;
        QString reason;
    };

    QString error; // the import could not run; nothing was stored
    qint64 storedRecords = 0;
    QList<Refused> refused;
    QStringList missingTables;
    QStringList problems;

    bool ran() const { return error.isEmpty(); }
    // Every record of a whole file was stored.
    bool complete() const {
        return ran() && refused.isEmpty() && missingTables.isEmpty() && problems.isEmpty();
    }
    // One text for the operator listing everything that went wrong, one line each.
    QString details() const;
};
