#include "resultsapi.h"

#include "db/meetdatabase.h"
#include "resultsshelf.h"
#include "resultssnapshot.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int MaxCountingScores = 99;

ApiReply json(int status, const QJsonDocument& document) {
    ApiReply reply;
    reply.status = status;
    reply.body = document.toJson(QJsonDocument::Compact);
    reply.etag = '"' + QCryptographicHash::hash(reply.body, QCryptographicHash::Md5).toHex() + '"';
    return reply;
}

ApiReply error(int status, const QString& text) {
    return json(status, QJsonDocument(QJsonObject{{u"error"_s, text}}));
}

QJsonValue number(const std::optional<double>& score) {
    return score ? QJsonValue(*score) : QJsonValue(QJsonValue::Null);
}
QJsonValue number(const std::optional<int>& place) {
    return place ? QJsonValue(*place) : QJsonValue(QJsonValue::Null);
}

void addScores(QJsonObject& object, const ResultScores& scores) {
    for (int column = 0; column < ResultColumns::Count; ++column)
        object.insert(ResultColumns::name(column), number(scores[column]));
}

QJsonObject placesObject(const ResultPlaces& places) {
    QJsonObject object;
    for (int column = 0; column < ResultColumns::Count; ++column)
        object.insert(ResultColumns::name(column), number(places[column]));
    return object;
}

// A whole number in 1..max written as plain digits, else nothing.
std::optional<qint64> wholeNumber(const QString& text, qint64 max) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    if (!ok || !digits || value < 1 || value > max)
        return std::nullopt;
    return value;
}

