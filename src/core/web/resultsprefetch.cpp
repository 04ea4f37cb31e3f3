#include "resultsprefetch.h"

#include "db/meetdatabase.h"
#include "db/readingconnection.h"
#include "resultsapi.h"
#include "resultsshelf.h"
#include "resultssnapshot.h"

#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

ResultsPrefetch::ResultsPrefetch(ResultsShelf& shelf)
    : mShelf(shelf) {}

ResultsPrefetch::~ResultsPrefetch() = default;

bool ResultsPrefetch::openFile(const QString& meetFile) {
    if (mDb && mDb->isOpen() && mDb->filePath() == meetFile)
        return true;
    // The judges' connection opened the file first: its indexes and
    // Tallvane's own tables are there, and opening again adds nothing. From
    // then on the connection refuses to write at all.
    if (meetFile == mRefusedFile)
        return false;
    mDb = std::make_unique<MeetDatabase>();
    if (openForReading(*mDb, meetFile))
        return true;
    mRefusedFile = meetFile; // said once
    qWarning("The live results are worked out on the judges' thread alone: %s",
             qPrintable(mDb->lastError()));
    mDb.reset();
    return false;
}

void ResultsPrefetch::prepare(const QString& meetFile, quint64 changeCount, const QString& current,
                              const QSet<QString>& sessions) {
    if (meetFile.isEmpty() || !openFile(meetFile))
        return;
    // One read transaction: every reply shows the meet as one moment left it.
    if (!mDb->beginTransaction())
        return;
    ResultsApi api(*mDb, [current] { return current; });
    auto snapshot = std::make_shared<ResultsSnapshot>(meetFile, changeCount);
    // False once the snapshot holds all it may.
    const auto add = [&](const QString& path, const QUrlQuery& query) {
        const std::optional<ApiReply> reply = api.answer(path, query);
        if (!reply || reply->status != 200)
            return true;
        return snapshot->add(ResultsApi::keyOf(path, query, current), *reply);
    };
    add(u"/api/sessions"_s, {});
    for (const QString& session : sessions) {
        // Asked for as the pages name it: by its number.
        bool number = false;
        const qint64 id = session.toLongLong(&number);
        const QString asked = number ? QString::number(id) : session;
        if (!add(u"/api/results"_s, QUrlQuery{{u"session"_s, asked}}))
            break;
    }
    mDb->rollback();
    mShelf.publish(std::move(snapshot));
}
