#include "httprequest.h"

#include <algorithm>

namespace {

bool isToken(QByteArrayView text) {
    static constexpr QByteArrayView Separators = "()<>@,;:\\\"/[]?={} \t";
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) {
        return c > 0x20 && c < 0x7f && !Separators.contains(c);
    });
}

// Whether the comma-separated list `values` holds `word`, in any case.
bool listHolds(QByteArrayView values, QByteArrayView word) {
    for (const QByteArrayView item : QByteArray(values.toByteArray()).split(',')) {
        if (item.trimmed().compare(word, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QByteArray HttpRequest::value(QByteArrayView name) const {
    for (const auto& [key, value] : headers) {
        if (key == name)
            return value;
    }
    return {};
}

bool HttpRequest::hasHeader(QByteArrayView name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [name](const auto& header) { return header.first == name; });
}

bool HttpRequest::keepsAlive() const {
    const QByteArray connection = value("connection");
    if (listHolds(connection, "close"))
        return false;
    return minorVersion >= 1 || listHolds(connection, "keep-alive");
}

bool HttpRequest::isWebSocketUpgrade() const {
    return value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
}

qint64 HttpRequest::contentLength() const {
    const QByteArray text = value("content-length");
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(),
                                                       [](char c) { return c >= '0' && c <= '9'; });
    bool ok = false;
    const qint64 length = digits ? text.toLongLong(&ok) : -1;
    return ok ? length : -1;
}

bool HttpRequest::hasBody() const {
    return hasHeader("transfer-encoding") || (hasHeader("content-length") && contentLength() != 0);
}

namespace HttpRequestParser {

Result parse(QByteArrayView bytes, qsizetype scanned) {
    Result result;
    // Blank lines before a request are allowed (a client's stray CRLF); they
    // count towards the head's length.
    qsizetype start = 0;
    while (start + 1 < bytes.size() && bytes[start] == '\r' && bytes[start + 1] == '\n')
        start += 2;
    const qsizetype end = bytes.indexOf("\r\n\r\n", std::max(start, scanned - 3));
    if (end < 0) {
        const qsizetype lineEnd = bytes.indexOf("\r\n", start);
        const qsizetype lineLength = (lineEnd < 0 ? bytes.size() : lineEnd) - start;
        result.status = bytes.size() > MaxHead || lineLength > MaxRequestLine ? Status::TooLong
                                                                              : Status::Incomplete;
        return result;
    }
    if (end + 4 > MaxHead) {
        result.status = Status::TooLong;
        return result;
    }
    // Each line with its CR LF; the split leaves an empty item after the last.
    QList<QByteArray> lines = bytes.sliced(start, end + 2 - start).toByteArray().split('\n');
    lines.removeLast();
    result.status = Status::Bad;
    // "METHOD TARGET HTTP/1.x"
    if (!lines.first().endsWith('\r'))
        return result;
    const QByteArray requestLine = lines.first().chopped(1);
    if (requestLine.size() > MaxRequestLine) {
        result.status = Status::TooLong;
        return result;
    }
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || parts[1].isEmpty() ||
        !parts[1].startsWith('/') || (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0"))
        return result;
    if (std::any_of(parts[1].begin(), parts[1].end(),
                    [](char c) { return quint8(c) <= 0x20 || quint8(c) >= 0x7f; }))
        return result;
    HttpRequest& request = result.request;
    request.method = parts[0];
    request.target = parts[1];
    request.minorVersion = parts[2].back() - '0';
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (!line.endsWith('\r'))
            return result; // a bare line feed
        line.chop(1);
        const qsizetype colon = line.indexOf(':');
        // Folded lines (starting with a blank) are no longer HTTP.
        if (colon <= 0 || !isToken(line.first(colon)))
            return result;
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (std::any_of(value.begin(), value.end(),
                        [](char c) { return c == '\0' || c == '\r' || c == '\n'; }))
            return result;
        request.headers.emplaceBack(line.first(colon).toLower(), value);
    }
    // A request with two lengths, or with a length that is no number, could
    // be read two ways.
    const auto lengths = std::count_if(request.headers.begin(), request.headers.end(),
                                       [](const auto& h) { return h.first == "content-length"; });
    if (lengths > 1 || (lengths == 1 && request.contentLength() < 0))
        return result;
    if (request.minorVersion == 1 && !request.hasHeader("host"))
        return result;
    result.status = Status::Complete;
    result.size = end + 4;
    return result;
}

} // namespace HttpRequestParser
