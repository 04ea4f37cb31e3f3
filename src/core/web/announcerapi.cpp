#include "announcerapi.h"

#include "db/meetevents.h"
#include "eventsunderway.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

ApiReply json(int status, const QJsonObject& object) {
    ApiReply reply;
    reply.status = status;
    reply.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    reply.etag = '"' + QCryptographicHash::hash(reply.body, QCryptographicHash::Md5).toHex() + '"';
    return reply;
}

ApiReply error(int status, const QString& text) {
    return json(status, QJsonObject{{u"error"_s, text}});
}

template <typename T>
QJsonValue orNull(const std::optional<T>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonObject rowOf(const GymnastResult& gymnast) {
    QJsonObject places;
    QJsonObject row{{u"num"_s, gymnast.num},
                    {u"name"_s, gymnast.name()},
                    {u"gym"_s, gymnast.gym},
                    {u"level"_s, gymnast.level},
                    {u"division"_s, gymnast.division},
                    {u"squad"_s, gymnast.squad},
                    {u"order"_s, gymnast.order.isNull() ? QJsonValue(QJsonValue::Null)
                                                        : QJsonValue(gymnast.order.toDouble())}};
    for (int column = 0; column < ResultColumns::Count; ++column) {
        row.insert(ResultColumns::name(column), orNull(gymnast.scores[column]));
        places.insert(ResultColumns::name(column), orNull(gymnast.places[column]));
    }
    row.insert(u"places"_s, places);
    if (!gymnast.review.isEmpty())
        row.insert(u"review"_s, QJsonArray::fromStringList(gymnast.review));
    if (!gymnast.inquiry.isEmpty())
        row.insert(u"inquiry"_s, QJsonArray::fromStringList(gymnast.inquiry));
    return row;
}

// The session asked for, or why the query is refused.
std::optional<qint64> sessionNumber(const QUrlQuery& query, QString* refusal) {
    QStringList seen;
    for (const auto& [name, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (name.isEmpty() && value.isEmpty())
            continue;
        if (name != u"session"_s) {
            *refusal = u"Unknown parameter: %1."_s.arg(name.left(40));
            return std::nullopt;
        }
        if (seen.contains(name)) {
            *refusal = u"Give %1 once."_s.arg(name);
            return std::nullopt;
        }
        seen.append(name);
    }
    const QString text = query.queryItemValue(u"session"_s, QUrl::FullyDecoded);
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    if (!ok || !digits || number < 1 || number > std::numeric_limits<qint32>::max()) {
        *refusal = u"Give the session as its number: session=N."_s;
        return std::nullopt;
    }
    return number;
}

} // namespace

AnnouncerApi::AnnouncerApi(MeetDatabase& db, const EventsUnderway& underway)
    : mBook(db)
    , mUnderway(underway) {}

ApiReply AnnouncerApi::answer(const QUrlQuery& query, const QByteArray& ifNoneMatch) {
    QString refusal;
    const std::optional<qint64> number = sessionNumber(query, &refusal);
    if (!number)
        return error(400, refusal);
    const QString id = QString::number(*number);
    QString readError;
    const QList<SessionEntry> sessions = mBook.sessions(&readError);
    const bool known = std::any_of(sessions.begin(), sessions.end(),
                                   [&id](const SessionEntry& s) { return s.number == id; });
    if (readError.isEmpty() && !known)
        return error(404, u"The meet has no session %1."_s.arg(id));
    const auto results = readError.isEmpty() ? mBook.session(id, &readError) : nullptr;
    if (!results)
        return error(500, u"The results cannot be read just now."_s);

    QJsonArray rows;
    QSet<QString> numbers;
    for (const GymnastResult& gymnast : results->gymnasts()) {
        rows.append(rowOf(gymnast));
        numbers.insert(gymnast.num);
    }
    QJsonObject underway;
    for (const QString& event : MeetEvents::names()) {
        QJsonValue current(QJsonValue::Null);
        for (const QString& num : mUnderway.recent(event)) {
            if (numbers.contains(num)) {
                current = num;
                break;
            }
        }
        underway.insert(event, current);
    }
    ApiReply reply = json(
        200, QJsonObject{{u"session"_s, *number}, {u"underway"_s, underway}, {u"rows"_s, rows}});
    for (QByteArray tag : ifNoneMatch.split(',')) {
        tag = tag.trimmed();
        if (tag.startsWith("W/"))
            tag = tag.mid(2);
        if (tag == reply.etag || tag == "*")
            return ApiReply{304, {}, reply.etag};
    }
    return reply;
}
