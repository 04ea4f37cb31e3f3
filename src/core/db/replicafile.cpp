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
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &mConnection,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        *error = mConnection ? messageOf(mConnection) : u"out of memory"_s;
        close();
        return false;
    }
    sqlite3_busy_timeout(mConnection, 5000);
    if (!run(mConnection, "PRAGMA synchronous=FULL", error)) {
        close();
        return false;
    }
    if (existed && !useWriteAheadLog(error)) {
        close();
        return false;
    }
    std::optional<PageImage> image = PageImage::read(mConnection, error);
    if (!image) {
        close();
        return false;
    }
    mImage = std::move(*image);
    return true;
}

bool ReplicaFile::useWriteAheadLog(QString* error) {
    if (!run(mConnection, "PRAGMA journal_mode=WAL", error))
        return false;
    // Set per connection in the log's mode as in the other.
    return run(mConnection, "PRAGMA synchronous=FULL", error);
}

void ReplicaFile::close() {
    if (mConnection)
        sqlite3_close(mConnection);
    mConnection = nullptr;
    mImage = PageImage();
}

bool ReplicaFile::write(const PageImage& image, QString* error) {
    if (!mConnection) {
        *error = u"The standby's meet file is not open."_s;
        return false;
    }
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
