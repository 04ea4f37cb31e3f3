#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

class MeetDatabase;
struct sqlite3;

// The whole of a database file as one consistent snapshot of its pages, read
// through a connection (the engine's serialization of its main database), so
// a commit under way is either wholly in it or not at all. A standby holds
// the same pages as the primary: comparing images page by page says what to
// send.
class PageImage {
public:
    PageImage() = default;
    explicit PageImage(QByteArray bytes);

    // The snapshot of the meet file open on `db`, or std::nullopt with `error`.
    static std::optional<PageImage> read(MeetDatabase& db, QString* error);
    static std::optional<PageImage> read(sqlite3* connection, QString* error);

    // The page size from the file header (0 for an empty image).
    int pageSize() const { return mPageSize; }
    int pageCount() const { return mPageSize == 0 ? 0 : int(mBytes.size() / mPageSize); }
    // Page `index`, counted from 0 (the engine counts from 1).
    QByteArrayView page(int index) const;
    const QByteArray& bytes() const { return mBytes; }
    bool isEmpty() const { return mBytes.isEmpty(); }

    // The pages of this image that differ from `older` (or that it lacks),
    // counted from 0.
    QList<int> pagesDifferentFrom(const PageImage& older) const;
    // A digest of each page, for comparing images held on two machines.
    QList<QByteArray> pageDigests() const;
    // The pages whose digest differs from `digests` (or that it lacks).
    QList<int> pagesDifferentFrom(const QList<QByteArray>& digests) const;

    // Writes `pages` (index, contents) over this image where it is, cut or
    // grown to `pageCount` pages of its page size; false, and the image as it
    // was, when they do not fit. Only the pages written are copied.
    bool patch(int pageCount, const QList<std::pair<int, QByteArray>>& pages);
    // Whether patch() would take them.
    bool fits(int pageCount, const QList<std::pair<int, QByteArray>>& pages) const;
    // This image with `pages` (index, contents) written over it, cut or
    // grown to `pageCount` pages of `pageSize`; std::nullopt when they do not fit.
    static std::optional<PageImage> patched(const PageImage& base, int pageSize, int pageCount,
                                            const QList<std::pair<int, QByteArray>>& pages);

private:
    QByteArray mBytes;
    int mPageSize = 0;
};
