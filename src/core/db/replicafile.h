#pragma once

#include "pageimage.h"
#include "replicajournal.h"

#include <QString>

#include <utility>

struct sqlite3;

// A standby's copy of another Tallvane's meet file. Each batch of pages
// received is appended to a journal beside the file and synced (write()),
// which is all a confirmation waits for; the file itself is brought up to
// date from the journal afterwards (applyPending(), and on close), with the
// engine's backup in one transaction, write-ahead logging and full sync like
// any meet file. Whenever the standby stops, the file is a valid meet file
// holding a state the primary committed, and the file with its journal holds
// every batch acknowledged: the next open() applies what the journal holds.
// The image last received is kept in memory, so the next one needs only the
// pages that changed. Whoever opens it holds the copy's lock
// (MeetFiles::lockMeetFile) meanwhile, so that nothing else takes its journal.
class ReplicaFile {
public:
    ReplicaFile() = default;
    ~ReplicaFile();
    ReplicaFile(const ReplicaFile&) = delete;
    ReplicaFile& operator=(const ReplicaFile&) = delete;

    // Opens (or creates) the file, applies what its journal holds, and reads
    // what it holds then. False with `error`.
    bool open(const QString& path, QString* error);
    // Applies what the journal holds and closes the file; the journal goes
    // once the file holds it all. False when it stays for the next open.
    bool close(QString* error = nullptr);
    bool isOpen() const { return mConnection != nullptr; }

    // Brings the meet file at `path` up to date from a journal left beside
    // it by a standby that stopped, before the file is opened as a meet.
    // True when there was nothing to do; false with `error`.
    static bool applyLeftJournal(const QString& path, QString* error);

    // What the file and its journal hold now (empty for a new file).
    const PageImage& image() const { return mImage; }
    // Writes the pages (index, contents) over what is held, cut or grown to
    // `pageCount` pages of `pageSize`, on the disk before it returns.
    bool write(int pageSize, int pageCount, const QList<std::pair<int, QByteArray>>& pages,
               QString* error);
    // The batches held in the journal that the file does not hold yet.
    int pendingBatches() const { return mJournal.batchCount(); }
    qint64 pendingBytes() const { return mJournal.size(); }
    // Writes what the journal holds into the file, and starts the journal again.
    bool applyPending(QString* error);

private:
    bool useWriteAheadLog(QString* error);
    // Replaces the whole file with `image` in one synced transaction.
    bool writeWhole(const PageImage& image, QString* error);
    // Ties an empty journal to what the file holds now.
    bool restartJournal(QString* error);

    sqlite3* mConnection = nullptr;
    ReplicaJournal mJournal;
    bool mJournalReady = false; // the journal is tied to what the file holds
    PageImage mImage;
};
