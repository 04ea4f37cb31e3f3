#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <utility>

// The batches of pages a standby has received but not yet written into its
// copy of the meet file, appended to a file beside the copy and synced before
// they are acknowledged: one small append and one sync per commit of the
// primary, where writing the copy itself rewrites it whole. The copy is
// brought up to date from the journal later, in one transaction, and the
// journal started again on the copy's new contents.
//
// The journal begins with the digest of the copy it was started on, and is
// read only on top of a copy that holds exactly that: a journal beside
// another meet's file, or beside a copy that has already taken its batches,
// holds nothing for it. Each batch carries its length and checksum, so a
// batch cut short when the standby stopped (never acknowledged) is dropped.
class ReplicaJournal {
public:
    struct Batch {
        int pageSize = 0;
        int pageCount = 0;
        QList<std::pair<int, QByteArray>> pages; // index from 0, contents
    };

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
    // Appends a batch and syncs it to the disk.
    bool append(int pageSize, int pageCount, const QList<std::pair<int, QByteArray>>& pages,
                QString* error);
    // The batches appended since the last restart.
    int batchCount() const { return mBatches; }
    qint64 size() const { return mFile.isOpen() ? mFile.size() : 0; }

private:
    bool sync(QString* error);

    QFile mFile;
    int mBatches = 0;
};
