#include "replicaprotocol.h"

#include <QDataStream>
#include <QIODevice>

namespace ReplicaProtocol {

namespace {

constexpr quint8 HaveTag = 'H';
constexpr quint8 PagesTag = 'P';

} // namespace

QByteArray encodeHave(const QList<QByteArray>& digests) {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << HaveTag << digests;
    return bytes;
}

std::optional<QList<QByteArray>> decodeHave(const QByteArray& message) {
    QDataStream stream(message);
    stream.setVersion(QDataStream::Qt_6_4);
    quint8 tag = 0;
    QList<QByteArray> digests;
    stream >> tag >> digests;
    if (tag != HaveTag || stream.status() != QDataStream::Ok || !stream.atEnd())
        return std::nullopt;
    return digests;
}

QByteArray encodePages(quint64 generation, const PageImage& image, const QList<int>& indexes) {
    QByteArray bytes;
    bytes.reserve(qsizetype(indexes.size()) * (image.pageSize() + 8) + 32);
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << PagesTag << generation << qint32(image.pageSize()) << qint32(image.pageCount())
           << qint32(indexes.size());
    for (const int index : indexes) {
        const QByteArrayView page = image.page(index);
        stream << qint32(index);
        stream.writeRawData(page.data(), int(page.size()));
    }
    return bytes;
}

std::optional<Pages> decodePages(const QByteArray& message) {
    QDataStream stream(message);
    stream.setVersion(QDataStream::Qt_6_4);
    quint8 tag = 0;
    Pages pages;
    qint32 pageSize = 0;
    qint32 pageCount = 0;
    qint32 count = 0;
    stream >> tag >> pages.generation >> pageSize >> pageCount >> count;
    if (tag != PagesTag || stream.status() != QDataStream::Ok || pageSize < 512 ||
        pageSize > 65536 || count < 0 || count > pageCount)
        return std::nullopt;
    pages.pageSize = pageSize;
    pages.pageCount = pageCount;
    pages.pages.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        qint32 index = -1;
        stream >> index;
        QByteArray contents(pageSize, Qt::Uninitialized);
        if (stream.readRawData(contents.data(), pageSize) != pageSize)
            return std::nullopt;
        pages.pages.append({index, std::move(contents)});
    }
    if (stream.status() != QDataStream::Ok || !stream.atEnd())
        return std::nullopt;
    return pages;
}

} // namespace ReplicaProtocol
