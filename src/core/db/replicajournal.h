#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <utility>

// The batches of pages a standby has received but not yet written into its
// copy of the meet file, written to a file beside the copy and synced before
// they are acknowledged: one small write and one sync per commit of the
// primary, where writing the copy itself rewrites it whole. The file is
// prepared with zeros ahead of the batches and keeps its length when started
// again, so that a batch overwrites blocks already on the disk and its sync
// writes the batch alone, not the file's new length as well. The copy is
// brought up to date from the journal later, in one transaction, and the
// journal started again on the copy's new contents.
//
// The journal begins with the digest of the copy it was started on, and is
// read only on top of a copy that holds exactly that: a journal beside
// another meet's file, or beside a copy that has already taken its batches,
// holds nothing for it. Each batch carries its length and a checksum that
// covers the number drawn when the journal started, so a batch cut short when
// the standby stopped (never acknowledged) is dropped, and so are the batches
// of an earlier start still further on in the file.
class ReplicaJournal {
public:
    struct Batch {
        int pageSize = 0;
        int pageCount = 0;
        QList<std::pair<int, QByteArray>> pages; // index from 0, contents
    };

    // The length the file is given with zeros when the journal starts: room
    // for what a standby gathers before it writes the batches into its copy.
    static constexpr qint64 PreparedBytes = 9 * 1024 * 1024;

    // The journal's file beside the meet file at `meetPath`.
    static QString pathFor(const QString& meetPath);
    // The digest that ties a journal to the copy's contents.
    static QByteArray digestOf(const QByteArray& fileImage);

    ReplicaJournal() = default;
    ReplicaJournal(const ReplicaJournal&) = delete;
    ReplicaJournal& operator=(const ReplicaJournal&) = delete;

    // Opens (or creates) the journal beside `meetPath`. False with `error`.
    bool open(const QString& meetPath, QString* error);
    void close() { mFile.close(); }
    bool isOpen() const { return mFile.isOpen(); }
    // Closes and deletes the journal's file.
    void remove();

    // The whole batches held for a copy whose contents have `digest`, oldest first.
    QList<Batch> batchesFor(const QByteArray& digest);
    // Empties the journal and ties it to a copy whose contents have `digest`.
    bool restart(const QByteArray& digest, QString* error);
    // Writes a batch after the last one and syncs it to the disk.
    bool append(int pageSize, int pageCount, const QList<std::pair<int, QByteArray>>& pages,
                QString* error);
    // The batches appended since the last restart.
    int batchCount() const { return mBatches; }
    // Where the batches end (the zeros prepared after them not counted).
    qint64 size() const { return mFile.isOpen() ? mEnd : 0; }

private:
    bool sync(QString* error);

    QFile mFile;
    QByteArray mNonce;
    qint64 mEnd = 0; // 0 until the journal is started
    int mBatches = 0;
};
