#pragma once

#include "pageimage.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

class MeetDatabase;

// Reads the commits a database's write-ahead log gained since the last look,
// straight from the log file: the pages each commit wrote and the size the
// database has after it. What a commit changed is then known from the log's
// few new frames instead of a comparison of the whole database.
//
// The log is trusted only while it adds up: the same header (page size and
// salts) as when it was marked, every frame with the header's salts and a
// checksum that follows on from the frame before it. A log that was started
// again (its salts change each time) or cut short, a frame that does not add
// up, or a log never marked gives std::nullopt, and the caller compares whole
// images once more and marks the log again. Frames after the last commit frame
// (a transaction still being written) wait for the next read.
class WalTail {
public:
    struct Commits {
        // The database's size in pages after the last commit read; 0 when no
        // commit frame was seen since the mark.
        int pageCount = 0;
        // The latest contents of each page written, index from 0, ascending.
        QList<std::pair<int, QByteArray>> pages;
    };

    // The log of the database at `databasePath` (its "-wal" file).
    explicit WalTail(const QString& databasePath);
    WalTail(const WalTail&) = delete;
    WalTail& operator=(const WalTail&) = delete;

    // Takes the log's last commit as where the next read() starts. Taken just
    // before a whole image of the database is read, the commits that read()
    // gives then, applied to that image, bring it up to date: re-applying
    // commits the image already holds changes nothing. A log without a commit
    // frame leaves the tail unmarked.
    void mark();
    void forget() { mMarked = false; }
    bool isMarked() const { return mMarked; }

    // The pages written by the commits since the mark or the last read, for a
    // database of `pageSize`; std::nullopt when the log cannot say (see above).
    std::optional<Commits> read(int pageSize);

    // `image`, the database as the last call left it, brought up to the
    // database open on `db` as committed now: from the log when it adds up,
    // else read whole (the log marked first). The pages that changed;
    // std::nullopt with `error` when the database could not be read.
    std::optional<QList<int>> bringUpToDate(PageImage& image, MeetDatabase& db, QString* error);
    // The database open on `db` read whole, the log marked just before.
    std::optional<PageImage> readWhole(MeetDatabase& db, QString* error);
    // How many bringUpToDate() took from the log alone.
    qint64 readsFromLog() const { return mReadsFromLog; }

    // Frames in the log up to the last commit read.
    qint64 frames() const;

private:
    struct Position {
        qint64 offset = 0;
        quint32 checksum[2] = {0, 0};
        int pageCount = 0;
    };
    struct Header {
        bool bigEndian = false;
        int pageSize = 0;
        quint32 salt[2] = {0, 0};
        quint32 checksum[2] = {0, 0};
    };

    bool openLog();
    std::optional<Header> readHeader();
    // Walks the frames in `bytes` (read from `at.offset`) from `at`; moves
    // `at` past the last commit frame and collects the pages up to it. True
    // when a frame that does not belong ended the walk before the bytes did.
    bool walk(const Header& header, const QByteArray& bytes, Position& at,
              QList<std::pair<int, QByteArray>>* pages) const;
    // Reads and walks the log from `at` to the end of its frames: the file
    // keeps the frames of earlier generations after them, which are not read.
    void walkFrom(const Header& header, Position& at, QList<std::pair<int, QByteArray>>* pages);

    QFile mLog;
    bool mMarked = false;
    Header mHeader;
    Position mAt;
    qint64 mReadsFromLog = 0;
};
