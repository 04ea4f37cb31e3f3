#include "resultssite.h"

#include "resultsapi.h"
#include "shell/failurereport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

// The results page's body as the live server sends it, and the mark that
// makes the same page read the published files.
const QByteArray LiveBody = "<body class=\"results\">";
const QByteArray PublishedBody = "<body class=\"results\" data-published>";

bool readPage(const QString& path, QByteArray& bytes, QString* error) {
    QFile file(u":/web/"_s + path);
    if (!file.open(QIODevice::ReadOnly))
        return reportFailure(error, u"The page file %1 is missing from this build."_s.arg(path));
    bytes = file.readAll();
    return true;
}

// The modules that `source` imports from its own folder ("./meet.js").
QStringList importsOf(const QByteArray& source) {
    static const QRegularExpression from(u"\\bfrom\\s+'\\./([a-z0-9-]+\\.js)'"_s);
    QStringList names;
    auto matches = from.globalMatch(QString::fromUtf8(source));
    while (matches.hasNext())
        names.append(matches.next().captured(1));
    return names;
}

// The API's answer to `path` with `query`, or false with its reason.
bool ask(ResultsApi& api, const QString& path, const QUrlQuery& query, QByteArray& body,
         QString* error) {
    const ApiReply reply = *api.answer(path, query);
    if (reply.status == 200) {
        body = reply.body;
        return true;
    }
    const QString reason =
        QJsonDocument::fromJson(reply.body).object().value(u"error"_s).toString();
    return reportFailure(error,
                         reason.isEmpty() ? u"The results cannot be read just now."_s : reason);
}

// The levels of a session's results, in the order the results list them.
QStringList levelsOf(const QByteArray& results) {
    QStringList levels;
    const QJsonArray rows = QJsonDocument::fromJson(results).object().value(u"rows"_s).toArray();
    for (const QJsonValue& row : rows) {
        const QString level = row.toObject().value(u"level"_s).toString();
        if (!level.trimmed().isEmpty() && !levels.contains(level))
            levels.append(level);
    }
    return levels;
}

} // namespace

namespace ResultsSite {

bool pageFiles(QList<SiteFile>& files, QString* error) {
    QByteArray page;
    if (!readPage(u"results.html"_s, page, error))
        return false;
    if (page.count(LiveBody) != 1)
        return reportFailure(error, u"The results page of this build cannot be published."_s);
    files.append({u"index.html"_s, page.replace(LiveBody, PublishedBody)});
    // The page's texts in each language travel with it.
    for (const QString& path : {u"css/tallvane.css"_s, u"images/icon.svg"_s, u"lang/en.json"_s,
                                u"lang/es.json"_s, u"lang/fr.json"_s, u"lang/de.json"_s}) {
        QByteArray bytes;
        if (!readPage(path, bytes, error))
            return false;
        files.append({path, bytes});
    }
    // The page's script and every module it imports, and theirs in turn.
    QStringList modules{u"results.js"_s};
    for (qsizetype i = 0; i < modules.size(); ++i) {
        QByteArray source;
        if (!readPage(u"js/"_s + modules[i], source, error))
            return false;
        for (const QString& name : importsOf(source)) {
            if (!modules.contains(name))
                modules.append(name);
        }
        files.append({u"js/"_s + modules[i], source});
    }
    return true;
}

bool dataFiles(ResultsApi& api, const QString& onlySession, QList<SiteFile>& files,
               QString* error) {
    QByteArray sessions;
    if (!ask(api, u"/api/sessions"_s, {}, sessions, error))
        return false;
    QStringList ids;
    QJsonArray published;
    for (const QJsonValue& session : QJsonDocument::fromJson(sessions).array()) {
        const QString id = QString::number(session.toObject().value(u"id"_s).toInteger());
        if (onlySession.isEmpty() || id == onlySession) {
            ids.append(id);
            published.append(session);
        }
    }
    if (!onlySession.isEmpty()) {
        // An unknown session is refused by the API in its own words.
        if (ids.isEmpty())
            ids.append(onlySession);
        sessions = QJsonDocument(published).toJson(QJsonDocument::Compact);
    }
    for (const QString& id : ids) {
        QUrlQuery query{{u"session"_s, id}};
        QByteArray results;
        if (!ask(api, u"/api/results"_s, query, results, error))
            return false;
        QByteArrayList teams;
        for (const QString& level : levelsOf(results)) {
            QUrlQuery levelQuery = query;
            levelQuery.addQueryItem(u"level"_s, level);
            if (!ask(api, u"/api/teams"_s, levelQuery, teams.emplaceBack(), error))
                return false;
        }
        files.append({u"data/results-%1.json"_s.arg(id), results});
        files.append({u"data/teams-%1.json"_s.arg(id), '[' + teams.join(',') + ']'});
    }
    files.append({SessionsFile, sessions});
    return true;
}

SiteFile meetFile(const QString& meetName, const QDateTime& updated) {
    const QJsonObject meet{{u"name"_s, meetName},
                           {u"updated"_s, updated.toUTC().toString(Qt::ISODateWithMs)}};
    return {MeetFile, QJsonDocument(meet).toJson(QJsonDocument::Compact)};
}

} // namespace ResultsSite
