#include "tableinserter.h"

#include "db/meetdatabase.h"
#include "transferreader.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

TableInserter::TableInserter(MeetDatabase& db, const MeetSchema::Table& table)
    : mTable(table)
    , mFieldOfColumn(size_t(table.columns.size()), -1)
    , mInsert(db.connection()) {
    QStringList names;
    QStringList marks;
    for (int c = 0; c < table.columns.size(); ++c) {
        mCodes.append(ImportValueCodes::codeOf(table, c));
        mColumnsByName.insert(table.columns[c].name.toLower(), c);
        names.append(MeetSchema::quotedName(table.columns[c].name));
        marks.append(u"?"_s);
    }
    mReady = mInsert.prepare(u"INSERT INTO "_s + MeetSchema::quotedName(table.name) + u"("_s +
                             names.join(u", "_s) + u") VALUES("_s + marks.join(u", "_s) + u")"_s);
    if (!mReady)
        mError = MeetDatabase::errorText(mInsert.lastError());
}

int TableInserter::columnOf(qsizetype position, QStringView name) {
    // Files written in schema order match position by position; the look-up by
    // name (in any letter case, as SQL names are) serves reordered files.
    if (position < mTable.columns.size() && mTable.columns[position].name == name)
        return int(position);
    return mColumnsByName.value(name.toString().toLower(), -1);
}

QString TableInserter::store(const TransferRecord& record) {
    if (!mReady)
        return mError;
    std::fill(mFieldOfColumn.begin(), mFieldOfColumn.end(), -1);
    QStringList unknown;
    QStringList repeated;
    for (qsizetype i = 0; i < record.fieldCount(); ++i) {
        const QStringView name = record.name(i);
        const int column = columnOf(i, name);
        if (column < 0)
            unknown.append(name.toString());
        else if (mFieldOfColumn[size_t(column)] >= 0)
            repeated.append(name.toString());
        else
            mFieldOfColumn[size_t(column)] = i;
    }
    QStringList missing;
    for (size_t c = 0; c < mFieldOfColumn.size(); ++c) {
        if (mFieldOfColumn[c] < 0)
            missing.append(mTable.columns[qsizetype(c)].name);
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

    // Values are bound as they are converted; a refused record is never executed.
    for (int c = 0; c < mTable.columns.size(); ++c) {
        const ImportValueCodes::Converted converted = ImportValueCodes::convert(
            mCodes[c], mTable.columns[c], record.value(mFieldOfColumn[size_t(c)]));
        if (!converted.error.isEmpty())
            reasons.append(converted.error);
        else
            mInsert.bindValue(c, converted.value);
    }
    if (!reasons.isEmpty())
        return reasons.join(u"; "_s);
    const bool ok = mInsert.exec();
    const QString error = ok ? QString() : MeetDatabase::errorText(mInsert.lastError());
    mInsert.finish();
    return error;
}
