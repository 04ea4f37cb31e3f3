#include "tableinserter.h"

#include "db/meetdatabase.h"
#include "transferreader.h"

#include <QStringEncoder>

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
    , mInsert(mWhole.utf8Inserter())
    , mTexts(size_t(table.columns.size())) {
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

void TableInserter::bindText(int c, QStringView text) {
    QByteArray& utf8 = mTexts[size_t(c)];
    // The buffer keeps its room from record to record.
    utf8.resize(text.size() * 3);
    QStringEncoder encoder(QStringEncoder::Utf8);
    utf8.resize(encoder.appendToBuffer(utf8.data(), text) - utf8.constData());
    mInsert->bindText(c, utf8);
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
        const ImportValueCodes::Code code = mLayout.codes[c];
        const QStringView text = record.value(mFieldOfColumn[size_t(c)]);
        // Texts are stored as they are (an empty one as "Null" where the
        // column says so), the bulk of a file: no value is made of them.
        if (code == ImportValueCodes::Code::Text || code == ImportValueCodes::Code::EscapedText) {
            bindText(c, text);
            continue;
        }
        if (code == ImportValueCodes::Code::TextOrNull) {
            bindText(c, text.isEmpty() ? QStringView(u"Null") : text);
            continue;
        }
        const ImportValueCodes::Converted converted =
            ImportValueCodes::convert(code, mTable.columns[c], text);
        if (!converted.error.isEmpty()) {
            reasons.append(converted.error);
            continue;
        }
        const QVariant& value = converted.value;
        switch (value.typeId()) {
        case QMetaType::UnknownType:
            mInsert->bindNull(c);
            break;
        case QMetaType::Double:
            mInsert->bindReal(c, value.toDouble());
            break;
        case QMetaType::QString: {
            const auto* stored = static_cast<const QString*>(value.constData());
            if (stored->isNull())
                mInsert->bindNull(c);
            else
                bindText(c, *stored);
            break;
        }
        default:
            mInsert->bindInteger(c, value.toLongLong());
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