bool sameText(const QString& a, const QString& b) {
    return a.compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// The If-None-Match header names `etag` (or any version with "*").
bool matches(const QByteArray& ifNoneMatch, const QByteArray& etag) {
    for (QByteArray tag : ifNoneMatch.split(',')) {
        tag = tag.trimmed();
        if (tag.startsWith("W/"))
            tag = tag.mid(2);
        if (tag == etag || tag == "*")
            return true;
    }
    return false;
}

// The parameters each path of the API takes, in the order a kept answer's key
// names them.
QStringList parametersOf(const QString& path) {
    if (path == u"/api/results"_s)
        return {u"session"_s, u"level"_s, u"gym"_s, u"division"_s};
    if (path == u"/api/teams"_s)
        return {u"session"_s, u"level"_s, u"counting"_s};
    return {};
}

// Why `query` is refused: a parameter the path does not take, or one given
// twice. Empty when it is fine.
QString refusedParameter(const QUrlQuery& query, const QStringList& accepted) {
    QStringList seen;
    for (const auto& [name, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (name.isEmpty() && value.isEmpty())
            continue;
        if (!accepted.contains(name))
            return u"Unknown parameter: %1."_s.arg(name.left(40));
        if (seen.contains(name))
            return u"Give %1 once."_s.arg(name);
        seen.append(name);
    }
    return {};
}

} // namespace

ResultsApi::ResultsApi(MeetDatabase& db, std::function<QString()> currentSession)
    : mDb(db)
    , mCurrentSession(std::move(currentSession))
    , mBook(db) {}

std::optional<ApiReply> ResultsApi::answer(const QString& path, const QUrlQuery& query,
                                           const QByteArray& ifNoneMatch) {
    if (path != u"/api/sessions"_s && path != u"/api/results"_s && path != u"/api/teams"_s)
        return std::nullopt;
    const QStringList accepted = parametersOf(path);
    if (const QString refusal = refusedParameter(query, accepted); !refusal.isEmpty())
        return error(400, refusal);
    if (mRepliesChangeCount != mDb.changes().count()) {
        clearKept();
        mRepliesChangeCount = mDb.changes().count();
    }
    const QString key = keyOf(path, query, mCurrentSession ? mCurrentSession() : QString());
    auto kept = mReplies.constFind(key);
    if (kept == mReplies.constEnd()) {
        std::optional<ApiReply> reply = fromSnapshot(key);
        if (!reply)
            reply = compute(path, query);
        // Refusals are cheap to work out again and not worth keeping.
        if (reply->status != 200)
            return reply;
        const qsizetype bytes = key.size() * 2 + reply->body.size() + reply->etag.size();
        if (mReplies.size() >= MaxKeptReplies || mKeptBytes + bytes > MaxKeptBytes)
            clearKept();
        mKeptBytes += bytes;
        kept = mReplies.insert(key, *reply);
    }
    if (matches(ifNoneMatch, kept->etag))
        return ApiReply{304, {}, kept->etag};
    return *kept;
}

QString ResultsApi::keyOf(const QString& path, const QUrlQuery& query, const QString& current) {
    // Only what the answer depends on: the parameters it takes (in one
    // order, decoded) and, for the sessions, the current one.
    QUrlQuery used;
    for (const QString& name : parametersOf(path)) {
        if (query.hasQueryItem(name))
            used.addQueryItem(name, query.queryItemValue(name, QUrl::FullyDecoded));
    }
    return current + u' ' + path + u'?' + used.query(QUrl::FullyEncoded);
}

std::optional<ApiReply> ResultsApi::fromSnapshot(const QString& key) {
    if (!mShelf)
        return std::nullopt;
    const std::shared_ptr<const ResultsSnapshot> snapshot = mShelf->latest();
    if (!snapshot || snapshot->changeCount() != mDb.changes().count() ||
        snapshot->meetFile() != mDb.filePath())
        return std::nullopt;
    const ApiReply* reply = snapshot->find(key);
    if (!reply)
        return std::nullopt;
    ++mSnapshotAnswers;
    return *reply;
}

void ResultsApi::clearKept() {
    mReplies.clear();
    mKeptBytes = 0;
}

ApiReply ResultsApi::compute(const QString& path, const QUrlQuery& query) {
    if (path == u"/api/sessions"_s)
        return sessions();
    if (path == u"/api/results"_s)
        return results(query);
    return teams(query);
}

ApiReply ResultsApi::sessions() {
    QString readError;
    const QList<SessionEntry> sessions = mBook.sessions(&readError);
    if (!readError.isEmpty())
        return error(500, u"The results cannot be read just now."_s);
    const QString current = mCurrentSession ? mCurrentSession() : QString();
    QJsonArray list;
    for (const SessionEntry& session : sessions) {
        list.append(QJsonObject{{u"id"_s, session.number.toLongLong()},
                                {u"description"_s, session.description},
                                {u"current"_s, session.number == current}});
    }
    return json(200, QJsonDocument(list));
}

std::shared_ptr<const SessionResults> ResultsApi::sessionOf(const QUrlQuery& query,
                                                            ApiReply& refusal) {
    const QString text = query.queryItemValue(u"session"_s, QUrl::FullyDecoded);
    const std::optional<qint64> number = wholeNumber(text, std::numeric_limits<qint32>::max());
    if (!number) {
        refusal = error(400, u"Give the session as its number: session=N."_s);
        return nullptr;
    }
    QString readError;
    const QList<SessionEntry> sessions = mBook.sessions(&readError);
    const QString id = QString::number(*number);
    const bool known = std::any_of(sessions.begin(), sessions.end(),
                                   [&id](const SessionEntry& s) { return s.number == id; });
    if (readError.isEmpty() && !known) {
        refusal = error(404, u"The meet has no session %1."_s.arg(id));
        return nullptr;
    }
    auto results = readError.isEmpty() ? mBook.session(id, &readError) : nullptr;
    if (!results)
        refusal = error(500, u"The results cannot be read just now."_s);
    return results;
}

ApiReply ResultsApi::results(const QUrlQuery& query) {
    const QString gymText = query.queryItemValue(u"gym"_s, QUrl::FullyDecoded);
    const std::optional<qint64> gym =
        gymText.isEmpty() ? std::nullopt : wholeNumber(gymText, std::numeric_limits<qint64>::max());
    if (!gymText.isEmpty() && !gym)
        return error(400, u"Give the gym as its number: gym=ID."_s);
    ApiReply refusal;
    const auto results = sessionOf(query, refusal);
    if (!results)
        return refusal;
    const QString level = query.queryItemValue(u"level"_s, QUrl::FullyDecoded);
    const QString division = query.queryItemValue(u"division"_s, QUrl::FullyDecoded);

    QJsonArray rows;
    for (const SessionResults::Group& group : results->groups()) {
        if ((!level.isEmpty() && !sameText(group.level, level)) ||
            (!division.isEmpty() && !sameText(group.division, division)))
            continue;
        for (const GymnastResult& gymnast : group.gymnasts) {
            if (gym && gymnast.gymId != *gym)
                continue;
            QJsonObject row{
                {u"num"_s, gymnast.num},           {u"name"_s, gymnast.name()},
                {u"gym"_s, gymnast.gym},           {u"level"_s, gymnast.level},
                {u"division"_s, gymnast.division}, {u"places"_s, placesObject(gymnast.places)}};
            addScores(row, gymnast.scores);
            if (!gymnast.review.isEmpty())
                row.insert(u"review"_s, QJsonArray::fromStringList(gymnast.review));
            if (!gymnast.inquiry.isEmpty())
                row.insert(u"inquiry"_s, QJsonArray::fromStringList(gymnast.inquiry));
            rows.append(row);
        }
    }
    return json(200, QJsonDocument(QJsonObject{{u"session"_s, results->session().toLongLong()},
                                               {u"rows"_s, rows}}));
}

ApiReply ResultsApi::teams(const QUrlQuery& query) {
    const QString level = query.queryItemValue(u"level"_s, QUrl::FullyDecoded);
    if (level.trimmed().isEmpty())
        return error(400, u"Give the level: level=L."_s);
    int counting = SessionResults::DefaultCountingScores;
    if (query.hasQueryItem(u"counting"_s)) {
        const auto given = wholeNumber(query.queryItemValue(u"counting"_s), MaxCountingScores);
        if (!given)
            return error(400, u"Give counting as a number from 1 to %1."_s.arg(MaxCountingScores));
        counting = int(*given);
    }
    ApiReply refusal;
    const auto results = sessionOf(query, refusal);
    if (!results)
        return refusal;
    QJsonArray teams;
    for (const TeamResult& team : results->teams(level, counting)) {
        QJsonObject object{{u"gym"_s, team.gym},
                           {u"place"_s, number(team.places[ResultColumns::AllAround])},
                           {u"places"_s, placesObject(team.places)}};
        addScores(object, team.scores);
        teams.append(object);
    }
    return json(200, QJsonDocument(QJsonObject{{u"session"_s, results->session().toLongLong()},
                                               {u"level"_s, level.trimmed()},
                                               {u"teams"_s, teams}}));
}
