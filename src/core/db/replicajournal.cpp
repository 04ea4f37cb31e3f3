#include "replicajournal.h"

#include "disksync.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray Magic = QByteArrayLiteral("Tallvane standby pages 2\n");
constexpr qsizetype DigestBytes = 32;
// Drawn anew each time the journal starts again, and part of each batch's
// checksum: batches of an earlier start, still in the file past the new
// ones, are no batches of this one.
constexpr qsizetype NonceBytes = 8;
constexpr qsizetype HeadBytes = 25 + DigestBytes + NonceBytes;
// Length and checksum before each batch.
constexpr qsizetype BatchHead = 8;
constexpr qsizetype MaxBatchBytes = qsizetype(1) << 30;

void putInt(QByteArray& bytes, quint32 value) {
    const quint32 little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

quint32 intAt(const char* data) {
    return qFromLittleEndian<quint32>(data);
}

quint32 checksumOf(const QByteArray& nonce, const char* data, qsizetype size) {
    const uLong seeded =
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(nonce.constData()),
              uInt(nonce.size()));
    return quint32(crc32(seeded, reinterpret_cast<const Bytef*>(data), uInt(size)));
}

// Zeros written up to `size` (never a hole: a sync of a block written before
// needs no change of the file's layout on the disk).
bool fillTo(QFile& file, qint64 size) {
    constexpr qint64 Chunk = 256 * 1024;
    const QByteArray zeros(Chunk, 0);
    for (qint64 at = file.size(); at < size; at += Chunk) {
        if (!file.seek(at) || file.write(zeros.constData(), std::min(Chunk, size - at)) < 0)
            return false;
    }
    return true;
}

// The folder entry of a new file is synced too, so the file is there after a power cut.
void syncFolderOf(const QString& path) {
#ifndef Q_OS_WIN
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
#else
    Q_UNUSED(path);
#endif
}

// One batch's contents, or std::nullopt when they do not add up.
std::optional<ReplicaJournal::Batch> batchFrom(const char* data, qsizetype size) {
    if (size < 12)
        return std::nullopt;
    ReplicaJournal::Batch batch;
    batch.pageSize = int(intAt(data));
    batch.pageCount = int(intAt(data + 4));
    const qsizetype count = intAt(data + 8);
    if (batch.pageSize < 512 || batch.pageSize > 65536 ||
        size != 12 + count * (4 + qsizetype(batch.pageSize)))
        return std::nullopt;
    const char* at = data + 12;
    batch.pages.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        batch.pages.append({int(intAt(at)), QByteArray(at + 4, batch.pageSize)});
        at += 4 + batch.pageSize;
    }
    return batch;
}

} // namespace

QString ReplicaJournal::pathFor(const QString& meetPath) {
    return meetPath + u"-standby"_s;
}

QByteArray ReplicaJournal::digestOf(const QByteArray& fileImage) {
    return QCryptographicHash::hash(fileImage, QCryptographicHash::Sha256);
}

bool ReplicaJournal::open(const QString& meetPath, QString* error) {
    close();
    mBatches = 0;
    mEnd = 0;
    mFile.setFileName(pathFor(meetPath));
    const bool existed = mFile.exists();
    if (!mFile.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        *error = mFile.errorString();
        return false;
    }
    if (!existed)
        syncFolderOf(mFile.fileName());
    return true;
}

void ReplicaJournal::remove() {
    if (mFile.fileName().isEmpty())
        return;
    close();
    QFile::remove(mFile.fileName());
    mBatches = 0;
    mEnd = 0;
}

QList<ReplicaJournal::Batch> ReplicaJournal::batchesFor(const QByteArray& digest) {
    QList<Batch> batches;
    if (!mFile.isOpen() || !mFile.seek(0))
        return batches;
    const QByteArray bytes = mFile.readAll();
    if (bytes.size() < HeadBytes || !bytes.startsWith(Magic) ||
        bytes.mid(Magic.size(), DigestBytes) != digest)
        return batches;
    const QByteArray nonce = bytes.mid(Magic.size() + DigestBytes, NonceBytes);
    qsizetype at = HeadBytes;
    while (bytes.size() - at >= BatchHead) {
        const qsizetype length = intAt(bytes.constData() + at);
        const quint32 checksum = intAt(bytes.constData() + at + 4);
        // The zeros that follow the last batch end the journal too.
        if (length == 0 || length > MaxBatchBytes || bytes.size() - at - BatchHead < length ||
            checksumOf(nonce, bytes.constData() + at + BatchHead, length) != checksum)
            break;
        const std::optional<Batch> batch = batchFrom(bytes.constData() + at + BatchHead, length);
        if (!batch)
            break;
        batches.append(*batch);
        at += BatchHead + length;
    }
    return batches;
}

bool ReplicaJournal::restart(const QByteArray& digest, QString* error) {
    mBatches = 0;
    mEnd = 0;
    if (!mFile.isOpen()) {
        *error = u"The standby's journal is not open."_s;
        return false;
    }
    // The file keeps its length, so that a batch and its sync only overwrite
    // blocks already there; its first batches wait in zeros written now.
    mNonce.resize(NonceBytes);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(mNonce.data()),
                                          NonceBytes / sizeof(quint32));
    const QByteArray head = Magic + digest + mNonce;
    if (!fillTo(mFile, PreparedBytes) || !mFile.seek(0) || mFile.write(head) != head.size()) {
        *error = mFile.errorString();
        return false;
    }
    if (!sync(error))
        return false;
    mEnd = head.size();
    return true;
}

bool ReplicaJournal::append(int pageSize, int pageCount,
                            const QList<std::pair<int, QByteArray>>& pages, QString* error) {
    if (mEnd == 0) {
        *error = u"The standby's journal was not started."_s;
        return false;
    }
    const qsizetype length = 12 + pages.size() * (4 + qsizetype(pageSize));
    QByteArray bytes;
    bytes.reserve(BatchHead + length);
    putInt(bytes, quint32(length));
    putInt(bytes, 0); // the checksum, once the batch is written out
    putInt(bytes, quint32(pageSize));
    putInt(bytes, quint32(pageCount));
    putInt(bytes, quint32(pages.size()));
    for (const auto& [index, contents] : pages) {
        putInt(bytes, quint32(index));
        bytes.append(contents);
    }
    const quint32 checksum = qToLittleEndian(
        checksumOf(mNonce, bytes.constData() + BatchHead, bytes.size() - BatchHead));
    std::memcpy(bytes.data() + 4, &checksum, sizeof checksum);
    if (!mFile.seek(mEnd) || mFile.write(bytes) != bytes.size()) {
        *error = mFile.errorString();
        return false;
    }
    if (!sync(error))
        return false;
    mEnd += bytes.size();
    ++mBatches;
    return true;
}

bool ReplicaJournal::sync(QString* error) {
    const bool synced = DiskSync::dataOf(mFile);
    if (!synced)
        *error = u"The standby's journal could not be written to the disk."_s;
    return synced;
}
