#include "transferimporter.h"

#include "transferfileinfo.h"

#include "db/meetfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

using namespace Qt::Literals::StringLiterals;

TransferImporter::TransferImporter(const QString& transferPath, const QString& meetPath)
    : mMeetPath(meetPath)
    , mReader(transferPath) {}

TransferImporter::~TransferImporter() {
    if (!mFinished)
        abandon();
}

bool TransferImporter::removeMeetFile(const QString& path, QString* error) {
    // A meet file that another Tallvane serves is never pulled from under it.
    const std::unique_ptr<QLockFile> lock = MeetFiles::lockMeetFile(path, error);
    if (!lock)
        return false;
    for (const QString& suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s}) {
        QFile file(path + suffix);
        if (file.exists() && !file.remove()) {
            if (error)
                *error = u"The data file %1 could not be deleted: %2"_s.arg(
                    QFileInfo(file.fileName()).fileName(), file.errorString());
            return false;
        }
    }
    return true;
}

void TransferImporter::abandon() {
    mStore.reset();
    mTransaction.reset();
    mDb.close();
    if (mCreated)
        removeMeetFile(mMeetPath);
    mCreated = false;
}

bool TransferImporter::begin() {
    if (!mReader.open()) {
        mReport.error = mReader.errorString();
        return false;
    }
    if (mReader.readHeader() < TransferFileInfo::MinimumVersion) {
        mReport.error = QString::fromLatin1(TransferFileInfo::VersionMessage);
        return false;
    }
    QString error;
    if (QFileInfo::exists(mMeetPath)) {
        mReport.error = u"The data file %1 already exists."_s.arg(mMeetPath);
        return false;
    }
    // Side files left by a meet of the same name that was deleted after a crash
    // would be replayed into the new file.
    if (!removeMeetFile(mMeetPath, &error)) {
        mReport.error = error;
        return false;
    }
    // The file, its tables and the records come into being in one transaction:
    // one sync makes the whole meet, and an import that stops half-way leaves
    // a file that holds no meet.
    if (!mDb.openNew(mMeetPath)) {
        mReport.error = mDb.lastError();
        return false;
    }
    mCreated = true;
    mTransaction = std::make_unique<DbTransaction>(mDb);
    if (!mTransaction->isActive() || !mDb.createTables()) {
        mReport.error = mDb.lastError();
        abandon();
        return false;
    }
    return true;
}

bool TransferImporter::step(int maxRecords) {
    if (!mTransaction)
        return false;
    for (int i = 0; i < maxRecords; ++i) {
        if (!mReader.readRecord(&mRecord))
            return false;
        const QString reason = mStore->store(mRecord);
        if (reason.isEmpty())
            ++mReport.storedRecords;
        else
            mReport.refused.append({mRecord.header, mRecord.line, reason});
    }
    return true;
}

bool TransferImporter::finish() {
    if (!mTransaction) {
        abandon();
        return false;
    }
    while (step(1000)) {
    }
    mReport.missingTables = mReader.unfinishedTables();
    mReport.problems = mReader.problems();
    mStore.reset();
    // The lookup indexes, built once over all the rows rather than row by row.
    bool indexed = true;
    for (const QString& statement : MeetSchema::indexStatements())
        indexed = indexed && mDb.execute(statement);
    if (!indexed || !mTransaction->commit()) {
        mReport.error =
            u"The meet file %1 could not be written: %2"_s.arg(mMeetPath, mDb.lastError());
        abandon();
        return false;
    }
    mTransaction.reset();
    mDb.close();
    mFinished = true;
    return true;
}

bool TransferImporter::run() {
    return begin() && finish();
}
