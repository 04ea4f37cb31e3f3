#include "waltail.h"

#include <QtEndian>

#include <algorithm>
#include <map>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype HeaderBytes = 32;
constexpr qsizetype FrameHeaderBytes = 24;
constexpr quint32 MagicLittleEndian = 0x377f0682;
constexpr quint32 MagicBigEndian = 0x377f0683;

quint32 bigEndianAt(const char* data) {
    return qFromBigEndian<quint32>(data);
}

// The log's running checksum over `size` bytes (a multiple of 8), read as
// 32-bit words in the byte order the log's magic number names.
void addChecksum(bool bigEndian, const char* data, qsizetype size, quint32 sum[2]) {
    for (qsizetype i = 0; i + 8 <= size; i += 8) {
        const quint32 first =
            bigEndian ? qFromBigEndian<quint32>(data + i) : qFromLittleEndian<quint32>(data + i);
        const quint32 second = bigEndian ? qFromBigEndian<quint32>(data + i + 4)
                                         : qFromLittleEndian<quint32>(data + i + 4);
        sum[0] += first + sum[1];
        sum[1] += second + sum[0];
    }
}

} // namespace

WalTail::WalTail(const QString& databasePath)
    : mLog(databasePath + u"-wal"_s) {}

bool WalTail::openLog() {
#ifndef Q_OS_WIN
    // A log deleted (its database closed by every connection) is read again
    // under its name, never from the old file.
    struct stat status {};
    if (mLog.isOpen() && (::fstat(mLog.handle(), &status) != 0 || status.st_nlink == 0))
        mLog.close();
#endif
    return mLog.isOpen() || mLog.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

std::optional<WalTail::Header> WalTail::readHeader() {
    if (!openLog() || !mLog.seek(0))
        return std::nullopt;
    const QByteArray bytes = mLog.read(HeaderBytes);
    if (bytes.size() != HeaderBytes)
        return std::nullopt;
    const char* data = bytes.constData();
    const quint32 magic = bigEndianAt(data);
    if (magic != MagicLittleEndian && magic != MagicBigEndian)
        return std::nullopt;
    Header header;
    header.bigEndian = magic == MagicBigEndian;
    header.pageSize = int(bigEndianAt(data + 8));
    header.salt[0] = bigEndianAt(data + 16);
    header.salt[1] = bigEndianAt(data + 20);
    header.checksum[0] = bigEndianAt(data + 24);
    header.checksum[1] = bigEndianAt(data + 28);
    quint32 sum[2] = {0, 0};
    addChecksum(header.bigEndian, data, 24, sum);
    if (header.pageSize < 512 || header.pageSize > 65536 || sum[0] != header.checksum[0] ||
        sum[1] != header.checksum[1])
        return std::nullopt;
    return header;
}

bool WalTail::walk(const Header& header, const QByteArray& bytes, Position& at,
                   QList<std::pair<int, QByteArray>>* pages) const {
    const qsizetype frameBytes = FrameHeaderBytes + header.pageSize;
    const qint64 start = at.offset;
    Position walked = at;
    std::map<int, qsizetype> written;   // page index: where its latest contents are
    std::map<int, qsizetype> committed; // the same, up to the last commit frame
    bool ended = false;
    for (qsizetype frame = walked.offset - start; frame + frameBytes <= bytes.size();
         frame += frameBytes) {
        const char* data = bytes.constData() + frame;
        // Another generation's frame or one not written whole: the log ends here.
        quint32 sum[2] = {walked.checksum[0], walked.checksum[1]};
        addChecksum(header.bigEndian, data, 8, sum);
        addChecksum(header.bigEndian, data + FrameHeaderBytes, header.pageSize, sum);
        ended = bigEndianAt(data + 8) != header.salt[0] ||
                bigEndianAt(data + 12) != header.salt[1] || sum[0] != bigEndianAt(data + 16) ||
                sum[1] != bigEndianAt(data + 20) || bigEndianAt(data) == 0;
        if (ended)
            break;
        const quint32 pageNumber = bigEndianAt(data);
        walked.checksum[0] = sum[0];
        walked.checksum[1] = sum[1];
        written[int(pageNumber - 1)] = frame + FrameHeaderBytes;
        if (const quint32 pageCount = bigEndianAt(data + 4); pageCount != 0) {
            walked.offset = start + frame + frameBytes;
            walked.pageCount = int(pageCount);
            for (const auto& [index, where] : written)
                committed[index] = where;
            written.clear();
            at = walked;
        }
    }
    if (pages) {
        for (const auto& [index, where] : committed) {
            if (index < at.pageCount)
                pages->append({index, QByteArray(bytes.constData() + where, header.pageSize)});
        }
    }
    return ended;
}

void WalTail::walkFrom(const Header& header, Position& at,
                       QList<std::pair<int, QByteArray>>* pages) {
    const qint64 frameBytes = FrameHeaderBytes + header.pageSize;
    QByteArray bytes;
    // A few frames first, more while they keep belonging to the log.
    for (qint64 frames = 16;; frames *= 2) {
        const QByteArray more = mLog.read(frames * frameBytes - bytes.size());
        bytes += more;
        Position walked = at;
        QList<std::pair<int, QByteArray>> found;
        const bool ended = walk(header, bytes, walked, pages ? &found : nullptr);
        if (ended || more.isEmpty() || bytes.size() < frames * frameBytes) {
            at = walked;
            if (pages)
                *pages = std::move(found);
            return;
        }
    }
}

void WalTail::mark() {
    mMarked = false;
    const std::optional<Header> header = readHeader();
    if (!header)
        return;
    Position at;
    at.offset = HeaderBytes;
    at.checksum[0] = header->checksum[0];
    at.checksum[1] = header->checksum[1];
    walkFrom(*header, at, nullptr);
    if (at.pageCount == 0)
        return;
    mHeader = *header;
    mAt = at;
    mMarked = true;
}

std::optional<WalTail::Commits> WalTail::read(int pageSize) {
    if (!mMarked)
        return std::nullopt;
    const std::optional<Header> header = readHeader();
    if (!header || header->bigEndian != mHeader.bigEndian || header->pageSize != pageSize ||
        header->pageSize != mHeader.pageSize || header->salt[0] != mHeader.salt[0] ||
        header->salt[1] != mHeader.salt[1] || header->checksum[0] != mHeader.checksum[0] ||
        header->checksum[1] != mHeader.checksum[1] || mLog.size() < mAt.offset ||
        !mLog.seek(mAt.offset)) {
        mMarked = false;
        return std::nullopt;
    }
    Commits commits;
    walkFrom(mHeader, mAt, &commits.pages);
    commits.pageCount = mAt.pageCount;
    return commits;
}

std::optional<PageImage> WalTail::readWhole(MeetDatabase& db, QString* error) {
    mark();
    return PageImage::read(db, error);
}

std::optional<QList<int>> WalTail::bringUpToDate(PageImage& image, MeetDatabase& db,
                                                 QString* error) {
    if (std::optional<Commits> commits = read(image.pageSize())) {
        const int pageCount = commits->pageCount != 0 ? commits->pageCount : image.pageCount();
        QList<std::pair<int, QByteArray>> differing;
        QList<int> changed;
        for (auto& [index, contents] : commits->pages) {
            if (index >= image.pageCount() || image.page(index) != contents) {
                changed.append(index);
                differing.append({index, std::move(contents)});
            }
        }
        // A page the database gained is written by the commit that adds it:
        // one missing says the log does not tell everything.
        const qsizetype gained =
            std::count_if(changed.cbegin(), changed.cend(),
                          [&image](int index) { return index >= image.pageCount(); });
        if (gained == std::max(0, pageCount - image.pageCount()) &&
            image.patch(pageCount, differing)) {
            ++mReadsFromLog;
            return changed;
        }
        mMarked = false;
    }
    std::optional<PageImage> whole = readWhole(db, error);
    if (!whole)
        return std::nullopt;
    QList<int> changed = whole->pagesDifferentFrom(image);
    image = std::move(*whole);
    return changed;
}

qint64 WalTail::frames() const {
    if (!mMarked)
        return 0;
    return (mAt.offset - HeaderBytes) / (FrameHeaderBytes + mHeader.pageSize);
}
