#pragma once

#include "pageimage.h"

#include <QString>

struct sqlite3;

// A standby's copy of another Tallvane's meet file. Each image received is
// written with the engine's backup into the file in one transaction, with
// write-ahead logging and full sync like any meet file: whenever the standby
// stops, the file is a valid meet file holding a state the primary committed.
// The image last written is kept in memory, so the next one needs only the
// pages that changed.
class ReplicaFile {
public:
    ReplicaFile() = default;
    ~ReplicaFile();
    ReplicaFile(const ReplicaFile&) = delete;
    ReplicaFile& operator=(const ReplicaFile&) = delete;

    // Opens (or creates) the file and reads what it holds. False with `error`.
    bool open(const QString& path, QString* error);
    void close();
    bool isOpen() const { return mConnection != nullptr; }

    // What the file holds now (empty for a new file).
    const PageImage& image() const { return mImage; }
    // Replaces the whole file with `image` in one synced transaction.
    bool write(const PageImage& image, QString* error);

private:
    bool useWriteAheadLog(QString* error);

    sqlite3* mConnection = nullptr;
    PageImage mImage;
};
