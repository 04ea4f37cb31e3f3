#include "pageimage.h"

#include "meetdatabase.h"
#include "sqlitestatement.h"

#include <QCryptographicHash>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

// Bytes 16 and 17 of the header, big-endian; 1 stands for 65536.
int pageSizeOf(const QByteArray& bytes) {
    if (bytes.size() < 100)
        return 0;
    const int size = (uchar(bytes[16]) << 8) | uchar(bytes[17]);
    return size == 1 ? 65536 : size;
}

} // namespace

PageImage::PageImage(QByteArray bytes)
    : mBytes(std::move(bytes))
    , mPageSize(pageSizeOf(mBytes)) {
    if (mPageSize == 0 || mBytes.size() % mPageSize != 0) {
        mBytes.clear();
        mPageSize = 0;
    }
}

std::optional<PageImage> PageImage::read(MeetDatabase& db, QString* error) {
    return read(SqliteStatement::handleOf(db.connection()), error);
}

std::optional<PageImage> PageImage::read(sqlite3* connection, QString* error) {
    if (!connection) {
        *error = u"No meet file is open."_s;
        return std::nullopt;
    }
    sqlite3_int64 size = 0;
    unsigned char* data = sqlite3_serialize(connection, "main", &size, 0);
    if (!data) {
        // An empty file serializes to nothing at all.
        if (sqlite3_errcode(connection) == SQLITE_OK)
            return PageImage();
        *error = QString::fromUtf8(sqlite3_errmsg(connection));
        return std::nullopt;
    }
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    sqlite3_free(data);
    PageImage image(std::move(bytes));
    if (image.isEmpty() && size != 0) {
        *error = u"The database file has no valid page size."_s;
        return std::nullopt;
    }
    return image;
}

QByteArrayView PageImage::page(int index) const {
    return QByteArrayView(mBytes).sliced(qsizetype(index) * mPageSize, mPageSize);
}

QList<int> PageImage::pagesDifferentFrom(const PageImage& older) const {
    QList<int> changed;
    const int count = pageCount();
    const bool comparable = older.pageSize() == mPageSize;
    for (int i = 0; i < count; ++i) {
        if (!comparable || i >= older.pageCount() ||
            std::memcmp(page(i).data(), older.page(i).data(), size_t(mPageSize)) != 0)
            changed.append(i);
    }
    return changed;
}

QList<QByteArray> PageImage::pageDigests() const {
    QList<QByteArray> digests;
    digests.reserve(pageCount());
    for (int i = 0; i < pageCount(); ++i)
        digests.append(QCryptographicHash::hash(page(i), QCryptographicHash::Sha256));
    return digests;
}

QList<int> PageImage::pagesDifferentFrom(const QList<QByteArray>& digests) const {
    QList<int> changed;
    for (int i = 0; i < pageCount(); ++i) {
        if (i >= digests.size() ||
            QCryptographicHash::hash(page(i), QCryptographicHash::Sha256) != digests[i])
            changed.append(i);
    }
    return changed;
}

bool PageImage::fits(int pageCount, const QList<std::pair<int, QByteArray>>& pages) const {
    if (mPageSize == 0 || pageCount < 1)
        return false;
    return std::all_of(pages.cbegin(), pages.cend(), [this, pageCount](const auto& page) {
        return page.first >= 0 && page.first < pageCount && page.second.size() == mPageSize &&
               (page.first != 0 || pageSizeOf(page.second) == mPageSize);
    });
}

bool PageImage::patch(int pageCount, const QList<std::pair<int, QByteArray>>& pages) {
    if (!fits(pageCount, pages))
        return false;
    mBytes.resize(qsizetype(pageCount) * mPageSize, 0);
    for (const auto& [index, contents] : pages)
        std::memcpy(mBytes.data() + qsizetype(index) * mPageSize, contents.constData(),
                    size_t(mPageSize));
    return true;
}

std::optional<PageImage> PageImage::patched(const PageImage& base, int pageSize, int pageCount,
                                            const QList<std::pair<int, QByteArray>>& pages) {
    if (pageSize < 512 || pageSize > 65536 || pageCount < 1)
        return std::nullopt;
    QByteArray bytes =
        base.pageSize() == pageSize ? base.bytes() : QByteArray(qsizetype(pageCount) * pageSize, 0);
    bytes.resize(qsizetype(pageCount) * pageSize, 0);
    for (const auto& [index, contents] : pages) {
        if (index < 0 || index >= pageCount || contents.size() != pageSize)
            return std::nullopt;
        std::memcpy(bytes.data() + qsizetype(index) * pageSize, contents.constData(),
                    size_t(pageSize));
    }
    PageImage image(std::move(bytes));
    if (image.pageSize() != pageSize)
        return std::nullopt;
    return image;
}
