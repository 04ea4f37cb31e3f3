#include "tableinserter.h"

#include "db/meetdatabase.h"
#include "transferreader.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

const TableInserter::Layout& TableInserter::layoutOf(const MeetSchema::Table& table) {
    // Built for every table at once, the first time (thread-safe): the schema is fixed.
    static const QHash<QString, Layout> layouts = [] {
        QHash<QString, Layout> all;
        for (const MeetSchema::Table& each : MeetSchema::tables()) {
            Layout& layout = all[each.name];
            for (int c = 0; c < each.columns.size(); ++c) {
                layout.codes.append(ImportValueCodes::codeOf(each, c));
                layout.columnsByName.insert(each.columns[c].name.toLower(), c);
            }
        }
        return all;
    }();
    return *layouts.find(table.name);
}

TableInserter::TableInserter(MeetDatabase& db, const MeetSchema::Table& table)
    : mTable(table)
    , mLayout(layoutOf(table))
    , mFieldOfColumn(size_t(table.columns.size()), -1)
    , mWhole(db, table)
    , mInsert(mWhole.inserter())
    , mValues(size_t(table.columns.size())) {
    mReady = mInsert != nullptr;
    if (!mReady)
        mError = mWhole.lastError();
}

int TableInserter::columnOf(qsizetype position, QStringView name) {
    // Files written in schema order match position by position; the look-up by
    // name (in any letter case, as SQL names are) serves reordered files.
    if (position < mTable.columns.size() && mTable.columns[position].name == name)
        return int(position);
    return mLayout.columnsByName.value(name.toString().toLower(), -1);
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
            mLayout.codes[c], mTable.columns[c], record.value(mFieldOfColumn[size_t(c)]));
        if (!converted.error.isEmpty()) {
            reasons.append(converted.error);
        } else {
            mValues[size_t(c)] = converted.value;
            mInsert->bind(c, mValues[size_t(c)]);
        }
    }
    if (!reasons.isEmpty())
        return reasons.join(u"; "_s);
    if (!mInsert->run())
        return mInsert->error();
    if (!mInserted) {
        mInserted = true;
        mWhole.rowsInserted();
    }
    return {};
}
