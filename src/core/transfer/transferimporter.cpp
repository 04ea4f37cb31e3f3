#include "transferimporter.h"

#include "importvaluecodes.h"
#include "transferfileinfo.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

TransferImporter::TransferImporter(const QString& transferPath, const QString& meetPath)
    : mMeetPath(meetPath)
    , mReader(transferPath) {}

TransferImporter::~TransferImporter() {
    if (!mFinished)
        abandon();
}

bool TransferImporter::removeMeetFile(const QString& path, QString* error) {
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
        mReport.error =
            u"This software requires a Rostrel file with a version number of 4.0 or greater."_s;
        return false;
    }
    QString error;
    if (QFileInfo::exists(mMeetPath)) {
        mReport.error = u"The data file %1 already exists."_s.arg(mMeetPath);
        return false;
    }
    // Side files left by a meet of the same name that was deleted after a crash
    // would be replayed into the new file.
    if (!removeMeetFile(mMeetPath, &error) ||
        !MeetDatabase::createMeetDatabase(mMeetPath, &error)) {
        mReport.error = error;
        return false;
    }
    mCreated = true;
    if (!mDb.open(mMeetPath)) {
        mReport.error = mDb.lastError();
        abandon();
        return false;
    }
    mTransaction = std::make_unique<DbTransaction>(mDb);
    if (!mTransaction->isActive()) {
        mReport.error = mDb.lastError();
        abandon();
        return false;
    }
    return true;
}

bool TransferImporter::step(int maxRecords) {
    if (!mTransaction)
        return false;
    TransferRecord record;
    for (int i = 0; i < maxRecords; ++i) {
        if (!mReader.readRecord(&record))
            return false;
        const QString reason = storeRecord(record);
        if (reason.isEmpty())
            ++mReport.storedRecords;
        else
            mReport.refused.append({record.header, record.line, reason});
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
    if (!mTransaction->commit()) {
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

int TransferImporter::columnOf(const MeetSchema::Table& table, int position, const QString& name) {
    // Files written in schema order match position by position; the look-up by
    // name (in any letter case, as SQL names are) serves reordered files.
    if (position < table.columns.size() && table.columns[position].name == name)
        return position;
    auto found = mColumnsByName.find(table.name);
    if (found == mColumnsByName.end()) {
        QHash<QString, int> byName;
        for (int i = 0; i < table.columns.size(); ++i)
            byName.insert(table.columns[i].name.toLower(), i);
        found = mColumnsByName.insert(table.name, byName);
    }
    return found->value(name.toLower(), -1);
}

QString TransferImporter::insertStatement(const MeetSchema::Table& table) {
    auto found = mInserts.constFind(table.name);
    if (found != mInserts.constEnd())
        return *found;
    QStringList names;
    QStringList marks;
    for (const MeetSchema::Column& column : table.columns) {
        names.append(MeetSchema::quotedName(column.name));
        marks.append(u"?"_s);
    }
    const QString sql = u"INSERT INTO "_s + MeetSchema::quotedName(table.name) + u"("_s +
                        names.join(u", "_s) + u") VALUES("_s + marks.join(u", "_s) + u")"_s;
    mInserts.insert(table.name, sql);
    return sql;
}

QString TransferImporter::storeRecord(const TransferRecord& record) {
    const MeetSchema::Table& table = *MeetSchema::table(record.table);
    if (table.name == u"Meets"_s) {
        if (mMeetsRead)
            return u"a meet has one Meets record; only the first was imported"_s;
        mMeetsRead = true;
    }

    const int columnCount = int(table.columns.size());
    QList<int> fieldOfColumn(columnCount, -1);
    QStringList unknown;
    QStringList repeated;
    for (int i = 0; i < record.fields.size(); ++i) {
        const QString& name = record.fields[i].first;
        const int column = columnOf(table, i, name);
        if (column < 0)
            unknown.append(name);
        else if (fieldOfColumn[column] >= 0)
            repeated.append(name);
        else
            fieldOfColumn[column] = i;
    }
    QStringList missing;
    for (int c = 0; c < columnCount; ++c) {
        if (fieldOfColumn[c] < 0)
            missing.append(table.columns[c].name);
    }
    QStringList reasons;
    if (!unknown.isEmpty())
        reasons.append(u"unknown fields: "_s + unknown.join(u", "_s));
    if (!repeated.isEmpty())
        reasons.append(u"fields given twice: "_s + repeated.join(u", "_s));
    if (!missing.isEmpty())
        reasons.append(u"missing fields: "_s + missing.join(u", "_s));
    if (!reasons.isEmpty())
        return reasons.join(u"; "_s);

    QVariantList values;
    values.reserve(columnCount);
    for (int c = 0; c < columnCount; ++c) {
        const ImportValueCodes::Converted converted =
            ImportValueCodes::convert(ImportValueCodes::codeOf(table, c), table.columns[c],
                                      record.fields[fieldOfColumn[c]].second);
        if (!converted.error.isEmpty())
            reasons.append(converted.error);
        values.append(converted.value);
    }
    if (!reasons.isEmpty())
        return reasons.join(u"; "_s);
    if (!mDb.execute(insertStatement(table), values))
        return mDb.lastError();
    return {};
}
