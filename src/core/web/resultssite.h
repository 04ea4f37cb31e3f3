#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class ResultsApi;

// One file of a published results site: its path inside the site's folder
// ("data/results-1.json") and its bytes.
struct SiteFile {
    QString path;
    QByteArray bytes;

    bool operator==(const SiteFile&) const = default;
};

// The results site any static web host can serve: the live results page,
// told by a mark in the page to read JSON files instead of the server's API
// and to read them again every 30 seconds, and those files, each the API's
// own answer for the same meet:
//   index.html, css/, js/, images/  the results page and what it loads
//   data/sessions.json              /api/sessions (the sessions published)
//   data/results-N.json             /api/results?session=N
//   data/teams-N.json               [/api/teams?session=N&level=L, one per level]
//   data/meet.json                  {"name": the meet's name, "updated": when
//                                    the results last changed, ISO 8601 UTC
//                                    to the millisecond: a page that read the
//                                    site a moment before still sees it is new}
// Nothing else of the meet leaves: what the API shows spectators is all.
namespace ResultsSite {

// The file whose presence tells a folder holds a published site.
inline const QString SessionsFile = QStringLiteral("data/sessions.json");
inline const QString MeetFile = QStringLiteral("data/meet.json");

// The page and the files it loads, the same for every meet; false with the
// reason when a compiled-in page is missing.
bool pageFiles(QList<SiteFile>& files, QString* error);

// The data files of every session, or of `onlySession` alone, from `api`;
// false with the API's reason when a session is unknown or the meet cannot
// be read.
bool dataFiles(ResultsApi& api, const QString& onlySession, QList<SiteFile>& files, QString* error);

// data/meet.json.
SiteFile meetFile(const QString& meetName, const QDateTime& updated);

} // namespace ResultsSite
