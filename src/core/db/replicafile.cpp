#include "replicafile.h"

#include <sqlite3.h>

#include <QFile>

#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

QString messageOf(sqlite3* connection) {
    return QString::fromUtf8(sqlite3_errmsg(connection));
}

bool run(sqlite3* connection, const char* sql, QString* error) {
    if (sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    *error = messageOf(connection);
    return false;
}

// An in-memory database holding `image`, to copy from with the backup.
sqlite3* memoryDatabase(const PageImage& image, QString* error) {
    sqlite3* memory = nullptr;
    if (sqlite3_open(":memory:", &memory) != SQLITE_OK) {
        *error = memory ? messageOf(memory) : u"out of memory"_s;
        sqlite3_close(memory);
        return nullptr;
    }
    const auto size = sqlite3_int64(image.bytes().size());
    auto* data = static_cast<unsigned char*>(sqlite3_malloc64(sqlite3_uint64(size)));
    if (!data) {
        sqlite3_close(memory);
        *error = u"out of memory"_s;
        return nullptr;
    }
    std::memcpy(data, image.bytes().constData(), size_t(size));
    // A memory database keeps no write-ahead log: the header says "rollback
    // journal" here, and the backup marks the copy for the log again.
    data[18] = 1;
    data[19] = 1;
    if (sqlite3_deserialize(memory, "main", data, size, size,
                            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE) !=
        SQLITE_OK) {
        *error = messageOf(memory);
        sqlite3_close(memory);
        return nullptr;
    }
    return memory;
}

} // namespace

ReplicaFile::~ReplicaFile() {
    close();
}

bool ReplicaFile::open(const QString& path, QString* error) {
    close();
    const bool existed = QFile::exists(path);
    // Whatever the journal holds stays for the next try.
    const auto fail = [this] {
        mJournal.close();
        sqlite3_close(mConnection);
        mConnection = nullptr;
        mJournalReady = false;
        mImage = PageImage();
        return false;
    };
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &mConnection,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        *error = mConnection ? messageOf(mConnection) : u"out of memory"_s;
        return fail();
    }
    sqlite3_busy_timeout(mConnection, 5000);
    if (!run(mConnection, "PRAGMA synchronous=FULL", error))
        return fail();
    if (existed && !useWriteAheadLog(error))
        return fail();
    std::optional<PageImage> image = PageImage::read(mConnection, error);
    if (!image || !mJournal.open(path, error))
        return fail();
    mImage = std::move(*image);
    if (mImage.isEmpty())
        return true;
    // What was acknowledged before the standby stopped goes into the file now.
    const QList<ReplicaJournal::Batch> batches =
        mJournal.batchesFor(ReplicaJournal::digestOf(mImage.bytes()));
    if (!batches.isEmpty()) {
        PageImage held = mImage;
        for (const ReplicaJournal::Batch& batch : batches) {
            std::optional<PageImage> next =
                PageImage::patched(held, batch.pageSize, batch.pageCount, batch.pages);
            if (!next) {
                *error = u"The standby's journal beside %1 is damaged."_s.arg(path);
                return fail();
            }
            held = std::move(*next);
        }
        if (!writeWhole(held, error))
            return fail();
    }
    if (!restartJournal(error))
        return fail();
    return true;
}

bool ReplicaFile::useWriteAheadLog(QString* error) {
    if (!run(mConnection, "PRAGMA journal_mode=WAL", error))
        return false;
    // Set per connection in the log's mode as in the other.
    return run(mConnection, "PRAGMA synchronous=FULL", error);
}

bool ReplicaFile::close(QString* error) {
    if (!mConnection) {
        mJournal.close();
        return true;
    }
    QString why;
    const bool applied = applyPending(&why);
    sqlite3_close(mConnection);
    mConnection = nullptr;
    mJournalReady = false;
    mImage = PageImage();
    // A journal whose batches the file lacks stays for the next open.
    if (applied)
        mJournal.remove();
    else
        mJournal.close();
    if (!applied && error)
        *error = why;
    return applied;
}

bool ReplicaFile::applyLeftJournal(const QString& path, QString* error) {
    if (!QFile::exists(ReplicaJournal::pathFor(path)) || !QFile::exists(path))
        return true;
    ReplicaFile file;
    return file.open(path, error) && file.close(error);
}

bool ReplicaFile::write(int pageSize, int pageCount, const QList<std::pair<int, QByteArray>>& pages,
                        QString* error) {
    if (!mConnection) {
        *error = u"The standby's meet file is not open."_s;
        return false;
    }
    // The usual batch: into the journal, then over the image held, in place.
    if (mJournalReady && pageSize == mImage.pageSize()) {
        if (!mImage.fits(pageCount, pages)) {
            *error = u"The pages received do not fit together."_s;
            return false;
        }
        if (!mJournal.append(pageSize, pageCount, pages, error)) {
            // What follows a batch cut short would never be read: the next
            // batch goes into the file itself.
            mJournalReady = false;
            return false;
        }
        mImage.patch(pageCount, pages);
        return true;
    }
    std::optional<PageImage> image = PageImage::patched(mImage, pageSize, pageCount, pages);
    if (!image) {
        *error = u"The pages received do not fit together."_s;
        return false;
    }
    if (!writeWhole(*image, error))
        return false;
    QString why;
    // Without a journal the next batch goes into the file again.
    restartJournal(&why);
    return true;
}

bool ReplicaFile::applyPending(QString* error) {
    if (!mConnection || mJournal.batchCount() == 0)
        return true;
    return writeWhole(mImage, error) && restartJournal(error);
}

bool ReplicaFile::restartJournal(QString* error) {
    mJournalReady = false;
    std::optional<PageImage> held = PageImage::read(mConnection, error);
    if (!held || !mJournal.restart(ReplicaJournal::digestOf(held->bytes()), error))
        return false;
    mJournalReady = true;
    return true;
}

bool ReplicaFile::writeWhole(const PageImage& image, QString* error) {
    if (image.isEmpty()) {
        *error = u"An empty image cannot be written."_s;
        return false;
    }
    sqlite3* memory = memoryDatabase(image, error);
    if (!memory)
        return false;
    // A file that holds nothing yet takes the page size of the first image
    // (in the log's mode the size cannot change): it is written with a
    // rollback journal once, then switched to the log.
    const bool fresh = mImage.isEmpty();
    bool ok = false;
    if (sqlite3_backup* backup = sqlite3_backup_init(mConnection, "main", memory, "main")) {
        const int stepped = sqlite3_backup_step(backup, -1);
        const int finished = sqlite3_backup_finish(backup);
        ok = stepped == SQLITE_DONE && finished == SQLITE_OK;
    }
    if (!ok)
        *error = messageOf(mConnection);
    sqlite3_close(memory);
    if (!ok)
        return false;
    if (fresh && !useWriteAheadLog(error))
        return false;
    mImage = image;
    return true;
}
